// Reading the player, the starting mag and the target from the command line's options.
#include "app/mag_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "model/limits.h"
#include "model/names.h"
#include "model/tables.h"
#include "plan/request.h"

namespace ostrel {
namespace {

constexpr std::array<const char*, 4> kStatNames = {"def", "pow", "dex", "mind"};

std::string statsAllowed() {
  return "DEF/POW/DEX/MIND with def at least " + std::to_string(kMinDef) +
         ", pow, dex and mind at least 0, and their sum (the level) below " +
         std::to_string(kMaxLevel);
}

std::string barsAllowed() { return "DEF/POW/DEX/MIND, each bar 0.." + std::to_string(kMaxBar); }

bool isBar(LimitField field) {
  return field == LimitField::kDefBar || field == LimitField::kPowBar ||
         field == LimitField::kDexBar || field == LimitField::kMindBar;
}

// "--bars '1/2/3/100': the mind bar 100 is out of range; allowed: 0..99 for each bar"
std::string refuse(const char* option, const std::string& given, const std::string& problem,
                   const std::string& allowed) {
  return std::string(option) + " '" + given + "': " + problem + "; allowed: " + allowed;
}

// "0..9 or Purplenum, Redria, ..." from a name table.
template <typename Names>
std::string menuAllowed(int first, const Names& names, int count) {
  std::string allowed =
      std::to_string(first) + ".." + std::to_string(first + count - 1) + " or the names";
  for (int i = 0; i < count; ++i) allowed += std::string(i == 0 ? " " : ", ") + names[i];
  return allowed;
}

// A name from `names` (any case, blanks ignored) or a menu number first..first+count-1; returns
// the index, or -1.
template <typename Names>
std::int32_t lookUp(const std::string& text, int first, const Names& names, int count) {
  std::int32_t number = 0;
  if (parseInt32(text, number)) {
    return number >= first && number < first + count ? number - first : -1;
  }
  return findName(text, names, count);
}

// Four numbers joined by "/"; on failure `problem` says why.
bool parseFour(const std::string& text, std::array<std::int32_t, 4>& values, std::string& problem) {
  std::size_t begin = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::size_t end = i + 1 < values.size() ? text.find('/', begin) : text.size();
    if (end == std::string::npos) {
      problem = "not four numbers joined by /";
      return false;
    }
    const std::string part = text.substr(begin, end - begin);
    if (part.find('/') != std::string::npos) {
      problem = "more than four numbers";
      return false;
    }
    const char* const partEnd = part.data() + part.size();
    const auto [stop, error] = std::from_chars(part.data(), partEnd, values[i]);
    if (error != std::errc{} || stop != partEnd) {
      const bool tooLarge = error == std::errc::result_out_of_range && stop == partEnd;
      problem = std::string("the ") + kStatNames[i] + " '" + part + "' is " +
                (tooLarge ? "beyond 32 bits" : "not a whole number");
      return false;
    }
    begin = end + 1;
  }
  return true;
}

// The bars as given, or an empty mag's when --bars is left out.
std::string barsGiven(const MagOptionText& text) {
  return text.bars.empty() ? "0/0/0/0" : text.bars;
}

std::string targetAllowed(const MagState& start) {
  const std::string startStats = std::to_string(start.def) + "/" + std::to_string(start.pow) + "/" +
                                 std::to_string(start.dex) + "/" + std::to_string(start.mind);
  return "DEF/POW/DEX/MIND with def at least " + std::to_string(kMinDef) + ", at most " +
         std::to_string(kMaxLevel) + " levels in all, more levels than the mag's " +
         std::to_string(start.level) + " and no stat below the mag's " + startStats;
}

}  // namespace

std::string firstRefusal(std::initializer_list<std::string> refusals) {
  const auto* const refusal = std::find_if(refusals.begin(), refusals.end(),
                                           [](const std::string& text) { return !text.empty(); });
  return refusal == refusals.end() ? std::string() : *refusal;
}

std::string requireOption(const char* option, const std::string& text, const std::string& allowed) {
  if (!text.empty()) return {};
  return std::string(option) + " is required and was not given; allowed: " + allowed;
}

std::string readPlayer(const MagOptionText& text, Player& player) {
  if (std::string missing =
          firstRefusal({requireOption("--section", text.section,
                                      menuAllowed(0, kSectionIdNames, kSectionIdCount)),
                        requireOption("--class", text.charClass,
                                      menuAllowed(0, kCharClassNames, kCharClassCount))});
      !missing.empty()) {
    return missing;
  }
  const std::int32_t section = lookUp(text.section, 0, kSectionIdNames, kSectionIdCount);
  if (section < 0) {
    return refuse("--section", text.section, "not a section ID",
                  menuAllowed(0, kSectionIdNames, kSectionIdCount));
  }
  const std::int32_t charClass = lookUp(text.charClass, 0, kCharClassNames, kCharClassCount);
  if (charClass < 0) {
    return refuse("--class", text.charClass, "not a class",
                  menuAllowed(0, kCharClassNames, kCharClassCount));
  }
  player.sectionId = section;
  player.charClass = charClass;
  return {};
}

std::string readStart(const MagOptionText& text, MagState& start) {
  if (text.mag.empty()) {
    if (!text.stats.empty() || !text.bars.empty()) {
      const bool stats = !text.stats.empty();
      return refuse(stats ? "--stats" : "--bars", stats ? text.stats : text.bars,
                    "given without --mag",
                    "--mag FORM with --stats (and --bars), or none of them for a new mag");
    }
    start = kBabyMag;
    return {};
  }
  MagState mag;
  if (std::string refusal = readForm("--mag", text.mag, mag.type); !refusal.empty()) {
    return refusal;
  }
  if (text.stats.empty()) {
    return refuse("--mag", text.mag, "given without --stats",
                  "--mag FORM with --stats DEF/POW/DEX/MIND");
  }

  std::array<std::int32_t, 4> stats{};
  std::string problem;
  if (!parseFour(text.stats, stats, problem)) {
    return refuse("--stats", text.stats, problem, statsAllowed());
  }
  std::array<std::int32_t, 4> bars{};
  if (!parseFour(barsGiven(text), bars, problem)) {
    return refuse("--bars", barsGiven(text), problem, barsAllowed());
  }
  mag.def = stats[0];
  mag.pow = stats[1];
  mag.dex = stats[2];
  mag.mind = stats[3];
  mag.defBar = bars[0];
  mag.powBar = bars[1];
  mag.dexBar = bars[2];
  mag.mindBar = bars[3];
  mag.level = levelOf(stats[0], stats[1], stats[2], stats[3]);
  start = mag;
  return {};
}

namespace {

// "at level 80, the forms mitra, surya, ...": the forms a mag can have at the level of `start`.
std::string formsAtLevel(const MagState& start) {
  std::string forms;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    MagState mag = start;
    mag.type = type;
    if (!checkStartForm(mag).within()) continue;
    if (!forms.empty()) forms += ", ";
    forms += kMagTypeNames[type];
  }
  return "at level " + std::to_string(start.level) + ", the forms " + forms;
}

}  // namespace

std::string startRefusal(const MagOptionText& text, const MagState& start,
                         const LimitVerdict& verdict) {
  if (verdict.within()) return {};
  if (verdict.field == LimitField::kForm) {
    return refuse("--mag", text.mag, startRefusalText(verdict), formsAtLevel(start));
  }
  const bool bar = isBar(verdict.field);
  return refuse(bar ? "--bars" : "--stats", bar ? barsGiven(text) : text.stats,
                startRefusalText(verdict), bar ? barsAllowed() : statsAllowed());
}

std::string readForm(const char* option, const std::string& text, MagType& type) {
  const std::int32_t found = lookUp(text, 1, kMagTypeNames, kMagTypeCount);
  if (found < 0) {
    return refuse(option, text, "not a form", menuAllowed(1, kMagTypeNames, kMagTypeCount));
  }
  type = found;
  return {};
}

std::string readTarget(const std::string& text, const MagState& start, Target& target) {
  if (std::string missing = requireOption("--target", text, "DEF/POW/DEX/MIND"); !missing.empty()) {
    return missing;
  }
  std::array<std::int32_t, 4> wanted{};
  std::string problem;
  if (!parseFour(text, wanted, problem)) {
    return refuse("--target", text, problem, targetAllowed(start));
  }
  target = Target{wanted[0], wanted[1], wanted[2], wanted[3],
                  levelOf(wanted[0], wanted[1], wanted[2], wanted[3])};
  return {};
}

std::string targetRefusal(const std::string& text, const MagState& start,
                          const LimitVerdict& verdict) {
  if (verdict.within()) return {};
  return refuse("--target", text, targetRefusalText(verdict), targetAllowed(start));
}

bool parseInt32(const std::string& text, std::int32_t& value) {
  const char* const end = text.data() + text.size();
  std::int32_t parsed = 0;
  const auto [stop, error] = std::from_chars(text.data(), end, parsed);
  if (error != std::errc{} || stop != end) return false;
  value = parsed;
  return true;
}

}  // namespace ostrel
