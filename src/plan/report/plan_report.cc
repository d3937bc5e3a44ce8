// The report of a found plan: built once, written as the console's lines and the two plan files.
#include "plan/report/plan_report.h"

#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "model/tables.h"

namespace ostrel {
namespace {

// Appends the printf-style `format` to `text`.
[[gnu::format(printf, 2, 3)]] void appendf(std::string& text, const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  std::va_list again;
  va_copy(again, values);
  const int size = std::vsnprintf(nullptr, 0, format, values);
  va_end(values);
  const std::size_t end = text.size();
  text.resize(end + static_cast<std::size_t>(size) + 1);
  std::vsnprintf(text.data() + end, static_cast<std::size_t>(size) + 1, format, again);
  va_end(again);
  text.resize(end + static_cast<std::size_t>(size));
}

// The summary of the plan, which reaches the target. The detail file puts one blank before Time,
// the grouped file and the console two.
void reportReached(std::string& text, const PlanReport& report, const char* beforeTime) {
  const MagState& reached = report.plan.reached;
  appendf(text,
          "%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %lld meseta.%sTime: approx %.2lf "
          "hours\n",
          kMagTypeNames[reached.type], reached.level, reached.def, reached.pow, reached.dex,
          reached.mind, report.feedings(), static_cast<long long>(report.meseta()), beforeTime,
          report.feedings() / 60.0);
}

// One feeding of the plan, `count` lines above the plan's last feeding.
void reportStep(std::string& text, const PlanReport& report, const Feeding& feeding,
                std::int32_t count) {
  const MagState& before = feeding.before;
  appendf(text, "Feed %s(%d) %d/%d/%d/%d a %s      Count = %d/%d  Bars: %d/%d/%d/%d\n",
          kMagTypeNames[before.type], before.level, before.def, before.pow, before.dex, before.mind,
          kItemNames[feeding.item], count, report.feedings(), before.defBar, before.powBar,
          before.dexBar, before.mindBar);
}

// The heading, the summary and a line per run in `runFormat`, the last run first: the console's
// lines and the grouped file's, which differ only in how the run lines align.
std::string runsText(const PlanReport& report, const char* runFormat) {
  std::string text;
  appendf(text, "For a %s %s:\n", kSectionIdNames[report.player.sectionId],
          kCharClassNames[report.player.charClass]);
  reportReached(text, report, "  ");
  for (std::size_t k = report.runs.size(); k-- > 0;) {
    const PlanRun& run = report.runs[k];
    const MagState& mag = run.before;
    appendf(text, runFormat, run.count, kItemNames[run.item], kMagTypeNames[mag.type], mag.level,
            mag.def, mag.pow, mag.dex, mag.mind);
  }
  return text;
}

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

// Appends `text` to the plan file line by line.
void appendLines(PlanFiles& files, PlanFile file, const std::string& text, const Console& console) {
  for (std::size_t begin = 0; begin < text.size();) {
    const std::size_t end = text.find('\n', begin) + 1;
    std::FILE* stream = openPlanFile(files, file, "a", console);
    if (stream != nullptr) std::fwrite(text.data() + begin, 1, end - begin, stream);
    closePlanFile(files, file, stream, console);
    begin = end;
  }
}

}  // namespace

PlanReport reportOf(const Player& player, const Plan& plan) {
  PlanReport report{player, plan, {}, {}};
  std::array<std::int32_t, kItemCount> counts{};
  for (const Feeding& feeding : plan.feedings) {
    ++counts[feeding.item];
    if (!report.runs.empty() && report.runs.back().item == feeding.item) {
      ++report.runs.back().count;
    } else {
      report.runs.push_back({feeding.item, 1, feeding.before});
    }
  }
  for (Item item = 0; item < kItemCount; ++item) {
    if (counts[item] == 0) continue;
    report.shopping.push_back({item, counts[item], std::int64_t{kItemPrice[item]} * counts[item]});
  }
  return report;
}

std::string shoppingText(const PlanReport& report) {
  std::string text = "\nShopping list:\n";
  for (const ShoppingItem& item : report.shopping) {
    appendf(text, "  %-13s %5d %8lld meseta\n", kItemNames[item.item], item.count,
            static_cast<long long>(item.meseta));
  }
  appendf(text, "  %-13s %5d %8lld meseta\n", "Total", report.feedings(),
          static_cast<long long>(report.meseta()));
  return text;
}

std::string consoleText(const PlanReport& report) {
  return runsText(report, "Feed %d %s to your: %s(%d) %d/%d/%d/%d\n");
}

std::string groupedFileText(const PlanReport& report) {
  return runsText(report, "Feed %5d %14s to your: %14s (%4d) %d/%d/%d/%d\n");
}

std::string detailFileText(const PlanReport& report) {
  std::string text;
  reportReached(text, report, " ");
  // Counted from the plan's last feeding, which is written first.
  const std::vector<Feeding>& feedings = report.plan.feedings;
  for (std::size_t k = feedings.size(); k-- > 0;) {
    reportStep(text, report, feedings[k], static_cast<std::int32_t>(feedings.size() - 1 - k));
  }
  return text;
}

void emptyPlanFiles(PlanFiles& files, const Console& console) {
  files.status = PlanFilesStatus{};
  for (PlanFile file : {PlanFile::kDetail, PlanFile::kGrouped}) {
    closePlanFile(files, file, openPlanFile(files, file, "w", console), console);
  }
}

void writePlanFiles(const PlanReport& report, PlanFiles& files, const Console& console) {
  appendLines(files, PlanFile::kDetail, detailFileText(report), console);
  appendLines(files, PlanFile::kGrouped, groupedFileText(report), console);
}

void reportPlan(const Player& player, const Plan& plan, PlanFiles& files, const Console& console) {
  const PlanReport report = reportOf(player, plan);
  writePlanFiles(report, files, console);
  std::fputs(kReadBottomUp, console.out);
  std::fputs(consoleText(report).c_str(), console.out);
}

bool planFilesComplete(const PlanFiles& files) {
  return !files.status.detailFailed && !files.status.groupedFailed;
}

}  // namespace ostrel
