// Which forms a plan can end in, from the evolution rules alone: their own lookups of the forms
// each rule gives, and the rules themselves applied at the target stats.
#include "model/form_rules.h"

#include <bit>
#include <cstdio>

#include "model/evolution.h"
#include "model/tables.h"

namespace ostrel {
namespace {

// What the rules can give this player: the forms of each stage.
struct PlayerForms {
  MagType level10;
  FormSet level35;
  FormSet level50;         // with def below 45
  FormSet level50HighDef;  // with def 45 or more (class group 2 only)
  MagType finalForm;
};

PlayerForms playerForms(const Player& player) {
  PlayerForms forms{level10Form(player), 0, 0, 0, finalForm(player)};
  for (std::int32_t dominant = 0; dominant < kDominantStatCount; ++dominant) {
    forms.level35 |= formBit(level35Form(player, dominant));
    if (evolvesWithHighDef(player)) forms.level50HighDef |= formBit(level50HighDefForm(dominant));
  }
  for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
    forms.level50 |= formBit(level50Form(player, order));
  }
  return forms;
}

// Whether the levels from 50 to 95 may leave the form as it is: a def target of 45 or more lets
// the mags of the classes that do not evolve with a high def keep their form.
bool mayKeepFormFrom50(const PlayerRequest& request) {
  return !evolvesWithHighDef(request.player) && request.target.def >= kHighDefLimit;
}

// A final form at level 35 or more never changes again: no rule from 50 on touches it.
bool keepsFinalForm(MagType type, std::int32_t level) {
  return type >= kFinalTypeStart && level >= 35;
}

// Whether a mag on its way from `start` to the target can stand at `level` with equal pair sums:
// both sums are then level / 2, and each can only lie between its value at the start and at the
// target, since stats never fall.
bool pairSumPossibleAt(const PlayerRequest& request, const MagState& start, std::int32_t level) {
  const Target& t = request.target;
  const SectionId sectionId = request.player.sectionId;
  const PairSums from = pairSums(sectionId, start.def, start.pow, start.dex, start.mind);
  const PairSums to = pairSums(sectionId, t.def, t.pow, t.dex, t.mind);
  const std::int32_t half = level / 2;
  return level % 2 == 0 && from.first <= half && half <= to.first && from.second <= half &&
         half <= to.second;
}

// The forms the evolution at the target level gives when the target stats decide it: the rules
// are applied to a mag at the target stats, with every order of the last feeding's bar changes,
// which break stat ties. Empty when the target level decides nothing (no evolution there, or a
// rule that may keep the form).
FormSet decidedAtTarget(const PlayerRequest& request) {
  const Target& t = request.target;
  // Form 0 stands for whatever form below the final ones the mag has: no rule gives form 0, so a
  // mag still in it after the check has kept its form.
  const MagState atTarget{0, t.def, t.pow, t.dex, t.mind, 0, 0, 0, 0, t.level};
  FormSet decided = 0;
  for (std::int32_t changes = 0; changes < 27; ++changes) {
    MagState mag = atTarget;
    checkEvolution(request.player, {0, changes % 3, changes / 3 % 3, changes / 9}, mag);
    if (mag.type == 0) return 0;
    decided |= formBit(mag.type);
  }
  return decided;
}

// One way of getting a form: the levels that give it (every `step` levels from `first` to
// `last`), where it needs one a condition on def or the pair sums that may fail, and the level of
// a later evolution that always replaces it on the way to the target.
struct Source {
  std::int32_t first;
  std::int32_t last;
  std::int32_t step;
  ExclusionKind conditionFails;  // kNone: no condition, or it can hold
  std::int32_t replacedAt = 0;   // 0: nothing is sure to replace it
};

// Why `source` cannot give the form on the way from `start` to the target, or kNone.
FormExclusion sourceFails(const PlayerRequest& request, const MagState& start,
                          const Source& source) {
  const std::int32_t target = request.target.level;
  std::int32_t nextLevel = 0;  // the first level above the start's that gives the form
  bool pairSumPossible = false;
  for (std::int32_t level = source.first; level <= source.last; level += source.step) {
    if (level <= start.level) continue;
    if (nextLevel == 0) nextLevel = level;
    if (level <= target && source.conditionFails == ExclusionKind::kPairSumNever &&
        pairSumPossibleAt(request, start, level)) {
      pairSumPossible = true;
    }
  }
  if (nextLevel == 0) return {ExclusionKind::kStagePassed, source.last, 0};
  if (nextLevel > target) return {ExclusionKind::kTargetTooLow, nextLevel, 0};
  if (source.conditionFails == ExclusionKind::kPairSumNever) {
    if (pairSumPossible) return {};
    return {ExclusionKind::kPairSumNever, target, 0};
  }
  if (source.conditionFails != ExclusionKind::kNone) return {source.conditionFails, 0, 0};
  if (source.replacedAt != 0) return {ExclusionKind::kReplacedLater, source.replacedAt, 0};
  return {};
}

// The first level on the way at which the mag's own form is sure to be replaced, or 0 when it
// can keep its form to the end.
std::int32_t startFormReplacedAt(const PlayerRequest& request, const MagState& start) {
  const std::int32_t target = request.target.level;
  const auto onTheWay = [&](std::int32_t level) { return start.level < level && level <= target; };
  if (onTheWay(10)) return 10;
  if (onTheWay(35)) return 35;
  // From 50 to 95 the form always changes, unless a high def lets it stay.
  if (start.type < kFinalTypeStart && !mayKeepFormFrom50(request)) {
    for (std::int32_t level = kFirstStatsEvent; level <= kLastStatsEvent; level += kEventStep) {
      if (onTheWay(level)) return level;
    }
  }
  return 0;
}

}  // namespace

FormSet reachableForms(const Player& player, MagType type, std::int32_t level,
                       std::int32_t targetLevel) {
  FormSet reachable = formBit(type);
  if (keepsFinalForm(type, level)) return reachable;
  const PlayerForms forms = playerForms(player);
  if (level < 10 && targetLevel >= 10) reachable |= formBit(forms.level10);
  if (level < 35 && targetLevel >= 35) reachable |= forms.level35;
  if (level < kLastStatsEvent && targetLevel >= kFirstStatsEvent) {
    reachable |= forms.level50 | forms.level50HighDef;
  }
  if (targetLevel >= kFirstFinalEvent) reachable |= formBit(forms.finalForm);
  return reachable;
}

std::array<FormExclusion, kMagTypeCount> excludedForms(const PlayerRequest& request,
                                                       const MagState& start) {
  std::array<FormExclusion, kMagTypeCount> excluded{};
  const std::int32_t startLevel = start.def + start.pow + start.dex + start.mind;
  MagState from = start;
  from.level = startLevel;
  const Target& target = request.target;

  if (keepsFinalForm(start.type, startLevel) || startLevel >= target.level) {
    // Nothing on the way can change the form.
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (type != start.type) excluded[type] = {ExclusionKind::kFinalFormKept, 0, 0};
    }
    return excluded;
  }

  const PlayerForms forms = playerForms(request.player);
  const FormSet decided = decidedAtTarget(request);
  const ExclusionKind level50Def =
      start.def >= kHighDefLimit ? ExclusionKind::kDefTooHigh : ExclusionKind::kNone;
  const ExclusionKind highDef =
      target.def < kHighDefLimit ? ExclusionKind::kDefTooLow : ExclusionKind::kNone;

  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const FormSet bit = formBit(type);
    Source sources[5];
    int count = 0;
    // Level 35 always gives a new form, and so do the levels from 50 unless class groups 0 and 1
    // have def 45 or more.
    if (type == forms.level10) {
      sources[count++] = {10, 10, 1, ExclusionKind::kNone, target.level >= 35 ? 35 : 0};
    }
    if ((forms.level35 & bit) != 0) {
      const bool replaced = target.level >= kFirstStatsEvent && !mayKeepFormFrom50(request);
      sources[count++] = {35, 35, 1, ExclusionKind::kNone, replaced ? kFirstStatsEvent : 0};
    }
    if ((forms.level50 & bit) != 0) {
      sources[count++] = {kFirstStatsEvent, kLastStatsEvent, kEventStep, level50Def};
    }
    if ((forms.level50HighDef & bit) != 0) {
      sources[count++] = {kFirstStatsEvent, kLastStatsEvent, kEventStep, highDef};
    }
    if (type == forms.finalForm) {
      // Equal pair sums need an even level: every other multiple of 5.
      sources[count++] = {kFirstFinalEvent, kMaxLevel, 2 * kEventStep,
                          ExclusionKind::kPairSumNever};
    }

    FormExclusion reason;
    bool possible = false;
    if (type == start.type) {
      const std::int32_t replacedAt = startFormReplacedAt(request, from);
      if (replacedAt == 0) {
        possible = true;
      } else {
        reason = {ExclusionKind::kStartFormLeft, replacedAt, 0};
      }
    } else if (type == kBabyMag.type) {
      // Every mag is born in this form, whatever its player, and leaves it at level 10 for good.
      reason = {ExclusionKind::kStartFormLeft, 10, 0};
    } else if (count == 0) {
      reason = {ExclusionKind::kOtherPlayers, 0, 0};
    }
    for (int i = 0; i < count && !possible; ++i) {
      const FormExclusion fails = sourceFails(request, from, sources[i]);
      if (fails.kind == ExclusionKind::kNone) {
        possible = true;
      } else if (reason.kind == ExclusionKind::kNone) {
        reason = fails;
      }
    }
    if (possible && decided != 0 && (decided & bit) == 0) {
      const ExclusionKind kind = target.level >= kFirstFinalEvent ? ExclusionKind::kPairSumAtTarget
                                                                  : ExclusionKind::kDecidedAtTarget;
      reason = {kind, target.level, decided};
      possible = false;
    }
    if (!possible) excluded[type] = reason;
  }
  return excluded;
}

namespace {

// The stat orders of `orders` in words: "mind leading and pow at most dex", "pow or dex leading".
std::string ordersText(std::uint8_t orders) {
  constexpr const char* kStats[3] = {"pow", "dex", "mind"};
  std::string leading;  // the stats that lead with either order of the other two
  std::string text;
  for (int lead = 0; lead < kDominantStatCount; ++lead) {
    const unsigned both = orders >> (2 * lead) & 3;
    if (both == 0) continue;
    if (both == 3) {
      if (!leading.empty()) leading += " or ";
      leading += kStats[lead];
      continue;
    }
    // The other two in the order pow, dex, mind: order 2 * lead puts the first above.
    const char* first = kStats[lead == 0 ? 1 : 0];
    const char* second = kStats[lead == 2 ? 1 : 2];
    if (!text.empty()) text += ", or ";
    text += std::string(kStats[lead]) + " leading and " + first +
            (both == 1 ? " above " : " at most ") + second;
  }
  if (!leading.empty()) {
    leading += " leading";
    text = text.empty() ? leading : leading + ", or " + text;
  }
  return text;
}

}  // namespace

std::string exclusionText(const FormExclusion& exclusion) {
  std::string names;
  for (FormSet forms = exclusion.forms; forms != 0; forms &= forms - 1) {
    if (!names.empty()) names += " or ";
    names += kMagTypeNames[std::countr_zero(forms)];
  }
  char text[256];
  switch (exclusion.kind) {
    case ExclusionKind::kNone:
      return "";
    case ExclusionKind::kFinalFormKept:
      return "the mag cannot change form any more on the way to the target";
    case ExclusionKind::kOtherPlayers:
      return "only the mags of other classes or section IDs take this form";
    case ExclusionKind::kDecidedAtTarget:
      std::snprintf(text, sizeof text,
                    "the evolution at level %d is decided by the target stats: the mag ends as %s",
                    exclusion.level, names.c_str());
      return text;
    case ExclusionKind::kPairSumAtTarget:
      std::snprintf(text, sizeof text,
                    "the target stats meet the section ID's pair-sum rule at level %d: every "
                    "route ends as %s",
                    exclusion.level, names.c_str());
      return text;
    case ExclusionKind::kPairSumNever:
      std::snprintf(text, sizeof text,
                    "the section ID's pair-sum rule can hold at no level from 100 to %d on the way",
                    exclusion.level);
      return text;
    case ExclusionKind::kTargetTooLow:
      std::snprintf(text, sizeof text,
                    "the next level that gives this form is %d, above the target level",
                    exclusion.level);
      return text;
    case ExclusionKind::kStagePassed:
      std::snprintf(text, sizeof text,
                    "this form comes at level %d at the latest, and the mag is already past it",
                    exclusion.level);
      return text;
    case ExclusionKind::kDefTooHigh:
      return "this form needs def below 45, and the mag's def is already 45 or more";
    case ExclusionKind::kDefTooLow:
      return "this form needs def 45 or more, and the def target is below 45";
    case ExclusionKind::kReplacedLater:
      std::snprintf(text, sizeof text,
                    "the evolution at level %d always replaces this form on the way to the target",
                    exclusion.level);
      return text;
    case ExclusionKind::kStatsLeadElsewhere:
      return "the evolutions on the way give this form to no stats between the mag's and the "
             "target";
    case ExclusionKind::kLeadNeverAt35:
      return "no feedings reach level 35 with " + ordersText(exclusion.orders);
    case ExclusionKind::kHighDefNeverAt:
      if (exclusion.orders != 0) {
        std::snprintf(text, sizeof text,
                      "no feedings reach level 35 with %s and then level %d with def 45 or "
                      "more, which keeps this form",
                      ordersText(exclusion.orders).c_str(), exclusion.level);
        return text;
      }
      std::snprintf(text, sizeof text,
                    "no feedings reach level %d with def 45 or more, which keeps this form",
                    exclusion.level);
      return text;
    case ExclusionKind::kOrderNeverAt:
      if (exclusion.level == exclusion.toLevel) {
        std::snprintf(text, sizeof text,
                      "no feedings reach the evolution at level %d with def below 45 and %s",
                      exclusion.level, ordersText(exclusion.orders).c_str());
      } else {
        std::snprintf(text, sizeof text,
                      "no feedings reach an evolution from level %d to %d with def below 45 and "
                      "%s",
                      exclusion.level, exclusion.toLevel, ordersText(exclusion.orders).c_str());
      }
      return text;
    case ExclusionKind::kHighDefLeadNeverAt:
      std::snprintf(text, sizeof text,
                    "no feedings reach the evolution at level %d with def 45 or more and %s",
                    exclusion.level, ordersText(exclusion.orders).c_str());
      return text;
    case ExclusionKind::kPairSumNeverMet:
      std::snprintf(text, sizeof text,
                    "no feedings reach a level from %d to %d with the section ID's pair sums "
                    "equal",
                    exclusion.level, exclusion.toLevel);
      return text;
    case ExclusionKind::kPairSumForcedAt:
      if (exclusion.level == exclusion.toLevel) {
        std::snprintf(text, sizeof text,
                      "the feedings that give this form make the section ID's pair sums equal at "
                      "level %d, where the mag becomes %s",
                      exclusion.level, names.c_str());
      } else {
        std::snprintf(text, sizeof text,
                      "the feedings that give this form make the section ID's pair sums equal at "
                      "a level from %d to %d, where the mag becomes %s",
                      exclusion.level, exclusion.toLevel, names.c_str());
      }
      return text;
    case ExclusionKind::kTargetNeverWithin:
      if (exclusion.stat >= 0) {
        constexpr const char* kStats[4] = {"def", "pow", "dex", "mind"};
        std::snprintf(text, sizeof text, "no feedings reach level %d with %s at most %d",
                      exclusion.level, kStats[exclusion.stat], exclusion.value);
        return text;
      }
      std::snprintf(text, sizeof text,
                    "no feedings reach level %d with every stat within its target",
                    exclusion.level);
      return text;
    case ExclusionKind::kTargetNeverReached:
      return "no feedings end at exactly the target stats";
    case ExclusionKind::kStartFormLeft:
      std::snprintf(text, sizeof text,
                    "the mag leaves this form at level %d and no rule gives it back",
                    exclusion.level);
      return text;
  }
  return "";
}

}  // namespace ostrel
