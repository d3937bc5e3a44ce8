// The form proof: its reasons word for word on the table tests/cases/form_proofs.txt, and on
// seeded targets that random feedings reach, that neither the target nor the form the feedings
// ended in is ever proven out (by the closer proof in whole stats neither), and that a search
// steered to a form proven out finds no plan.
#include "model/form_proof.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "plan/goal/goal.h"
#include "support/cases.h"
#include "support/replay.h"

namespace ostrel {
namespace {

constexpr FormSet kEveryForm = (FormSet{1} << kMagTypeCount) - 1;

TEST(FormProofTest, ReasonsAndOpenForms) {
  for (const auto& row : testing::caseRows("form_proofs.txt")) {
    SCOPED_TRACE(row.at(0) + " | " + row.at(1) + " | " + row.at(2) + " | " + row.at(3));
    testing::PlanCase c;
    std::istringstream(row.at(0)) >> c.charClass >> c.section;
    c.target = testing::targetOf(row.at(1));
    const PlayerRequest request = testing::playerOf(c);
    const MagState start = testing::magOf(row.at(2));
    FormExclusion proven;
    if (row.at(3) == "target") {
      proven = targetProvenOut(request, start);
    } else {
      // "FORM in whole stats": only the closer proof rules it out. A form left open ("-") must
      // be left open by both.
      const std::string closer = " in whole stats";
      std::string name = row.at(3);
      const bool wholeStats = name.ends_with(closer);
      if (wholeStats) name.resize(name.size() - closer.size());
      const MagType form = testing::formNamed(name);
      ASSERT_GE(form, 0);
      proven = formsProvenOut(request, start, formBit(form))[form];
      if (wholeStats) {
        EXPECT_EQ(proven.kind, ExclusionKind::kNone)
            << "the first proof: " << exclusionText(proven);
      }
      if (wholeStats || (proven.kind == ExclusionKind::kNone && row.at(4) == "-")) {
        proven = formsProvenOutInWholeStats(request, start, formBit(form))[form];
      }
    }
    const std::string reason = exclusionText(proven);
    EXPECT_EQ(reason.empty() ? "-" : reason, row.at(4));
  }
}

TEST(FormProofTest, WhatFeedingsReachIsNeverProvenOut) {
  std::mt19937 rng(3838);
  int formsProven = 0;
  int searched = 0;
  for (int run = 0; run < 400; ++run) {
    const testing::PlanCase c = testing::randomCase(rng, testing::Reach::kFed, 60);
    const PlayerRequest request = testing::playerOf(c);
    SCOPED_TRACE(::testing::Message() << "run " << run << ": " << testing::dialogueInput(c));
    EXPECT_EQ(targetProvenOut(request, c.start).kind, ExclusionKind::kNone)
        << exclusionText(targetProvenOut(request, c.start));
    const auto proven = formsProvenOut(request, c.start, kEveryForm);
    EXPECT_EQ(proven[*c.fedForm].kind, ExclusionKind::kNone)
        << kMagTypeNames[*c.fedForm] << ": " << exclusionText(proven[*c.fedForm]);
    // The closer proof takes longer: every fifth run.
    if (run % 5 == 0) {
      const FormExclusion whole =
          formsProvenOutInWholeStats(request, c.start, formBit(*c.fedForm))[*c.fedForm];
      EXPECT_EQ(whole.kind, ExclusionKind::kNone)
          << kMagTypeNames[*c.fedForm] << " in whole stats: " << exclusionText(whole);
    }
    const auto rules = excludedForms(request, c.start);
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (proven[type].kind == ExclusionKind::kNone || rules[type].kind != ExclusionKind::kNone) {
        continue;
      }
      ++formsProven;
      // A few of the forms only the proof rules out, on short ways: the goal search rules them
      // out at once (with the steering's reason where it has one); searched for all the same, that
      // form alone, wide for so short a way, is not found, and every plan the search finds replays.
      if (searched >= 12 || request.target.level - c.start.level > 30) continue;
      ++searched;
      GoalOptions options{.goal = run % 2 == 0 ? Goal::kCheapest : Goal::kFewest,
                          .form = type,
                          .beamWidth = 1500,
                          .firstSearch = {20'000}};
      const GoalResult answered = planForGoal(request, c.start, options);
      EXPECT_EQ(answered.outcome, GoalOutcome::kExcluded);
      options.settleForms = false;
      const GoalResult result = planForGoal(request, c.start, options);
      EXPECT_NE(result.outcome, GoalOutcome::kFound) << kMagTypeNames[type];
      for (const FormResult& form : result.forms) {
        if (form.best) testing::expectPlanReplays(request, c.start, *form.best);
      }
    }
  }
  // The cases must reach what they are meant to test.
  EXPECT_GT(formsProven, 40);
  EXPECT_GE(searched, 12);
}

}  // namespace
}  // namespace ostrel
