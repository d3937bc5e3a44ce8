// Reading a request's options, then wording checkRequest's verdict on each part.
#include "app/request_options.h"

#include <cstdint>
#include <optional>
#include <string>

#include "model/names.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {
namespace {

// "first, cheapest, fewest": the goals the entry of `use` plans.
std::string goalsAllowed(const RequestUse& use) {
  std::string allowed;
  for (std::size_t goal = use.firstPlanned ? 0 : 1; goal < kGoalNames.size(); ++goal) {
    allowed += (allowed.empty() ? "" : ", ") + std::string(kGoalNames[goal]);
  }
  return allowed;
}

std::string notAWidth(const std::string& text) {
  return "--beam-width '" + text + "': not a width; allowed: a whole number 1.." +
         std::to_string(kMostBeamWidth);
}

std::string notAThreadCount(const std::string& text) {
  return "--threads '" + text + "': not a thread count; allowed: a whole number 1.." +
         std::to_string(kMostThreads);
}

// Reads a whole number of 32 bits into `value`; false when the text given is not one. An option
// not given (empty) leaves `value` as it is.
template <typename Number>
bool readNumber(const std::string& text, std::optional<Number>& value) {
  if (text.empty()) return true;
  std::int32_t number = 0;
  if (!parseInt32(text, number)) return false;
  value = number;
  return true;
}

}  // namespace

RequestRefusals readRequestOptions(const RequestText& text, const RequestUse& use,
                                   Request& request) {
  RequestRefusals refusals;
  refusals.player = readPlayer(text.mag, request.player);
  refusals.start = readStart(text.mag, request.start);
  refusals.target = readTarget(text.target, request.start, request.target);
  const GoalOptionText& goal = text.goal;
  if (!goal.goal.empty()) request.goal = findGoal(goal.goal);
  if (!goal.form.empty()) {
    MagType form = 0;
    refusals.form = readForm("--form", goal.form, form);
    if (refusals.form.empty()) request.form = form;
  }
  const bool widthRead = readNumber(goal.beamWidth, request.beamWidth);
  const bool threadsRead = readNumber(goal.threads, request.threads);
  const bool feedingsRead = readNumber(goal.maxFeedings, request.budget.maxFeedings);
  const bool mesetaRead = readNumber(goal.maxMeseta, request.budget.maxMeseta);

  // What was read is checked; what could not be read is refused in the same words.
  const RequestVerdict verdict = checkRequest(request, use);
  if (refusals.start.empty()) refusals.start = startRefusal(text.mag, request.start, verdict.start);
  if (refusals.target.empty()) {
    refusals.target = targetRefusal(text.target, request.start, verdict.target);
  }
  if ((!goal.goal.empty() && !request.goal) || !verdict.goalPlanned) {
    refusals.goal = "--goal '" + goal.goal + "': not a goal; allowed: " + goalsAllowed(use);
  }
  if (!widthRead || !verdict.beamWidth.within()) refusals.beamWidth = notAWidth(goal.beamWidth);
  if (!threadsRead || !verdict.threads.within()) refusals.threads = notAThreadCount(goal.threads);
  if (!feedingsRead || !verdict.maxFeedings.within()) {
    refusals.maxFeedings = notABudgetText("--max-feedings", goal.maxFeedings, kLeastMaxFeedings);
  }
  if (!mesetaRead || !verdict.maxMeseta.within()) {
    refusals.maxMeseta = notABudgetText("--max-meseta", goal.maxMeseta, kLeastMaxMeseta);
  }
  refusals.firstGoal = firstGoalRefusalText(verdict.firstGoalWith, request.goal.has_value());
  return refusals;
}

std::string goalRefusal(const RequestRefusals& refusals) {
  return firstRefusal({refusals.goal, refusals.form, refusals.beamWidth, refusals.threads,
                       refusals.maxFeedings, refusals.maxMeseta, refusals.firstGoal});
}

std::string requestRefusal(const RequestRefusals& refusals, const std::string& between) {
  return firstRefusal(
      {refusals.player, refusals.start, between, refusals.target, goalRefusal(refusals)});
}

}  // namespace ostrel
