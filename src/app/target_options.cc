// Reading the options of `ostrel forms` and `ostrel tradeoffs`.
#include "app/target_options.h"

namespace ostrel {

std::string readTargetCommand(const TargetCommandOptions& options, GoalUse use,
                              TargetRequest& read) {
  return firstRefusal({readPlayer(options.mag, read.request.player),
                       readStart(options.mag, read.start), readFormat(options.format, read.format),
                       requireOption("--target", options.target, "DEF/POW/DEX/MIND"),
                       readTarget(options.target, read.start, read.request.target),
                       readGoalOptions(options.goal, use, read.goal)});
}

}  // namespace ostrel
