// The command line's options of a request: who plays and which mag (mag_options.h), the stats
// wanted, and which plan is wanted: --goal (the first plan found, the cheapest or the shortest),
// --form (the form the plan must end in), --beam-width (time traded for better plans) and the
// budget (--max-feedings, --max-meseta). Every command and the dialogue with a goal read them
// here into one Request, which checkRequest alone checks; this file only words the verdict.
#pragma once

#include <string>

#include "app/mag_options.h"
#include "plan/request.h"

namespace ostrel {

// The goal options as typed; empty when not given.
struct GoalOptionText {
  std::string goal;
  std::string form;
  std::string beamWidth;
  std::string threads{};
  std::string maxFeedings{};
  std::string maxMeseta{};

  bool given() const {
    return !goal.empty() || !form.empty() || !beamWidth.empty() || !threads.empty() ||
           !maxFeedings.empty() || !maxMeseta.empty();
  }
};

// A request's options as typed.
struct RequestText {
  MagOptionText mag;
  std::string target;
  GoalOptionText goal;
};

// What is wrong with each part of a request, in the command line's words: one line naming the
// option, what was given and what is allowed, or empty. A command tells the first of the parts it
// takes, in the order of its options.
struct RequestRefusals {
  std::string player;
  std::string start;
  std::string target;  // also when --target is left out
  std::string goal;
  std::string form;
  std::string beamWidth;
  std::string threads;
  std::string maxFeedings;
  std::string maxMeseta;
  std::string firstGoal;  // what the first plan found cannot take
};

// The first refusal among the goal options: --goal, --form, --beam-width, --threads, the budgets,
// then what the first plan found cannot take.
std::string goalRefusal(const RequestRefusals& refusals);

// The first refusal of a command's request, in the order the commands tell them: the player, the
// start, `between` (the first refusal of the command's own options read there), the target, then
// the goal options.
std::string requestRefusal(const RequestRefusals& refusals, const std::string& between);

// Reads the options of `text` into `request` (those not given leave it as it is), checks the
// request for `use` and words what is wrong with each part.
RequestRefusals readRequestOptions(const RequestText& text, const RequestUse& use,
                                   Request& request);

}  // namespace ostrel
