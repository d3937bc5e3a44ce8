// The plan documents every surface writes: one JSON document per plan, forms listing, trade-offs
// listing or feeding run, laid out as described by schema/plan.schema.json,
// schema/forms.schema.json, schema/tradeoffs.schema.json and schema/feed.schema.json, and written
// by the command line (--format json) and the web page alike. Names of fields are lower camel case;
// every mag carries its form, form menu number, level, stats and bars.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "model/state.h"
#include "plan/fed_plan.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"
#include "plan/plan_run.h"
#include "plan/report/plan_report.h"
#include "plan/request.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {

// Fields keep the order they are written in, the order a reader expects them.
using Document = nlohmann::ordered_json;

// The plan document: player, start, target, the goal and form `asked` for and why there is no
// plan, outcome, and the found plan's `report` (null without one): summary and shopping list
// (null without a plan), runs and feedings, both first feeding first. `details` is the goal
// search's result behind `outcome`; for a budget that no plan found meets, the document gives
// the budget and the nearest plans found (details->nearest) as the trade-off gives its points.
Document planDocument(const Request& request, PlanOutcome outcome, const PlanReport* report,
                      const GoalOptions& asked, const GoalResult* details = nullptr);

// The forms document: player, start, target, goal, beam width, and every form in the form menu's
// order, reached (feedings, meseta, hours of its best plan), not found, or excluded (with the
// reason).
Document formsDocument(const Request& request, const GoalOptions& goal, const GoalResult& result);

// The trade-offs document: player, start, target, the form asked for (null for any), beam width,
// why no plan is listed (noTradeoffText, null when one is), how far the shortest and the
// cheapest points lie from the bound (null without one), and the points, shortest first, each as
// pointDocument writes it.
Document tradeoffsDocument(const Request& request, const GoalOptions& goal, const Tradeoffs& found,
                           const std::string& reason);

// One plan of a trade-off, or one of the nearest to a budget: its feedings, meseta, hours, final
// form and the plan (the plan document's summary, shopping list and runs) for `player`.
Document pointDocument(const Player& player, const Plan& plan);

// The feed document: player, start, the mag after each run and how many of its feedings changed
// nothing, and the summary.
Document feedDocument(const Player& player, const MagState& start,
                      const std::vector<FeedRun>& runs);

// A mag: its form, form menu number, level, stats and bars.
Document magDocument(const MagState& mag);

// A document as the commands print it: indented by two, with a line end.
std::string printed(const Document& document);

// Hours of feeding as the reports print them, rounded to two decimals: sixty feedings an hour.
double feedingHours(std::int32_t feedings);

// Why no plan ending in the form asked for was found, as one line without a full stop: the rules
// exclude it ("no plan can end as NAME: ..."), no sequence of feedings reaches `target` at all
// (unreachableText), or the searches found none ("no plan found ending as NAME; ..." with the
// forms that plans did end in). Empty when no form was asked for or a plan was found.
std::string formNotReachedText(const GoalOptions& options, const Target& target,
                               PlanOutcome outcome, const GoalResult& details);

// Why a goal's searches found no plan, as the command line tells it: formNotReachedText; else for
// a target no feeding reaches, unreachableText; else, when a goal's searches and the first-found
// one found nothing, "no plan: neither the GOAL search nor the first-found search found a plan
// reaching D/P/X/M"; for a budget no plan found meets, overBudgetText. Empty when a plan was
// found, and for the first plan found that gave up (its own lines say so).
std::string noPlanText(const GoalOptions& options, const Target& target, PlanOutcome outcome,
                       const GoalResult& details);

// What to try where the first-found search gave up, as one line without a full stop: "a plan may
// still exist: ... try `howToAsk`" (the command line's --goal cheapest, the dialogue's ostrel
// --goal cheapest).
std::string firstGaveUpHint(const std::string& howToAsk);

// Why a trade-off lists no plan, as one line without a full stop: formNotReachedText for the
// form asked for, unreachableText, or "no plan: neither the fewest nor the cheapest search found
// a plan". Empty when it lists a plan.
std::string noTradeoffText(const GoalOptions& options, const Target& target,
                           const Tradeoffs& found);

// Why a listing of the forms reached none, as one line without a full stop: no sequence of
// feedings reaches `target` (the first-found search tried every feeding), or "no plan found
// ending as any form". Empty when a form was reached.
std::string noFormText(const Target& target, const GoalResult& result);

// Why there is no plan when the first-found search tried every feeding, or the feeding tables
// prove the target out of reach (PlanOutcome::kImpossible), whatever the goal: "no plan: no
// sequence of feedings reaches D/P/X/M from this mag", then ": " and the proof's reason `why`
// where there is one, without a full stop.
std::string unreachableText(const Target& target, const FormExclusion& why = {});

}  // namespace ostrel
