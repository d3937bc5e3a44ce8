// The forms a plan can end in: one case for every kind of exclusion the rules give, the forms a
// mag can still take, and the reasons as the user reads them. That no excluded form is ever
// reached is checked against the searches in goal_search_test.cc.
#include "model/form_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

namespace ostrel {
namespace {

constexpr MagType kVaruna = 2;
constexpr MagType kKalki = 1;
constexpr MagType kRudra = 34;
constexpr MagType kVayu = 29;
constexpr MagType kDeva = 36;
constexpr MagType kVaraha = 28;
constexpr MagType kIla = 9;
constexpr MagType kAndhaka = 15;
constexpr MagType kNidra = 43;

PlayerRequest playerFor(CharClass charClass, SectionId sectionId, Target target) {
  target.level = target.def + target.pow + target.dex + target.mind;
  return {{sectionId, charClass}, target};
}

MagState mag(MagType type, int def, int pow, int dex, int mind) {
  return {type, def, pow, dex, mind, 0, 0, 0, 0, def + pow + dex + mind};
}

// The forms left open, as a set.
FormSet openForms(const std::array<FormExclusion, kMagTypeCount>& excluded) {
  FormSet open = 0;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (excluded[type].kind == ExclusionKind::kNone) open |= formBit(type);
  }
  return open;
}

TEST(FormRulesTest, PairSumAtTheTargetDecidesEveryRoute) {
  // Section ID 0 at 50/50/50/50: def + mind = pow + dex at level 200.
  const auto excluded = excludedForms(playerFor(0, 0, {50, 50, 50, 50}), kBabyMag);
  EXPECT_EQ(openForms(excluded), formBit(kDeva));
  EXPECT_EQ(excluded[kVaraha].kind, ExclusionKind::kPairSumAtTarget);
  EXPECT_EQ(exclusionText(excluded[kVaraha]),
            "the target stats meet the section ID's pair-sum rule at level 200: every route "
            "ends as Deva");
  // Section ID 1 (def + dex = pow + mind) holds there too; 60/40/50/50 breaks both sums.
  EXPECT_EQ(openForms(excludedForms(playerFor(0, 1, {50, 50, 50, 50}), kBabyMag)), formBit(kDeva));
  EXPECT_NE(openForms(excludedForms(playerFor(0, 0, {60, 40, 50, 50}), kBabyMag)), formBit(kDeva));
}

TEST(FormRulesTest, PairSumThatCanNeverHold) {
  // Section ID 0 wants def + mind = pow + dex, 50 each at level 100 at least; def + mind ends at
  // 5 here.
  const auto excluded = excludedForms(playerFor(0, 0, {5, 150, 45, 0}), kBabyMag);
  EXPECT_EQ(excluded[kDeva].kind, ExclusionKind::kPairSumNever);
  EXPECT_EQ(exclusionText(excluded[kDeva]),
            "the section ID's pair-sum rule can hold at no level from 100 to 200 on the way");
  EXPECT_EQ(excluded[kVaraha].kind, ExclusionKind::kNone);
  // At 5/100/50/45 both sums can be 50 at level 100, though not at the target.
  EXPECT_EQ(excludedForms(playerFor(0, 0, {5, 100, 50, 45}), kBabyMag)[kDeva].kind,
            ExclusionKind::kNone);
}

TEST(FormRulesTest, FormsOfOtherClassesAndSections) {
  const auto excluded = excludedForms(playerFor(0, 0, {30, 70, 70, 30}), kBabyMag);
  EXPECT_EQ(excluded[kKalki].kind, ExclusionKind::kOtherPlayers);  // class group 1
  EXPECT_EQ(excluded[kNidra].kind, ExclusionKind::kOtherPlayers);  // Fomar and Fonewm
  EXPECT_EQ(excluded[kVaraha].kind, ExclusionKind::kNone);
  EXPECT_EQ(excluded[kDeva].kind, ExclusionKind::kNone);
}

TEST(FormRulesTest, FormsThatALaterEvolutionReplaces) {
  // Level 35 always replaces Varuna, and level 50 the level-35 forms while def stays below 45.
  const auto excluded = excludedForms(playerFor(0, 0, {30, 70, 70, 30}), kBabyMag);
  EXPECT_EQ(excluded[kVaruna].kind, ExclusionKind::kReplacedLater);
  EXPECT_EQ(excluded[kVaruna].level, 35);
  EXPECT_EQ(excluded[kRudra].kind, ExclusionKind::kReplacedLater);
  EXPECT_EQ(exclusionText(excluded[kRudra]),
            "the evolution at level 50 always replaces this form on the way to the target");
  // With def 45 or more, class groups 0 and 1 may keep it; class group 2 may not.
  EXPECT_EQ(excludedForms(playerFor(0, 0, {45, 60, 60, 35}), kBabyMag)[kRudra].kind,
            ExclusionKind::kNone);
  EXPECT_EQ(excludedForms(playerFor(8, 0, {45, 60, 60, 35}), kBabyMag)[35].kind,  // sumba
            ExclusionKind::kReplacedLater);
}

TEST(FormRulesTest, StagesPassedAndTargetsTooLow) {
  // A rudra at level 40 is past the evolutions of levels 10 and 35, and leaves its own form at
  // level 50 (its def stays below 45).
  const auto passed = excludedForms(playerFor(0, 0, {10, 40, 30, 20}), mag(kRudra, 5, 20, 10, 5));
  EXPECT_EQ(passed[kVaruna].kind, ExclusionKind::kStagePassed);
  EXPECT_EQ(passed[kVayu].kind, ExclusionKind::kStagePassed);
  EXPECT_EQ(passed[kVayu].level, 35);
  EXPECT_EQ(passed[kRudra].kind, ExclusionKind::kStartFormLeft);
  EXPECT_EQ(exclusionText(passed[kRudra]),
            "the mag leaves this form at level 50 and no rule gives it back");
  EXPECT_EQ(passed[kVaraha].kind, ExclusionKind::kNone);

  // A new mag to level 20 takes Varuna at 10 and nothing after.
  const auto low = excludedForms(playerFor(0, 0, {5, 10, 5, 0}), kBabyMag);
  EXPECT_EQ(openForms(low), formBit(kVaruna));
  EXPECT_EQ(low[kVayu].kind, ExclusionKind::kTargetTooLow);
  EXPECT_EQ(low[kVaraha].level, 50);
  EXPECT_EQ(low[kDeva].kind, ExclusionKind::kTargetTooLow);
  EXPECT_EQ(exclusionText(low[kDeva]),
            "the next level that gives this form is 100, above the target level");
  EXPECT_EQ(low[0].kind, ExclusionKind::kStartFormLeft);  // the new mag itself
}

TEST(FormRulesTest, TheEvolutionAtTheTargetLevel) {
  // Level 35 with pow strictly ahead: rudra, whatever the last feeding.
  const auto rudra = excludedForms(playerFor(0, 0, {5, 20, 5, 5}), kBabyMag);
  EXPECT_EQ(openForms(rudra), formBit(kRudra));
  EXPECT_EQ(rudra[kVayu].kind, ExclusionKind::kDecidedAtTarget);
  EXPECT_EQ(exclusionText(rudra[kVayu]),
            "the evolution at level 35 is decided by the target stats: the mag ends as rudra");
  // Level 60 with pow and dex tied: the last feeding decides between varaha and ila.
  EXPECT_EQ(openForms(excludedForms(playerFor(0, 0, {10, 20, 20, 10}), kBabyMag)),
            formBit(kVaraha) | formBit(kIla));
  // Level 61 decides nothing.
  EXPECT_GT(std::popcount(openForms(excludedForms(playerFor(0, 0, {11, 20, 20, 10}), kBabyMag))),
            2);
}

TEST(FormRulesTest, DefAtOrAbove45) {
  // Class group 0 with def 45 or more keeps its form from 50 to 95: the level-50 forms are gone.
  const auto high = excludedForms(playerFor(0, 0, {50, 10, 10, 0}), mag(kRudra, 45, 0, 0, 0));
  EXPECT_EQ(high[kVaraha].kind, ExclusionKind::kDefTooHigh);
  EXPECT_EQ(high[kRudra].kind, ExclusionKind::kNone);
  // Class group 2 takes andhaka only with def 45 or more.
  const auto low = excludedForms(playerFor(8, 0, {40, 40, 40, 40}), kBabyMag);
  EXPECT_EQ(low[kAndhaka].kind, ExclusionKind::kDefTooLow);
  EXPECT_EQ(excludedForms(playerFor(8, 0, {45, 40, 40, 40}), kBabyMag)[kAndhaka].kind,
            ExclusionKind::kNone);
}

TEST(FormRulesTest, AFinalFormIsKept) {
  const auto kept = excludedForms(playerFor(0, 0, {40, 40, 30, 30}), mag(kDeva, 30, 30, 30, 30));
  EXPECT_EQ(openForms(kept), formBit(kDeva));
  EXPECT_EQ(kept[kVaraha].kind, ExclusionKind::kFinalFormKept);
  // Below level 35 a final form still changes.
  EXPECT_EQ(excludedForms(playerFor(0, 0, {40, 40, 30, 30}), mag(kDeva, 5, 5, 5, 5))[kDeva].kind,
            ExclusionKind::kNone);
}

TEST(FormRulesTest, FormsAMagCanStillTake) {
  const Player player = playerFor(0, 0, {50, 50, 50, 50}).player;
  // A new mag: itself, Varuna, the three level-35 forms, six level-50 forms and Deva.
  const FormSet all = reachableForms(player, 0, 5, 200);
  EXPECT_EQ(std::popcount(all), 12);
  EXPECT_NE(all & formBit(kVayu), 0U);
  EXPECT_EQ(all & formBit(kKalki), 0U);
  EXPECT_EQ(reachableForms(player, 0, 5, 30), formBit(0) | formBit(kVaruna));
  EXPECT_EQ(reachableForms(player, 0, 5, 40),
            formBit(0) | formBit(kVaruna) | formBit(kVayu) | formBit(kRudra) | formBit(32));
  EXPECT_EQ(reachableForms(player, kVaraha, 95, 200), formBit(kVaraha) | formBit(kDeva));
  EXPECT_EQ(reachableForms(player, kDeva, 120, 200), formBit(kDeva));
}

}  // namespace
}  // namespace ostrel
