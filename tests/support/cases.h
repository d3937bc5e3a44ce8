// The cases the tests plan: one seeded generator of players, starting mags and targets, the
// dialogue's answers and the `ostrel plan` arguments that ask for the same plan, and the case
// tables kept as data files in tests/cases/.
#pragma once

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "model/state.h"

namespace ostrel::testing {

struct PlanCase {
  SectionId section = 0;
  CharClass charClass = 0;
  bool baby = true;  // a new mag, as the dialogue's menu gives it
  MagState start;
  Target target;
  // With Reach::kFed, the form that the feedings which gave the target end in: one no rule may
  // exclude.
  std::optional<MagType> fedForm;
};

// The player of a case, as the searches take it.
PlayerRequest playerOf(const PlanCase& c);

int pick(std::mt19937& rng, int low, int high);

enum class Reach {
  kNear,       // one case in three a new mag, the others any form at stats spread over the levels
               // of evolution with any bars; each target stat up to `step` levels up
  kFar,        // as kNear, one stat up to 90 levels more: mostly hopeless
  kHeld,       // as kNear, with a form the mag can have at its level (checkStartForm), as the
               // command line and the page take only those
  kFinalForm,  // a final form of the last feeding table, def one short and more: paths that come
               // back to a state already on them
  kFed,        // random feedings from a new mag give the start, more of them the target: always
               // reachable, from any level, up to `step` levels on (one case in five 60)
};

PlanCase randomCase(std::mt19937& rng, Reach reach = Reach::kNear, int step = 4);

// "def/pow/dex/mind" and back.
std::string statsText(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind);
std::array<std::int32_t, 4> fourNumbers(const std::string& text);

// The answers that make the dialogue plan this case once and then stop.
std::string dialogueInput(const PlanCase& c);

// The `ostrel plan` arguments for the same request; names or menu numbers as `byName` says.
std::vector<std::string> planArguments(const PlanCase& c, bool byName);

// The rows of tests/cases/`name`: one case a line, its fields split at '|' and trimmed. Blank
// lines and lines starting with '#' are skipped.
std::vector<std::vector<std::string>> caseRows(const std::string& name);

// A form or item by its name, read as the program reads it; -1 when there is none.
MagType formNamed(const std::string& name);
Item itemNamed(const std::string& name);

// A mag written as in the case tables: "new", or a form's name, its stats and, unless they are
// empty, its bars ("durga 5/1/1/1 99/51/99/0"); a target as its four stats.
MagState magOf(const std::string& text);
Target targetOf(const std::string& text);

}  // namespace ostrel::testing
