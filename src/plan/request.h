// What a player asks of a plan, one record whichever surface asked: the dialogue's answers, the
// command line's options and the page's JSON are each read into a Request, and checked by
// checkRequest alone. The readers only parse; the check says which part breaks which rule, and
// each surface words that verdict its own way and in its own order (the command line names the
// option, the page the JSON field, the dialogue asks again).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/limits.h"
#include "model/state.h"
#include "plan/goal/goal.h"

namespace ostrel {

// The widest beam accepted: memory grows with it, and wider beams seldom find better plans.
inline constexpr std::int32_t kMostBeamWidth = 5000;

// The most threads the goal searches run on: the machines ostrel is written for have two cores,
// and the searches split their work in two.
inline constexpr std::int32_t kMostThreads = 2;

struct Request {
  Player player;
  MagState start = kBabyMag;              // its level the clamped sum of its stats (levelOf)
  Target target;                          // likewise
  std::optional<Goal> goal;               // as named; none: the goal settledGoal gives
  std::optional<MagType> form;            // the final form wanted; none: any
  Budget budget;                          // as given, checked against the least of each
  std::optional<std::int32_t> beamWidth;  // none: the searches' own
  std::optional<std::int32_t> threads;    // none: the entry's own (GoalOptions::threads)

  PlayerRequest asked() const { return {player, target}; }
};

// What an entry plans. One plan (within a budget, ending in a form); every final form's best
// plan (the listing of the forms); or the trade-off between the two goals, which checks a goal
// and a budget as one plan does but plans both goals and no budget.
enum class Plans { kOnePlan, kEveryForm, kTradeoff };

// How an entry takes a request: the goal of a request that names none and implies none (no
// budget, no final form), and whether the first plan found is among its goals. Each entry's row
// is below, so that what one entry plans by default is one line: the dialogue keeps the first plan
// found, as it always planned; the command and the page plan the cheapest, which finds plans
// several times cheaper and reaches many targets where the first-found search gives up.
struct RequestUse {
  Plans plans = Plans::kOnePlan;
  Goal unnamedGoal = Goal::kFirst;
  bool firstPlanned = true;
  // Whether a start whose form its level rules out is refused (checkStartForm): the dialogue has
  // always taken it.
  bool startFormChecked = true;
};

inline constexpr RequestUse kDialogueUse{Plans::kOnePlan, Goal::kFirst, true, false};
inline constexpr RequestUse kPlanCommandUse{Plans::kOnePlan, Goal::kCheapest, true};
inline constexpr RequestUse kFormsCommandUse{Plans::kEveryForm, Goal::kCheapest, false};
inline constexpr RequestUse kTradeoffsCommandUse{Plans::kTradeoff, Goal::kCheapest, false};
inline constexpr RequestUse kPagePlanUse{Plans::kOnePlan, Goal::kCheapest, true};
// The page's listing takes only a request that names or implies its goal.
inline constexpr RequestUse kPageFormsUse{Plans::kEveryForm, Goal::kFirst, false};
inline constexpr RequestUse kPageTradeoffsUse{Plans::kTradeoff, Goal::kFirst, true};

// What the first plan found was asked with that it cannot take, the first of them in this order:
// it is found, not chosen among plans, so it has no budget and no final form, and it is searched
// without a beam.
enum class FirstGoalWith { kNothing, kMaxFeedings, kMaxMeseta, kForm, kBeamWidth };

// The rule each part of a request breaks. A surface words the parts it takes, in its own order;
// a part within keeps LimitRule::kWithin (or its default below).
struct RequestVerdict {
  LimitVerdict start;        // checkStart, then checkStartForm where the entry checks it
  LimitVerdict target;       // checkTarget, against the start
  LimitVerdict maxFeedings;  // below kLeastMaxFeedings
  LimitVerdict maxMeseta;    // below kLeastMaxMeseta
  LimitVerdict beamWidth;    // outside 1..kMostBeamWidth
  LimitVerdict threads;      // outside 1..kMostThreads
  bool goalPlanned = true;   // false: the entry plans no such goal
  FirstGoalWith firstGoalWith = FirstGoalWith::kNothing;

  bool within() const;
};

// Checks every part of `request` for the entry of `use`.
RequestVerdict checkRequest(const Request& request, const RequestUse& use);

// Why the first plan found cannot be asked `with` that, in the command line's words (the page's
// too): "--form with --goal first: the first plan found ends in whatever form it reaches; ...";
// a beam width "with --goal first" when the goal was named, else "without --goal". Empty for
// kNothing.
std::string firstGoalRefusalText(FirstGoalWith with, bool goalNamed);

// The goal the request is planned for: the one named; else the one a budget or a final form
// implies (impliedGoal); else the entry's own.
Goal settledGoal(const Request& request, const RequestUse& use);

// The goal searches' options for a request within every rule: its settled goal, form, budget and
// beam width and threads, as the entry of `use` plans them (the listing keeps every form's best
// plan and wants none; the trade-off runs both goals, the cheapest plan's showing its progress, and
// no budget). Threads, progress and the rest as GoalOptions has them.
GoalOptions goalOptions(const Request& request, const RequestUse& use);

// The goal named `name` ("first", "cheapest", "fewest", as kGoalNames spells them), or none.
std::optional<Goal> findGoal(std::string_view name);

// The level of four stats, summed without overflow and clamped to 32 bits: huge answers must not
// wrap round to a small level (the check sums the stats again itself).
std::int32_t levelOf(std::int64_t def, std::int64_t pow, std::int64_t dex, std::int64_t mind);

}  // namespace ostrel
