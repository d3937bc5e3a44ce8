// The records the whole planner speaks in: one mag at one moment (MagState), the game's small
// index types, the bar changes of one feeding (StatDelta), the stats wanted (Target), who plays
// (Player) and what the player asks for (PlayerRequest).
#pragma once

#include <cstdint>

namespace ostrel {

using MagType = std::int32_t;    // 0..44, the mag's form
using Item = std::int32_t;       // 0..10, Monomate .. Star Atomizer
using FeedTable = std::int32_t;  // 0..9, the feeding table a form uses
using CharClass = std::int32_t;  // 0..11, Humar .. Fonewearl
using SectionId = std::int32_t;  // 0..9, Purplenum .. Whitill

inline constexpr std::int32_t kMaxLevel = 200;
inline constexpr std::int32_t kBarCapacity = 100;

// One mag at one moment. `level` is always def + pow + dex + mind; feeding recomputes it.
struct MagState {
  MagType type = 0;
  std::int32_t def = 5;
  std::int32_t pow = 0;
  std::int32_t dex = 0;
  std::int32_t mind = 0;
  std::int32_t defBar = 0;
  std::int32_t powBar = 0;
  std::int32_t dexBar = 0;
  std::int32_t mindBar = 0;
  std::int32_t level = 5;

  friend bool operator==(const MagState&, const MagState&) = default;
};

// A new mag, as the game hands it out: "mag" at 5/0/0/0 with empty bars.
inline constexpr MagState kBabyMag{};

// The four bar changes of one feeding, in the order def, pow, dex, mind.
struct StatDelta {
  std::int32_t def = 0;
  std::int32_t pow = 0;
  std::int32_t dex = 0;
  std::int32_t mind = 0;

  friend bool operator==(const StatDelta&, const StatDelta&) = default;
};

// The stats the player wants the mag to end at; `level` is their sum (at most 200).
struct Target {
  std::int32_t def = 0;
  std::int32_t pow = 0;
  std::int32_t dex = 0;
  std::int32_t mind = 0;
  std::int32_t level = 0;
};

// Who plays: the evolution rules read the character's class and section ID.
struct Player {
  SectionId sectionId = 0;
  CharClass charClass = 0;
};

// What the player asks for: who plays and the stats wanted. The dialogue keeps it between plans;
// every other front end reads one per plan.
struct PlayerRequest {
  Player player;
  Target target;
};

}  // namespace ostrel
