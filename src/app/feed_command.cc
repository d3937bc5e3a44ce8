// `ostrel feed`: reads the player, the mag and the item list, feeds every item with feedItem and
// prints the mag after each run, and which of its feedings changed nothing.
#include "app/feed_command.h"

#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/command_exit.h"
#include "app/output_format.h"
#include "model/feeding.h"
#include "model/names.h"
#include "model/tables.h"

namespace ostrel {
namespace {

std::string itemsAllowed() {
  std::string allowed = "entries split by commas, each an optional count 1..9999 and an item:";
  for (int i = 0; i < kItemCount; ++i) allowed += std::string(i == 0 ? " " : ", ") + kItemNames[i];
  return allowed;
}

std::string refuseItems(const std::string& text, const std::string& problem) {
  return "--items '" + text + "': " + problem + "; allowed: " + itemsAllowed();
}

std::string trim(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

void printMag(std::FILE* out, const MagState& mag, const std::string& note = "") {
  std::fprintf(out, "%s(%d) %d/%d/%d/%d  Bars: %d/%d/%d/%d%s\n", kMagTypeNames[mag.type], mag.level,
               mag.def, mag.pow, mag.dex, mag.mind, mag.defBar, mag.powBar, mag.dexBar, mag.mindBar,
               note.c_str());
}

// What a run's feedings that left the mag as it was are worth saying: items bought for nothing,
// as at level 200, where the mag takes no more. Empty when each feeding changed the mag.
std::string unchangedText(const FeedRun& run) {
  if (run.unchanged == 0) return {};
  std::string text = "  (";
  if (run.unchanged == run.count) {
    text += run.count == 1 ? "it changes nothing" : "they change nothing";
  } else {
    text += std::to_string(run.unchanged) + " of them change nothing";
  }
  return text + (run.after.level >= kMaxLevel ? ": the mag is fully raised)" : ")");
}

void printText(const Player& player, const MagState& start, const std::vector<FeedRun>& runs,
               std::FILE* out) {
  std::fprintf(out, "For a %s %s:\n", kSectionIdNames[player.sectionId],
               kCharClassNames[player.charClass]);
  std::fputs("Start: ", out);
  printMag(out, start);
  std::int32_t feedings = 0;
  std::int64_t meseta = 0;
  for (const FeedRun& run : runs) {
    std::fprintf(out, "After %d %s: ", run.count, kItemNames[run.item]);
    printMag(out, run.after, unchangedText(run));
    feedings += run.count;
    meseta += std::int64_t{kItemPrice[run.item]} * run.count;
  }
  std::fprintf(out, "%d feedings.  Cost: %lld meseta.  Time: approx %.2lf hours\n", feedings,
               static_cast<long long>(meseta), feedings / 60.0);
}

}  // namespace

std::string readItems(const std::string& text, std::vector<FeedRun>& runs) {
  std::vector<FeedRun> read;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = text.find(',', begin);
    const std::string entry =
        trim(text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
    if (entry.empty()) return refuseItems(text, "an entry is empty");
    const std::size_t digits = entry.find_first_not_of("0123456789");
    FeedRun run;
    run.count = 1;
    if (digits != 0) {
      const char* const countEnd =
          entry.data() + (digits == std::string::npos ? entry.size() : digits);
      const auto [stop, error] = std::from_chars(entry.data(), countEnd, run.count);
      if (error != std::errc{} || run.count < 1 || run.count > kMaxRunCount) {
        return refuseItems(text, "the count in '" + entry + "' is not 1..9999");
      }
    }
    run.item = findName(entry.substr(digits == std::string::npos ? entry.size() : digits),
                        kItemNames, kItemCount);
    if (run.item < 0) {
      return refuseItems(text,
                         entry.empty() ? "an entry is empty" : "'" + entry + "' is not an item");
    }
    read.push_back(run);
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
  runs = read;
  return {};
}

int runFeedCommand(const CommandText& text, const Console& console) {
  Request request;
  OutputFormat format = OutputFormat::kText;
  std::vector<FeedRun> runs;
  // Only the player and the start of the request: feed has no target and no goal.
  const RequestRefusals refused = readRequestOptions(text.request, kPlanCommandUse, request);
  if (std::string refusal = firstRefusal(
          {refused.player, refused.start, requireOption("--items", text.items, itemsAllowed()),
           readItems(text.items, runs), readFormat(text.format, format)});
      !refusal.empty()) {
    return refuseUsage("ostrel feed", refusal, console);
  }
  const Player& player = request.player;
  const MagState& start = request.start;
  feedRuns(player, start, runs);
  if (format == OutputFormat::kJson) {
    std::fputs(printed(feedDocument(player, start, runs)).c_str(), console.out);
  } else {
    printText(player, start, runs, console.out);
  }
  return outputWritten("ostrel feed", console) ? 0 : 1;
}

}  // namespace ostrel
