// Reading --goal, --form, --beam-width and --threads into a request, and the goal each command settles; the
// reason given when the form asked for is not reached; the progress line's text. That it stays off
// a file is seen in the exact standard error of the goal runs in tests/cases/no_plan.jsonl, how it
// shows on a terminal in progress_line_test.py.
#include "app/request_options.h"

#include <gtest/gtest.h>

#include "app/progress_line.h"
#include "model/tables.h"
#include "plan/report/plan_document.h"

namespace ostrel {
namespace {

TEST(RequestOptionsTest, ReadsGoalsFormsAndWidths) {
  // Goals and forms by name are read end to end (e2e/plan_test.cc, tests/cases/no_plan.jsonl);
  // here a form by menu number, and the widest beam.
  Request request;
  const RequestText text{{}, {}, {"fewest", "37", "5000", "1"}};
  EXPECT_EQ(goalRefusal(readRequestOptions(text, kPlanCommandUse, request)), "");
  const GoalOptions options = goalOptions(request, kPlanCommandUse);
  EXPECT_EQ(options.goal, Goal::kFewest);
  EXPECT_EQ(options.form, std::optional<MagType>(36));
  EXPECT_EQ(options.beamWidth, kMostBeamWidth);
  EXPECT_EQ(options.threads, 1);
  // Options not given: each command's own goal.
  Request none;
  EXPECT_EQ(goalRefusal(readRequestOptions({}, kFormsCommandUse, none)), "");
  const GoalOptions forms = goalOptions(none, kFormsCommandUse);
  EXPECT_EQ(forms.goal, Goal::kCheapest);
  EXPECT_EQ(forms.beamWidth, 500);
  EXPECT_EQ(forms.threads, 2);
  // The program's searches leave a busy machine's cores to the game.
  EXPECT_TRUE(forms.oneThreadWhenBusy);
  EXPECT_TRUE(forms.everyForm);
  EXPECT_FALSE(forms.form);
  EXPECT_EQ(goalOptions(none, kPlanCommandUse).goal, Goal::kCheapest);
  EXPECT_EQ(goalOptions(none, kDialogueUse).goal, Goal::kFirst);
}

TEST(GoalOptionsTest, WhyTheFormWasNotReached) {
  GoalOptions options;
  GoalResult details;
  const Target target{8, 0, 0, 0, 8};
  EXPECT_EQ(formNotReachedText(options, target, PlanOutcome::kImpossible, details), "");  // no form
  options.form = 10;                                                                      // nandin
  // Proven by the first-found search: no form at all.
  EXPECT_EQ(formNotReachedText(options, target, PlanOutcome::kImpossible, details),
            "no plan: no sequence of feedings reaches 8/0/0/0 from this mag");
  EXPECT_EQ(formNotReachedText(options, target, PlanOutcome::kGaveUp, details),
            "no plan found ending as nandin; no plan was found ending as any form");
  details.forms[28].best = Plan{};
  details.forms[2].best = Plan{};
  EXPECT_EQ(formNotReachedText(options, target, PlanOutcome::kNotFound, details),
            "no plan found ending as nandin; the plans found end as Varuna, varaha");
  EXPECT_EQ(formNotReachedText(options, target, PlanOutcome::kFound, details), "");
}

TEST(ProgressLineTest, Text) {
  EXPECT_EQ(progressText(12, std::nullopt), "searching: 12 feedings tried, no plan yet");
  EXPECT_EQ(progressText(1234567, PlanMeasure{1440, 93920}),
            "searching: 1234567 feedings tried, best plan so far 1440 feedings, 93920 meseta");
  // The progress record keeps the best in its goal's order and gives back the measure: the
  // first goal with a form ranks as the shortest.
  GoalProgress progress;
  progress.measure = measuredBy(Goal::kFirst);
  tellProgress(&progress, 5, PlanMeasure{986, 459420});
  tellProgress(&progress, 0, PlanMeasure{990, 400000});
  EXPECT_EQ(progressText(progress.feedingsTried, progress.bestSoFar()),
            "searching: 5 feedings tried, best plan so far 986 feedings, 459420 meseta");
}

}  // namespace
}  // namespace ostrel
