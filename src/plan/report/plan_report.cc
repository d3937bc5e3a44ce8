// Writing a found plan to the two plan files and the console.
#include "plan/report/plan_report.h"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "model/names.h"
#include "model/tables.h"

namespace ostrel {
namespace {

enum class PlanFile { kDetail, kGrouped };

const char* fileName(const PlannerState& planner, PlanFile file) {
  return file == PlanFile::kDetail ? planner.planFilePaths.detail.c_str()
                                   : planner.planFilePaths.grouped.c_str();
}

bool& failedFlag(PlannerState& planner, PlanFile file) {
  if (file == PlanFile::kDetail) return planner.planFiles.detailFailed;
  return planner.planFiles.groupedFailed;
}

// Marks the file as lost for this plan; the first failure is the one worth a message.
void markFailed(PlannerState& planner, PlanFile file, int error, const Console& console) {
  bool& failed = failedFlag(planner, file);
  if (!failed) {
    std::fprintf(console.err, "ostrel: cannot write %s: %s\n", fileName(planner, file),
                 std::strerror(error));
  }
  failed = true;
}

// Opens a plan file, or returns null when no files are written, or the file failed earlier in
// this plan or fails now.
std::FILE* openPlanFile(PlannerState& planner, PlanFile file, const char* mode,
                        const Console& console) {
  if (!planner.planFilePaths.write || failedFlag(planner, file)) return nullptr;
  std::FILE* stream = std::fopen(fileName(planner, file), mode);
  if (stream == nullptr) markFailed(planner, file, errno, console);
  return stream;
}

// Closes a plan file; a write that failed on the way, or a flush that fails now, loses it.
void closePlanFile(PlannerState& planner, PlanFile file, std::FILE* stream,
                   const Console& console) {
  if (stream == nullptr) return;
  const bool writeFailed = std::ferror(stream) != 0;
  errno = 0;
  const bool closeFailed = std::fclose(stream) != 0;
  if (writeFailed || closeFailed) markFailed(planner, file, errno != 0 ? errno : EIO, console);
}

const char* formName(PlannerState& planner, MagType type) {
  magTypeName(planner.nameBuffer, type);
  return planner.nameBuffer;
}

const char* itemNameOf(PlannerState& planner, Item item) {
  itemName(planner.nameBuffer, item);
  return planner.nameBuffer;
}

// The run line of `previousItem`, whose run begins in `runStart`.
void writeRunLine(PlannerState& planner, const MagState& runStart, const Console& console) {
  std::FILE* grouped = openPlanFile(planner, PlanFile::kGrouped, "a", console);
  const char* item = itemNameOf(planner, planner.previousItem);
  if (grouped != nullptr) std::fprintf(grouped, "Feed %5d %14s ", planner.runLength, item);
  std::fprintf(console.out, "Feed %d %s ", planner.runLength, item);
  const char* form = formName(planner, runStart.type);
  if (grouped != nullptr) {
    std::fprintf(grouped, "to your: %14s (%4d) %d/%d/%d/%d\n", form, runStart.level, runStart.def,
                 runStart.pow, runStart.dex, runStart.mind);
  }
  std::fprintf(console.out, "to your: %s(%d) %d/%d/%d/%d\n", form, runStart.level, runStart.def,
               runStart.pow, runStart.dex, runStart.mind);
  closePlanFile(planner, PlanFile::kGrouped, grouped, console);
}

}  // namespace

void emptyPlanFiles(PlannerState& planner, const Console& console) {
  planner.planFiles = PlanFilesStatus{};
  for (PlanFile file : {PlanFile::kDetail, PlanFile::kGrouped}) {
    closePlanFile(planner, file, openPlanFile(planner, file, "w", console), console);
  }
}

void reportReached(PlannerState& planner, const MagState& reached, const Console& console) {
  const char* form = formName(planner, reached.type);
  // The summary puts one blank before Time in the detail file, two in the grouped file and on
  // the console.
  const auto writeSummary = [&](std::FILE* stream, const char* format) {
    std::fprintf(stream, format, form, reached.level, reached.def, reached.pow, reached.dex,
                 reached.mind, planner.feedCount, planner.totalCost, planner.feedCount / 60.0);
  };
  // cppcheck-suppress variableScope ; kept beside the grouped format, to show the one difference
  constexpr const char* kDetailSummary =
      "%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %.0lf meseta. Time: approx %.2lf hours\n";
  constexpr const char* kGroupedSummary =
      "%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %.0lf meseta.  Time: approx %.2lf "
      "hours\n";

  std::FILE* detail = openPlanFile(planner, PlanFile::kDetail, "a", console);
  if (detail != nullptr) writeSummary(detail, kDetailSummary);
  closePlanFile(planner, PlanFile::kDetail, detail, console);

  const char* sectionName = kSectionIdNames[planner.sectionId];
  const char* className = kCharClassNames[planner.charClass];
  std::FILE* grouped = openPlanFile(planner, PlanFile::kGrouped, "a", console);
  if (grouped != nullptr) std::fprintf(grouped, "For a %s %s:\n", sectionName, className);
  std::fprintf(console.out, "READ STEPS FROM BOTTOM UP\n");
  std::fprintf(console.out, "For a %s %s:\n", sectionName, className);
  if (grouped != nullptr) writeSummary(grouped, kGroupedSummary);
  writeSummary(console.out, kGroupedSummary);
  closePlanFile(planner, PlanFile::kGrouped, grouped, console);
}

void reportStep(PlannerState& planner, Item item, const MagState& before, const MagState& after,
                const Console& console) {
  std::FILE* detail = openPlanFile(planner, PlanFile::kDetail, "a", console);
  if (detail != nullptr) {
    std::fprintf(detail, "Feed %s(%d) %d/%d/%d/%d a", formName(planner, before.type), before.level,
                 before.def, before.pow, before.dex, before.mind);
    std::fprintf(detail, " %s      Count = %.0lf/%d  Bars: %d/%d/%d/%d\n",
                 itemNameOf(planner, item), planner.lineCount, planner.feedCount, before.defBar,
                 before.powBar, before.dexBar, before.mindBar);
  }
  closePlanFile(planner, PlanFile::kDetail, detail, console);

  if (planner.previousItem == -1) {
    // The plan's last feeding opens the first run to be collected.
    planner.previousItem = item;
    planner.runLength = 1;
  } else if (item == planner.previousItem) {
    ++planner.runLength;
  } else {
    // The run of previousItem follows this feeding, so it begins in the state after it.
    writeRunLine(planner, after, console);
    planner.previousItem = item;
    planner.runLength = 1;
  }
  planner.lineCount += 1;
}

void reportPlan(PlannerState& planner, const Plan& plan, const Console& console) {
  planner.feedCount = plan.feedCount();
  planner.totalCost = plan.cost;
  reportReached(planner, plan.reached, console);
  MagState after = plan.reached;
  // Last feeding first, as the search writes them while it unwinds.
  for (std::size_t k = plan.feedings.size(); k-- > 0;) {
    const Feeding& feeding = plan.feedings[k];
    reportStep(planner, feeding.item, feeding.before, after, console);
    after = feeding.before;
  }
}

void reportFirstRun(PlannerState& planner, const MagState& start, const Console& console) {
  writeRunLine(planner, start, console);
}

bool planFilesComplete(const PlannerState& planner) {
  return !planner.planFiles.detailFailed && !planner.planFiles.groupedFailed;
}

}  // namespace ostrel
