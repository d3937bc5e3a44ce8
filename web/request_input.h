// A request of the web page read: the player, the start, the target, the goal, the final form and
// the budget, each checked as the command line checks it, or the answer that refuses it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/state.h"
#include "plan/goal/goal.h"
#include "plan/report/plan_report.h"

namespace ostrel::web {

// What a request asks for: the player and the target, the start, the goal; and where its plan
// files go.
struct PlanInput {
  PlayerRequest request;
  PlanFiles files;
  MagState start = kBabyMag;
  Goal goal = Goal::kFirst;     // a request without a goal plans the first plan found
  std::optional<MagType> form;  // the final form wanted; none: any
  Budget budget;
};

// An answer without a plan: {"outcome": `outcome`, "message": `message`}.
std::string answer(const char* outcome, const char* message);

// Reads a request, or answers why it cannot be planned.
std::string readRequest(std::string_view text, PlanInput& input);

}  // namespace ostrel::web
