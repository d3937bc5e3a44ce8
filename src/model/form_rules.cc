// Which forms a plan can end in, from the evolution rules alone.
#include "model/form_rules.h"

#include <bit>
#include <cstdio>

#include "model/evolution.h"
#include "model/tables.h"

namespace ostrel {
namespace {

constexpr std::int32_t kFirstLevel50Event = 50;
constexpr std::int32_t kLastLevel50Event = 95;
constexpr std::int32_t kFirstFinalEvent = 100;

// What the rules can give this player: the forms of each stage.
struct PlayerForms {
  MagType level10;
  FormSet level35;
  FormSet level50;         // with def below 45
  FormSet level50HighDef;  // with def 45 or more (class group 2 only)
  MagType finalForm;
};

PlayerForms playerForms(const PlannerState& player) {
  const std::int32_t group = player.charClass / 4;
  const int column = group * 2 + (player.sectionId >= kHighSectionStart ? 1 : 0);
  PlayerForms forms{kLevel10Type[group], 0, 0, 0, 0};
  for (const auto& row : kLevel35Type) forms.level35 |= formBit(row[group]);
  for (const auto& row : kLevel50Type) forms.level50 |= formBit(row[column]);
  if (group == 2) {
    forms.level50HighDef = formBit(kLevel50HighDefPowType) | formBit(kLevel50HighDefOtherType);
  }
  const auto rule = static_cast<int>(kSectionSumRule[player.sectionId]);
  forms.finalForm = kLevel100Type[player.charClass / 2][rule];
  return forms;
}

// A final form at level 35 or more never changes again: no rule from 50 on touches it.
bool keepsFinalForm(MagType type, std::int32_t level) {
  return type >= kFinalTypeStart && level >= 35;
}

// The two pair sums of the section ID's rule, for the stats of `mag`.
struct PairSums {
  std::int32_t first;
  std::int32_t second;
};

PairSums pairSums(SectionId sectionId, std::int32_t def, std::int32_t pow, std::int32_t dex,
                  std::int32_t mind) {
  switch (kSectionSumRule[sectionId]) {
    case SumRule::kDefDex:
      return {def + dex, pow + mind};
    case SumRule::kDefPow:
      return {def + pow, dex + mind};
    case SumRule::kDefMind:
      return {def + mind, pow + dex};
  }
  return {0, 0};
}

// Whether a mag on its way from `start` to the target can stand at `level` with equal pair sums:
// both sums are then level / 2, and each can only lie between its value at the start and at the
// target, since stats never fall.
bool pairSumPossibleAt(const PlannerState& player, const MagState& start, std::int32_t level) {
  const Target& t = player.target;
  const PairSums from = pairSums(player.sectionId, start.def, start.pow, start.dex, start.mind);
  const PairSums to = pairSums(player.sectionId, t.def, t.pow, t.dex, t.mind);
  const std::int32_t half = level / 2;
  return level % 2 == 0 && from.first <= half && half <= to.first && from.second <= half &&
         half <= to.second;
}

// The forms the evolution at the target level gives when the target stats decide it: a stat tie
// goes by the deltas of the last feeding, so every order of those deltas is tried. Empty when
// the target level decides nothing (no evolution there, or a rule that may keep the form).
FormSet decidedAtTarget(const PlannerState& player, const PlayerForms& forms) {
  const Target& t = player.target;
  const std::int32_t level = t.level;
  const std::int32_t group = player.charClass / 4;
  const int column = group * 2 + (player.sectionId >= kHighSectionStart ? 1 : 0);
  if (level >= kFirstFinalEvent) {
    if (level % 5 != 0) return 0;
    const PairSums sums = pairSums(player.sectionId, t.def, t.pow, t.dex, t.mind);
    return sums.first == sums.second ? formBit(forms.finalForm) : 0;
  }
  if (level == 10) return formBit(forms.level10);
  const bool level50Event = level >= kFirstLevel50Event && level % 5 == 0;
  if (level != 35 && !level50Event) return 0;
  if (level50Event && t.def >= kHighDefLimit && group < 2) return 0;  // keeps its form
  FormSet decided = 0;
  PlannerState tie = player;
  for (int deltas = 0; deltas < 27; ++deltas) {
    tie.lastDelta = {0, deltas % 3, deltas / 3 % 3, deltas / 9};
    const std::int32_t dominant = dominantStat(tie, t.pow, t.dex, t.mind);
    if (level == 35) {
      decided |= formBit(kLevel35Type[dominant][group]);
    } else if (t.def < kHighDefLimit) {
      decided |= formBit(kLevel50Type[statOrder(tie, t.pow, t.dex, t.mind)][column]);
    } else {
      decided |= formBit(dominant == 0 ? kLevel50HighDefPowType : kLevel50HighDefOtherType);
    }
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
FormExclusion sourceFails(const PlannerState& player, const MagState& start, const Source& source) {
  const std::int32_t target = player.target.level;
  std::int32_t nextLevel = 0;  // the first level above the start's that gives the form
  bool pairSumPossible = false;
  for (std::int32_t level = source.first; level <= source.last; level += source.step) {
    if (level <= start.level) continue;
    if (nextLevel == 0) nextLevel = level;
    if (level <= target && source.conditionFails == ExclusionKind::kPairSumNever &&
        pairSumPossibleAt(player, start, level)) {
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
std::int32_t startFormReplacedAt(const PlannerState& player, const MagState& start) {
  const std::int32_t target = player.target.level;
  const auto onTheWay = [&](std::int32_t level) { return start.level < level && level <= target; };
  if (onTheWay(10)) return 10;
  if (onTheWay(35)) return 35;
  // From 50 to 95 the form always changes, unless class groups 0 and 1 have def 45 or more.
  const bool mayKeep = player.charClass / 4 < 2 && player.target.def >= kHighDefLimit;
  if (start.type < kFinalTypeStart && !mayKeep) {
    for (std::int32_t level = kFirstLevel50Event; level <= kLastLevel50Event; level += 5) {
      if (onTheWay(level)) return level;
    }
  }
  return 0;
}

}  // namespace

FormSet reachableForms(const PlannerState& player, MagType type, std::int32_t level,
                       std::int32_t targetLevel) {
  FormSet reachable = formBit(type);
  if (keepsFinalForm(type, level)) return reachable;
  const PlayerForms forms = playerForms(player);
  if (level < 10 && targetLevel >= 10) reachable |= formBit(forms.level10);
  if (level < 35 && targetLevel >= 35) reachable |= forms.level35;
  if (level < kLastLevel50Event && targetLevel >= kFirstLevel50Event) {
    reachable |= forms.level50 | forms.level50HighDef;
  }
  if (targetLevel >= kFirstFinalEvent) reachable |= formBit(forms.finalForm);
  return reachable;
}

std::array<FormExclusion, kMagTypeCount> excludedForms(const PlannerState& player,
                                                       const MagState& start) {
  std::array<FormExclusion, kMagTypeCount> excluded{};
  const std::int32_t startLevel = start.def + start.pow + start.dex + start.mind;
  MagState from = start;
  from.level = startLevel;
  const Target& target = player.target;

  if (keepsFinalForm(start.type, startLevel) || startLevel >= target.level) {
    // Nothing on the way can change the form.
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (type != start.type) excluded[type] = {ExclusionKind::kFinalFormKept, 0, 0};
    }
    return excluded;
  }

  const PlayerForms forms = playerForms(player);
  const FormSet decided = decidedAtTarget(player, forms);
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
      const bool mayKeep = player.charClass / 4 < 2 && target.def >= kHighDefLimit;
      const bool replaced = target.level >= kFirstLevel50Event && !mayKeep;
      sources[count++] = {35, 35, 1, ExclusionKind::kNone, replaced ? kFirstLevel50Event : 0};
    }
    if ((forms.level50 & bit) != 0) {
      sources[count++] = {kFirstLevel50Event, kLastLevel50Event, 5, level50Def};
    }
    if ((forms.level50HighDef & bit) != 0) {
      sources[count++] = {kFirstLevel50Event, kLastLevel50Event, 5, highDef};
    }
    if (type == forms.finalForm) {
      sources[count++] = {kFirstFinalEvent, kMaxLevel, 10, ExclusionKind::kPairSumNever};
    }

    FormExclusion reason;
    bool possible = false;
    if (type == start.type) {
      const std::int32_t replacedAt = startFormReplacedAt(player, from);
      if (replacedAt == 0) {
        possible = true;
      } else {
        reason = {ExclusionKind::kStartFormLeft, replacedAt, 0};
      }
    } else if (count == 0) {
      reason = {ExclusionKind::kOtherPlayers, 0, 0};
    }
    for (int i = 0; i < count && !possible; ++i) {
      const FormExclusion fails = sourceFails(player, from, sources[i]);
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
    case ExclusionKind::kStartFormLeft:
      std::snprintf(text, sizeof text,
                    "the mag leaves this form at level %d and no rule gives it back",
                    exclusion.level);
      return text;
  }
  return "";
}

}  // namespace ostrel
