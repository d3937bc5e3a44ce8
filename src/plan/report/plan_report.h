// Writing a found plan. A plan is written as the search used to write it while it unwound: the
// summary first, then the feedings from the last to the first. feedingPlan.txt gets one line per
// feeding, feedingPlan2.txt and the console one line per run of the same item; all three are read
// bottom up. Every write opens its file for appending and closes it again.
#pragma once

#include <string>

#include "model/state.h"
#include "plan/console.h"
#include "plan/plan.h"

namespace ostrel {

// Where plans are written: the working directory in the dialogue; the command line can put them
// in another directory or write none at all (`write` false), leaving any old files untouched.
inline constexpr const char* kDetailFileName = "feedingPlan.txt";
inline constexpr const char* kGroupedFileName = "feedingPlan2.txt";

struct PlanFilePaths {
  std::string detail = kDetailFileName;
  std::string grouped = kGroupedFileName;
  bool write = true;
};

// Whether each plan file could be emptied and written during the current plan. A file that
// failed once is left alone for the rest of the plan, so it never holds half of two plans.
struct PlanFilesStatus {
  bool detailFailed = false;
  bool groupedFailed = false;
};

// The plan files of a front end: where they are, and how writing the current plan went.
struct PlanFiles {
  PlanFilePaths paths;
  PlanFilesStatus status;
};

// Creates or truncates both plan files for a new plan. A file that cannot be emptied is reported
// on the error stream and left alone for the rest of the plan.
void emptyPlanFiles(PlanFiles& files, const Console& console);

// Writes a whole found plan for `player` to the plan files and the console: the summary with the
// heading, every feeding from the last to the first with the line of each run of one item, and
// last the line of the first run, which begins at the plan's start.
void reportPlan(const Player& player, const Plan& plan, PlanFiles& files, const Console& console);

// Whether both plan files hold the whole plan written since they were emptied.
bool planFilesComplete(const PlanFiles& files);

}  // namespace ostrel
