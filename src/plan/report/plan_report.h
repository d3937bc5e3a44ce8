// A found plan's report, built once as a value (PlanReport) and written by each reader its own
// way: the console lines and the two plan files here, the JSON document in plan_document.h, the
// page's answer in web/. A plan is told as the search used to write it while it unwound: the
// summary first, then the feedings from the last to the first. feedingPlan.txt gets one line per
// feeding, feedingPlan2.txt and the console one line per run of the same item; all three are read
// bottom up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"
#include "plan/console.h"
#include "plan/plan.h"

namespace ostrel {

// One run of the same item: `count` feedings of `item`, the first of them fed to the mag `before`.
struct PlanRun {
  Item item = 0;
  std::int32_t count = 0;
  MagState before;
};

// One line of a plan's shopping list: how many of `item` the plan feeds, and what they cost.
struct ShoppingItem {
  Item item = 0;
  std::int32_t count = 0;
  std::int64_t meseta = 0;
};

// A found plan as every report tells it: who it is for, the plan itself (its start, each feeding
// with the mag before it, the mag reached, its meseta), its runs of one item, and what to buy
// before starting: every item it feeds, in the item menu's order (its meseta add up to the
// plan's).
struct PlanReport {
  Player player;
  Plan plan;
  std::vector<PlanRun> runs;  // first run first
  std::vector<ShoppingItem> shopping;

  std::int32_t feedings() const { return plan.feedCount(); }
  std::int64_t meseta() const { return static_cast<std::int64_t>(plan.cost); }
};

PlanReport reportOf(const Player& player, const Plan& plan);

// The line the dialogue (and the page, which shows the dialogue's console) puts above a plan.
inline constexpr const char* kReadBottomUp = "READ STEPS FROM BOTTOM UP\n";

// The report's console lines: "For a SECTION CLASS:", the summary, and a line per run, the last
// run first.
std::string consoleText(const PlanReport& report);

// The shopping list as `ostrel plan` prints it below the plan's lines: a blank line, "Shopping
// list:", a line per item (name, count, meseta) and the total.
std::string shoppingText(const PlanReport& report);

// The whole text of feedingPlan.txt: the summary, then a line per feeding with the mag and its
// bars before it, the last feeding first.
std::string detailFileText(const PlanReport& report);

// The whole text of feedingPlan2.txt: the console's lines in aligned columns.
std::string groupedFileText(const PlanReport& report);

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

// Appends the report to the emptied plan files. The files are never held open: each line opens
// its file, is appended and closes it again, as the dialogue has always written them.
void writePlanFiles(const PlanReport& report, PlanFiles& files, const Console& console);

// The dialogue's report of a found plan for `player`: the plan files, then kReadBottomUp and the
// console lines on console.out.
void reportPlan(const Player& player, const Plan& plan, PlanFiles& files, const Console& console);

// Whether both plan files hold the whole plan written since they were emptied.
bool planFilesComplete(const PlanFiles& files);

}  // namespace ostrel
