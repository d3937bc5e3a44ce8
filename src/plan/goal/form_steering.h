// Whether a mag can still end in a wanted form (one, or any of a set), judged from its form, its
// stats and the target by the evolution rules at the levels still ahead. The form reach
// (ends_by_bracket.h) knows only the form and the level; the rules from level 35 on also go by the
// stats (the leading stat at 35, the stat order and def at 50..95, the pair sums from 100), and a
// mag whose stats have run past what the wanted form needs (say a pow already above the mind that
// must lead) can be dropped long before its form shows it. Each evolution ahead is judged on its
// own, with the stats anywhere between where they are and their targets, so a mag that can end in
// the form is never dropped, though some that cannot are kept.
#pragma once

#include <cstdint>
#include <vector>

#include "model/form_rules.h"
#include "model/state.h"

namespace ostrel {

// The wanted forms, with the player and the target they are judged for.
struct FormSteering {
  Player player;
  Target target;
  FormSet forms = 0;
};

// Whether `mag` (its level up to date, its stats at most their targets) may still end as one of
// the wanted forms on the way to the target.
bool mayEndAs(const FormSteering& steering, const MagState& mag);

// mayEndAs with a memory of the stats asked about lately: a level-up asks, and the many states of
// a layer that differ only in their bars share a few stats. Each thread needs its own.
class SteeringMemo {
 public:
  bool mayEndAs(const FormSteering& steering, const MagState& mag) {
    // Stats below 256 each, and the form: what the answer depends on.
    const std::uint64_t key = std::uint64_t(mag.type) << 32 | std::uint64_t(mag.def) << 24 |
                              std::uint64_t(mag.pow) << 16 | std::uint64_t(mag.dex) << 8 |
                              std::uint64_t(mag.mind);
    // Made on the first question: most searches steer toward no form and never ask.
    if (entries_.empty()) entries_.resize(std::size_t{1} << kBits);
    Entry& entry = entries_[(key * 0x9E3779B97F4A7C15ULL) >> (64 - kBits)];
    if (entry.key != key) entry = Entry{key, ostrel::mayEndAs(steering, mag)};
    return entry.may;
  }

 private:
  static constexpr int kBits = 12;
  struct Entry {
    std::uint64_t key = ~std::uint64_t{0};
    bool may = false;
  };
  std::vector<Entry> entries_;
};

// The forms `mag` may still end in, of which mayEndAs asks for one.
FormSet possibleEnds(const Player& player, const Target& target, const MagState& mag);

// The forms a plan from `start` (its level worked out here) may end in: those the rules do not
// exclude (excludedForms, as the listing of the forms reports them) that the steering also finds
// still possible. Every form when a stat of the start is above its target: no plan at all.
FormSet possibleEndsFrom(const PlayerRequest& request, MagState start);

}  // namespace ostrel
