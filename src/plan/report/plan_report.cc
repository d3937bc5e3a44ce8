// Writing a found plan to the two plan files and the console.
#include "plan/report/plan_report.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "model/tables.h"

namespace ostrel {
namespace {

enum class PlanFile { kDetail, kGrouped };

const char* fileName(const PlanFiles& files, PlanFile file) {
  return file == PlanFile::kDetail ? files.paths.detail.c_str() : files.paths.grouped.c_str();
}

bool& failedFlag(PlanFiles& files, PlanFile file) {
  if (file == PlanFile::kDetail) return files.status.detailFailed;
  return files.status.groupedFailed;
}

// Marks the file as lost for this plan; the first failure is the one worth a message.
void markFailed(PlanFiles& files, PlanFile file, int error, const Console& console) {
  bool& failed = failedFlag(files, file);
  if (!failed) {
    std::fprintf(console.err, "ostrel: cannot write %s: %s\n",
                 printable(fileName(files, file)).c_str(), std::strerror(error));
  }
  failed = true;
}

// Opens a plan file, or returns null when no files are written, or the file failed earlier in
// this plan or fails now.
std::FILE* openPlanFile(PlanFiles& files, PlanFile file, const char* mode, const Console& console) {
  if (!files.paths.write || failedFlag(files, file)) return nullptr;
  std::FILE* stream = std::fopen(fileName(files, file), mode);
  if (stream == nullptr) markFailed(files, file, errno, console);
  return stream;
}

// Closes a plan file; a write that failed on the way, or a flush that fails now, loses it.
void closePlanFile(PlanFiles& files, PlanFile file, std::FILE* stream, const Console& console) {
  if (stream == nullptr) return;
  const bool writeFailed = std::ferror(stream) != 0;
  errno = 0;
  const bool closeFailed = std::fclose(stream) != 0;
  if (writeFailed || closeFailed) markFailed(files, file, errno != 0 ? errno : EIO, console);
}

// One plan being written: what it is written for and to, and the run of one item being collected
// while the feedings come, last feeding first.
struct PlanWriter {
  const Player& player;
  const Plan& plan;
  PlanFiles& files;
  const Console& console;
  Item previousItem = -1;  // the item of the run being collected; -1 before the first feeding
  std::int32_t runLength = 0;
  double lineCount = 0;  // detail lines written, numbered from the plan's last feeding
};

// The run line of `previousItem`, whose run begins in `runStart`.
void writeRunLine(PlanWriter& writer, const MagState& runStart) {
  const Console& console = writer.console;
  std::FILE* grouped = openPlanFile(writer.files, PlanFile::kGrouped, "a", console);
  const char* item = kItemNames[writer.previousItem];
  if (grouped != nullptr) std::fprintf(grouped, "Feed %5d %14s ", writer.runLength, item);
  std::fprintf(console.out, "Feed %d %s ", writer.runLength, item);
  const char* form = kMagTypeNames[runStart.type];
  if (grouped != nullptr) {
    std::fprintf(grouped, "to your: %14s (%4d) %d/%d/%d/%d\n", form, runStart.level, runStart.def,
                 runStart.pow, runStart.dex, runStart.mind);
  }
  std::fprintf(console.out, "to your: %s(%d) %d/%d/%d/%d\n", form, runStart.level, runStart.def,
               runStart.pow, runStart.dex, runStart.mind);
  closePlanFile(writer.files, PlanFile::kGrouped, grouped, console);
}

// The summary of the plan, which reaches the target: to the detail file, and with the heading to
// the grouped file and the console.
void reportReached(PlanWriter& writer) {
  const MagState& reached = writer.plan.reached;
  const Console& console = writer.console;
  const std::int32_t feedCount = writer.plan.feedCount();
  const double totalCost = writer.plan.cost;
  const char* form = kMagTypeNames[reached.type];
  // The summary puts one blank before Time in the detail file, two in the grouped file and on
  // the console.
  const auto writeSummary = [&](std::FILE* stream, const char* format) {
    std::fprintf(stream, format, form, reached.level, reached.def, reached.pow, reached.dex,
                 reached.mind, feedCount, totalCost, feedCount / 60.0);
  };
  // cppcheck-suppress variableScope ; kept beside the grouped format, to show the one difference
  constexpr const char* kDetailSummary =
      "%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %.0lf meseta. Time: approx %.2lf hours\n";
  constexpr const char* kGroupedSummary =
      "%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %.0lf meseta.  Time: approx %.2lf "
      "hours\n";

  std::FILE* detail = openPlanFile(writer.files, PlanFile::kDetail, "a", console);
  if (detail != nullptr) writeSummary(detail, kDetailSummary);
  closePlanFile(writer.files, PlanFile::kDetail, detail, console);

  const char* sectionName = kSectionIdNames[writer.player.sectionId];
  const char* className = kCharClassNames[writer.player.charClass];
  std::FILE* grouped = openPlanFile(writer.files, PlanFile::kGrouped, "a", console);
  if (grouped != nullptr) std::fprintf(grouped, "For a %s %s:\n", sectionName, className);
  std::fprintf(console.out, "READ STEPS FROM BOTTOM UP\n");
  std::fprintf(console.out, "For a %s %s:\n", sectionName, className);
  if (grouped != nullptr) writeSummary(grouped, kGroupedSummary);
  writeSummary(console.out, kGroupedSummary);
  closePlanFile(writer.files, PlanFile::kGrouped, grouped, console);
}

// One feeding of the plan, last feeding first: its detail line, and the run line of the item fed
// after it when this feeding's item differs.
void reportStep(PlanWriter& writer, const Feeding& feeding, const MagState& after) {
  const MagState& before = feeding.before;
  const Console& console = writer.console;
  std::FILE* detail = openPlanFile(writer.files, PlanFile::kDetail, "a", console);
  if (detail != nullptr) {
    std::fprintf(detail, "Feed %s(%d) %d/%d/%d/%d a", kMagTypeNames[before.type], before.level,
                 before.def, before.pow, before.dex, before.mind);
    std::fprintf(detail, " %s      Count = %.0lf/%d  Bars: %d/%d/%d/%d\n", kItemNames[feeding.item],
                 writer.lineCount, writer.plan.feedCount(), before.defBar, before.powBar,
                 before.dexBar, before.mindBar);
  }
  closePlanFile(writer.files, PlanFile::kDetail, detail, console);

  if (writer.previousItem == -1) {
    // The plan's last feeding opens the first run to be collected.
    writer.previousItem = feeding.item;
    writer.runLength = 1;
  } else if (feeding.item == writer.previousItem) {
    ++writer.runLength;
  } else {
    // The run of previousItem follows this feeding, so it begins in the state after it.
    writeRunLine(writer, after);
    writer.previousItem = feeding.item;
    writer.runLength = 1;
  }
  writer.lineCount += 1;
}

}  // namespace

void emptyPlanFiles(PlanFiles& files, const Console& console) {
  files.status = PlanFilesStatus{};
  for (PlanFile file : {PlanFile::kDetail, PlanFile::kGrouped}) {
    closePlanFile(files, file, openPlanFile(files, file, "w", console), console);
  }
}

void reportPlan(const Player& player, const Plan& plan, PlanFiles& files, const Console& console) {
  PlanWriter writer{player, plan, files, console};
  reportReached(writer);
  MagState after = plan.reached;
  for (std::size_t k = plan.feedings.size(); k-- > 0;) {
    reportStep(writer, plan.feedings[k], after);
    after = plan.feedings[k].before;
  }
  // The first run begins in the starting state; a plan without feedings has no runs.
  if (writer.previousItem != -1) writeRunLine(writer, plan.start);
}

bool planFilesComplete(const PlanFiles& files) {
  return !files.status.detailFailed && !files.status.groupedFailed;
}

}  // namespace ostrel
