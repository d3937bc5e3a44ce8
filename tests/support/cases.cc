// The seeded case generator and the reader of the case tables.
#include "support/cases.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "model/limits.h"
#include "model/names.h"
#include "model/tables.h"
#include "support/replay.h"

namespace ostrel::testing {

PlayerRequest playerOf(const PlanCase& c) { return {{c.section, c.charClass}, c.target}; }

int pick(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

namespace {

// Random feedings up to `level` (or the level cap).
void feedTo(std::mt19937& rng, const Player& player, MagState& mag, int level) {
  while (mag.level < level && mag.level < kMaxLevel) mag = fedOnce(player, pick(rng, 0, 9), mag);
}

PlanCase fedCase(std::mt19937& rng, int step) {
  PlanCase c;
  c.charClass = pick(rng, 0, kCharClassCount - 1);
  c.section = pick(rng, 0, kSectionIdCount - 1);
  const Player player = playerOf(c).player;
  do {
    c.start = kBabyMag;
    feedTo(rng, player, c.start, pick(rng, 0, 3) == 0 ? 5 : pick(rng, 5, 180));
  } while (c.start.level >= kMaxLevel);
  c.baby = c.start == kBabyMag;
  MagState end = c.start;
  feedTo(rng, player, end,
         std::min(c.start.level + pick(rng, 1, pick(rng, 0, 4) == 0 ? 60 : step), kMaxLevel));
  c.target = {end.def, end.pow, end.dex, end.mind, end.level};
  c.fedForm = end.type;
  return c;
}

}  // namespace

PlanCase randomCase(std::mt19937& rng, Reach reach, int step) {
  if (reach == Reach::kFed) return fedCase(rng, step);
  PlanCase c;
  c.section = pick(rng, 0, 9);
  c.charClass = pick(rng, 0, 11);
  c.baby = reach != Reach::kFinalForm && pick(rng, 0, 2) == 0;
  MagState& mag = c.start;
  if (!c.baby) {
    const int most = pick(rng, 0, 4) * 40 + 10;
    const auto stat = [&](int least) { return pick(rng, least, most); };
    const auto bar = [&] { return pick(rng, 0, 99); };
    do {
      const MagType form = pick(rng, reach == Reach::kFinalForm ? 42 : 0, 44);
      mag = {form, stat(5), stat(0), stat(0), stat(0), bar(), bar(), bar(), bar(), 0};
      mag.level = mag.def + mag.pow + mag.dex + mag.mind;
    } while (mag.level >= kMaxLevel - 1 ||
             (reach == Reach::kHeld && !checkStartForm(mag).within()));
  }
  Target& t = c.target;
  std::int32_t* const stats[] = {&t.def, &t.pow, &t.dex, &t.mind};
  do {
    const auto up = [&] { return pick(rng, 0, std::min(step, kMaxLevel - mag.level)); };
    t = {mag.def + up(), mag.pow + up(), mag.dex + up(), mag.mind + up(), 0};
    if (reach == Reach::kFar) *stats[pick(rng, 0, 3)] += pick(rng, 0, 90);
    if (reach == Reach::kFinalForm) t.def += 1;
    t.level = t.def + t.pow + t.dex + t.mind;
  } while (t.level <= mag.level || t.level > kMaxLevel);
  return c;
}

std::string statsText(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind) {
  return std::to_string(def) + "/" + std::to_string(pow) + "/" + std::to_string(dex) + "/" +
         std::to_string(mind);
}

std::array<std::int32_t, 4> fourNumbers(const std::string& text) {
  std::array<std::int32_t, 4> numbers{};
  char slash = 0;
  std::istringstream(text) >> numbers[0] >> slash >> numbers[1] >> slash >> numbers[2] >> slash >>
      numbers[3];
  return numbers;
}

std::string dialogueInput(const PlanCase& c) {
  // Built by appending: g++ 12 warns wrongly about a literal plus a temporary string.
  std::string input = "\n";
  for (const std::int32_t answer : {c.section, c.charClass}) input += std::to_string(answer) + "\n";
  const MagState& m = c.start;
  if (c.baby) {
    input += "1\n";
  } else {
    for (const std::int32_t answer :
         {2, m.type + 1, m.def, m.defBar, m.pow, m.powBar, m.dex, m.dexBar, m.mind, m.mindBar}) {
      input += std::to_string(answer) + "\n";
    }
  }
  for (const std::int32_t stat : {c.target.def, c.target.pow, c.target.dex, c.target.mind}) {
    input += std::to_string(stat) + "\n";
  }
  return input + "n\n";
}

std::vector<std::string> planArguments(const PlanCase& c, bool byName) {
  const auto named = [&](const char* name, std::int32_t number) {
    return byName ? std::string(name) : std::to_string(number);
  };
  std::vector<std::string> args = {"plan", "--section",
                                   named(kSectionIdNames[c.section], c.section), "--class",
                                   named(kCharClassNames[c.charClass], c.charClass)};
  const MagState& m = c.start;
  if (!c.baby) {
    args.insert(args.end(), {"--mag", named(kMagTypeNames[m.type], m.type + 1), "--stats",
                             statsText(m.def, m.pow, m.dex, m.mind), "--bars",
                             statsText(m.defBar, m.powBar, m.dexBar, m.mindBar)});
  }
  args.insert(args.end(),
              {"--target", statsText(c.target.def, c.target.pow, c.target.dex, c.target.mind)});
  return args;
}

std::vector<std::vector<std::string>> caseRows(const std::string& name) {
  std::ifstream file(std::string(OSTREL_CASES_DIR) + "/" + name);
  std::vector<std::vector<std::string>> rows;
  const auto trimmed = [](const std::string& text) {
    const std::size_t begin = text.find_first_not_of(' ');
    return begin == std::string::npos ? ""
                                      : text.substr(begin, text.find_last_not_of(' ') - begin + 1);
  };
  for (std::string line; std::getline(file, line);) {
    if (trimmed(line).empty() || line.starts_with('#')) continue;
    std::vector<std::string>& row = rows.emplace_back();
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '|');) row.push_back(trimmed(field));
  }
  if (rows.empty()) rows.push_back({"no rows in " + name});  // fails every reader's checks
  return rows;
}

MagType formNamed(const std::string& name) { return findName(name, kMagTypeNames, kMagTypeCount); }
Item itemNamed(const std::string& name) { return findName(name, kItemNames, kItemCount); }

MagState magOf(const std::string& text) {
  if (text == "new") return kBabyMag;
  std::istringstream fields(text);
  std::string name;
  std::string stats;
  std::string bars = "0/0/0/0";
  fields >> name >> stats >> bars;
  const auto [def, pow, dex, mind] = fourNumbers(stats);
  const auto [defBar, powBar, dexBar, mindBar] = fourNumbers(bars);
  return {formNamed(name), def,    pow,    dex,     mind,
          defBar,          powBar, dexBar, mindBar, def + pow + dex + mind};
}

Target targetOf(const std::string& text) {
  const auto [def, pow, dex, mind] = fourNumbers(text);
  return {def, pow, dex, mind, def + pow + dex + mind};
}

}  // namespace ostrel::testing
