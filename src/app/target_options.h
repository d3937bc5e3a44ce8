// The options of the commands that weigh plans toward a target without writing one (`ostrel
// forms`, `ostrel tradeoffs`): the player, the start, the target, the goal options and the output
// format, read the same way by both.
#pragma once

#include <string>

#include "app/goal_options.h"
#include "app/mag_options.h"
#include "app/output_format.h"
#include "model/state.h"
#include "plan/goal/goal.h"

namespace ostrel {

// The options as typed.
struct TargetCommandOptions {
  MagOptionText mag;
  GoalOptionText goal;
  std::string target;
  std::string format = "text";
};

// What they ask for, once read.
struct TargetRequest {
  PlayerRequest request;
  MagState start;
  OutputFormat format = OutputFormat::kText;
  GoalOptions goal;  // the command's defaults until read
};

// Reads `options` into `read` in the order their refusals are told: the player, the start, the
// format, the target (checked against the start), then the goal options. Returns the first
// refusal, or empty.
std::string readTargetCommand(const TargetCommandOptions& options, GoalUse use,
                              TargetRequest& read);

}  // namespace ostrel
