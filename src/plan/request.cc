// The one check of a request, and the goal searches' options built from it.
#include "plan/request.h"

#include <algorithm>
#include <cstdint>

#include "model/names.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {
namespace {

// The verdict on a number that must lie within least..most; the field is the verdict's part.
LimitVerdict inRange(std::int64_t value, std::int64_t least, std::int64_t most) {
  if (value < least) return {LimitField::kNone, LimitRule::kBelow, least, value};
  if (value > most) return {LimitField::kNone, LimitRule::kAbove, most, value};
  return {};
}

template <typename Number>
LimitVerdict atLeast(const std::optional<Number>& most, std::int64_t least) {
  return most ? inRange(*most, least, INT64_MAX) : LimitVerdict{};
}

FirstGoalWith firstGoalWith(const Request& request) {
  if (request.budget.maxFeedings) return FirstGoalWith::kMaxFeedings;
  if (request.budget.maxMeseta) return FirstGoalWith::kMaxMeseta;
  if (request.form) return FirstGoalWith::kForm;
  if (request.beamWidth) return FirstGoalWith::kBeamWidth;
  return FirstGoalWith::kNothing;
}

}  // namespace

bool RequestVerdict::within() const {
  return start.within() && target.within() && maxFeedings.within() && maxMeseta.within() &&
         beamWidth.within() && threads.within() && goalPlanned &&
         firstGoalWith == FirstGoalWith::kNothing;
}

Goal settledGoal(const Request& request, const RequestUse& use) {
  if (request.goal) return *request.goal;
  const Goal implied = impliedGoal(request.budget, request.form.has_value());
  return implied == Goal::kFirst ? use.unnamedGoal : implied;
}

RequestVerdict checkRequest(const Request& request, const RequestUse& use) {
  RequestVerdict verdict;
  verdict.start = checkStart(request.start);
  if (verdict.start.within() && use.startFormChecked) verdict.start = checkStartForm(request.start);
  verdict.target = checkTarget(request.start, request.target);
  verdict.maxFeedings = atLeast(request.budget.maxFeedings, kLeastMaxFeedings);
  verdict.maxMeseta = atLeast(request.budget.maxMeseta, kLeastMaxMeseta);
  if (request.beamWidth) verdict.beamWidth = inRange(*request.beamWidth, 1, kMostBeamWidth);
  if (request.threads) verdict.threads = inRange(*request.threads, 1, kMostThreads);
  const Goal goal = settledGoal(request, use);
  verdict.goalPlanned = use.firstPlanned || goal != Goal::kFirst;
  if (goal == Goal::kFirst) verdict.firstGoalWith = firstGoalWith(request);
  return verdict;
}

std::string firstGoalRefusalText(FirstGoalWith with, bool goalNamed) {
  switch (with) {
    case FirstGoalWith::kNothing:
      return {};
    case FirstGoalWith::kBeamWidth:
      return std::string(goalNamed ? "--beam-width with --goal first"
                                   : "--beam-width without --goal") +
             ": the first plan found is searched without a beam; allowed: --goal cheapest or "
             "fewest with it";
    case FirstGoalWith::kForm:
      return "--form with --goal first: the first plan found ends in whatever form it reaches; "
             "allowed: --goal cheapest or fewest, or no --goal";
    case FirstGoalWith::kMaxFeedings:
    case FirstGoalWith::kMaxMeseta:
      break;
  }
  return std::string(with == FirstGoalWith::kMaxFeedings ? "--max-feedings" : "--max-meseta") +
         " with --goal first: the first plan found has no budget; allowed: --goal cheapest or "
         "fewest, or no --goal";
}

GoalOptions goalOptions(const Request& request, const RequestUse& use) {
  GoalOptions options;
  options.goal = settledGoal(request, use);
  options.form = request.form;
  options.budget = request.budget;
  if (request.beamWidth) options.beamWidth = *request.beamWidth;
  if (request.threads) options.threads = *request.threads;
  options.oneThreadWhenBusy = true;
  if (use.plans == Plans::kEveryForm) {
    options.everyForm = true;
    options.form.reset();
  } else if (use.plans == Plans::kTradeoff) {
    options.goal = Goal::kCheapest;
    options.budget = Budget{};
  }
  return options;
}

std::optional<Goal> findGoal(std::string_view name) {
  const auto* found = std::find(kGoalNames.begin(), kGoalNames.end(), name);
  if (found == kGoalNames.end()) return std::nullopt;
  return static_cast<Goal>(found - kGoalNames.begin());
}

std::int32_t levelOf(std::int64_t def, std::int64_t pow, std::int64_t dex, std::int64_t mind) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(def + pow + dex + mind, INT32_MIN, INT32_MAX));
}

}  // namespace ostrel
