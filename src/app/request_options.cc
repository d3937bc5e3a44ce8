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

// A whole number of 32 bits into `value`, or false; nothing given leaves `value` alone.
bool readNumber(const std::string& text, std::optional<std::int32_t>& value) {
  std::int32_t number = 0;
  if (!parseInt32(text, number)) return false;
  value = number;
  return true;
}

void readGoalOptions(const GoalOptionText& text, Request& request, RequestRefusals& refusals) {
  if (!text.goal.empty()) {
    request.goal = findGoal(text.goal);
  }
  if (!text.form.empty()) {
    MagType form = 0;
    refusals.form = readForm("--form", text.form, form);
    if (refusals.form.empty()) request.form = form;
  }
  if (!text.beamWidth.empty() && !readNumber(text.beamWidth, request.beamWidth)) {
    refusals.beamWidth = notAWidth(text.beamWidth);
  }
  std::optional<std::int32_t> most;
  if (!text.maxFeedings.empty()) {
    if (readNumber(text.maxFeedings, most)) request.budget.maxFeedings = most;
    else refusals.maxFeedings = notABudgetText("--max-feedings", text.maxFeedings, kLeastMaxFeedings);
  }
  most.reset();
  if (!text.maxMeseta.empty()) {
    if (readNumber(text.maxMeseta, most)) request.budget.maxMeseta = most;
    else refusals.maxMeseta = notABudgetText("--max-meseta", text.maxMeseta, kLeastMaxMeseta);
  }
}

// Where a part was read, the rule it breaks; `refusal` keeps what could not be read.
void tell(std::string& refusal, const std::string& broken) {
  if (refusal.empty()) refusal = broken;
}

}  // namespace

RequestRefusals readRequestOptions(const RequestText& text, const RequestUse& use,
                                   Request& request) {
  RequestRefusals refusals;
  refusals.player = readPlayer(text.mag, request.player);
  refusals.start = readStart(text.mag, request.start);
  refusals.target = readTarget(text.target, request.start, request.target);
  readGoalOptions(text.goal, request, refusals);

  const RequestVerdict verdict = checkRequest(request, use);
  const GoalOptionText& goal = text.goal;
  tell(refusals.start, startRefusal(text.mag, verdict.start));
  tell(refusals.target, targetRefusal(text.target, request.start, verdict.target));
  if ((!goal.goal.empty() && !request.goal) || !verdict.goalPlanned) {
    refusals.goal = "--goal '" + goal.goal + "': not a goal; allowed: " + goalsAllowed(use);
  }
  if (!verdict.beamWidth.within()) tell(refusals.beamWidth, notAWidth(goal.beamWidth));
  if (!verdict.maxFeedings.within()) {
    tell(refusals.maxFeedings,
         notABudgetText("--max-feedings", goal.maxFeedings, kLeastMaxFeedings));
  }
  if (!verdict.maxMeseta.within()) {
    tell(refusals.maxMeseta, notABudgetText("--max-meseta", goal.maxMeseta, kLeastMaxMeseta));
  }
  refusals.firstGoal = firstGoalRefusalText(verdict.firstGoalWith, request.goal.has_value());
  return refusals;
}

std::string goalRefusal(const RequestRefusals& refusals) {
  return firstRefusal({refusals.goal, refusals.form, refusals.beamWidth, refusals.maxFeedings,
                       refusals.maxMeseta, refusals.firstGoal});
}

std::string requestRefusal(const RequestRefusals& refusals, const std::string& between) {
  return firstRefusal(
      {refusals.player, refusals.start, between, refusals.target, goalRefusal(refusals)});
}

}  // namespace ostrel
