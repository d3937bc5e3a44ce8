// Seeded plan requests for the command-line tests: the player, a mag the dialogue accepts (a new
// one, or any form with stats and bars) and a target the dialogue accepts, a few levels above the
// mag; with the dialogue's answers and the `ostrel plan` arguments that ask for the same plan.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "model/state.h"
#include "model/tables.h"

namespace ostrel::testing {

struct PlanCase {
  SectionId section = 0;
  CharClass charClass = 0;
  bool baby = true;
  MagState start;
  Target target;
};

inline int pick(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

// One case in three is a new mag; the others are any form at stats spread over the levels of
// evolution, with any bars. Each target stat is up to `step` levels above the mag's.
inline PlanCase randomPlanCase(std::mt19937& rng, int step = 4) {
  PlanCase c;
  c.section = pick(rng, 0, 9);
  c.charClass = pick(rng, 0, 11);
  c.baby = pick(rng, 0, 2) == 0;
  MagState& mag = c.start;
  if (!c.baby) {
    const int most = pick(rng, 0, 4) * 40 + 10;
    do {
      mag = {pick(rng, 0, 44),   pick(rng, 5, most),
             pick(rng, 0, most), pick(rng, 0, most),
             pick(rng, 0, most), pick(rng, 0, 99),
             pick(rng, 0, 99),   pick(rng, 0, 99),
             pick(rng, 0, 99),   0};
      mag.level = mag.def + mag.pow + mag.dex + mag.mind;
    } while (mag.level >= kMaxLevel - 1);
  }
  Target& t = c.target;
  do {
    const auto up = [&] { return pick(rng, 0, std::min(step, kMaxLevel - mag.level)); };
    t = {mag.def + up(), mag.pow + up(), mag.dex + up(), mag.mind + up(), 0};
    t.level = t.def + t.pow + t.dex + t.mind;
  } while (t.level <= mag.level || t.level > kMaxLevel);
  return c;
}

inline std::string statsText(std::int32_t def, std::int32_t pow, std::int32_t dex,
                             std::int32_t mind) {
  return std::to_string(def) + "/" + std::to_string(pow) + "/" + std::to_string(dex) + "/" +
         std::to_string(mind);
}

// The answers that make the dialogue plan this case once and then stop.
inline std::string dialogueInput(const PlanCase& c) {
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

// The `ostrel plan` arguments for the same request; names or menu numbers as `byName` says.
inline std::vector<std::string> planArguments(const PlanCase& c, bool byName) {
  std::vector<std::string> args = {
      "plan", "--section",
      byName ? std::string(kSectionIdNames[c.section]) : std::to_string(c.section), "--class",
      byName ? std::string(kCharClassNames[c.charClass]) : std::to_string(c.charClass)};
  const MagState& m = c.start;
  if (!c.baby) {
    args.insert(args.end(),
                {"--mag", byName ? std::string(kMagTypeNames[m.type]) : std::to_string(m.type + 1),
                 "--stats", statsText(m.def, m.pow, m.dex, m.mind), "--bars",
                 statsText(m.defBar, m.powBar, m.dexBar, m.mindBar)});
  }
  args.insert(args.end(),
              {"--target", statsText(c.target.def, c.target.pow, c.target.dex, c.target.mind)});
  return args;
}

}  // namespace ostrel::testing
