// The console dialogue: the banner, then one plan after another. Each plan empties the plan
// files, asks for the player and the mag, checks every answer, runs the plan and offers another.
// An answer out of range is asked again; an answer that is not a number keeps the value held
// from before (an earlier asking, the previous plan, or the start of the program).
#include "app/dialogue.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "app/command_exit.h"
#include "app/progress_line.h"
#include "model/limits.h"
#include "model/tables.h"
#include "plan/plan_run.h"
#include "plan/report/plan_document.h"
#include "plan/report/plan_report.h"
#include "plan/request.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {
namespace {

constexpr const char* kBanner =
    "This program will attempt to create a mag to your desired stats.\n"
    "It does NOT find the most efficient way, and there are most likely\n"
    "errors, so I suggest you not spend much time or money actually\n"
    "following the plan until more debugging is done\n"
    "If you enter something like 5/0/0/195 the program will probably freeze :-) \n"
    "If your mag has tied stats, like 18/12/8/12, when it should evolve, the program\n"
    "may evolve incorrectly.  If so, start a new plan with the mag you got, and you\n"
    "should hopefully still be able to get the stats you need.  sorry.  still trying\n"
    "REMEMBER: the steps are listed in reverse order, read bottom up.\n";

// Whether the dialogue was started with options: without them it is the dialogue as it always
// was, banner included, byte for byte.
bool withOptions(const Request& asked) {
  return asked.goal || asked.form || asked.budget.given() || asked.beamWidth;
}

// The banner of a dialogue started with options, which says what its search does: the first plan
// found, or the goal's best plan that the searches find (in the form, within the budget asked).
std::string optionsBanner(const Request& asked) {
  const GoalOptions goal = goalOptions(asked, kDialogueUse);
  std::string banner = "This program will attempt to create a mag to your desired stats.\n";
  if (goal.goal == Goal::kFirst) {
    banner +=
        "It takes the first plan it finds, seldom the cheapest or the shortest, and gives up on\n"
        "the targets it finds too hard, where a plan may still exist: try ostrel --goal cheapest.\n";
  } else {
    banner += goal.goal == Goal::kCheapest
                  ? "It looks for the cheapest plan it can find (the least meseta, then the fewest\n"
                    "feedings)"
                  : "It looks for the shortest plan it can find (the fewest feedings, then the "
                    "least\nmeseta)";
    if (goal.form) banner += std::string(" ending as ") + kMagTypeNames[*goal.form];
    if (goal.budget.maxFeedings) {
      banner += " within " + std::to_string(*goal.budget.maxFeedings) + " feedings";
    }
    if (goal.budget.maxMeseta) {
      banner += std::string(goal.budget.maxFeedings ? " and " : " within ") +
                std::to_string(*goal.budget.maxMeseta) + " meseta";
    }
    banner += ".\nA wider --beam-width may find a better plan, more slowly.\n";
  }
  return banner +
         "If your mag's stats are tied when it evolves, the game may choose another form than the\n"
         "plan: then start a new plan from the mag you got.\n"
         "REMEMBER: the steps are listed in reverse order, read bottom up.\n";
}

constexpr const char* kSectionIdMenu =
    "What section ID are you? (0-9)\n"
    "\t0:purplenum\n\t1:redria\n\t2:skyly\n\t3:viridia\n\t4:yelloboze\n"
    "\t5:bluefull\n\t6:greenill\n\t7:oran\n\t8:pinkal\n\t9:whitill\n";

constexpr const char* kCharClassMenu =
    "What type of char are you? (0-11)\n"
    "\t0:humar\n\t1:hucast\n\t2:hunewearl\n\t3:hucaseal\n\t4:ramar\n\t5:racast\n"
    "\t6:ramarl\n\t7:racaseal\n\t8:fomar\n\t9:fonewm\n\t10:fomarl\n\t11:fonewearl\n";

// The program stops asking when standard input has ended or standard output is lost.
enum class Flow { kGoOn, kStop };

// What the dialogue holds over the whole run. The answers and the node count carry over from one
// plan to the next.
struct Dialogue {
  AnswerReader& reader;
  const Console& console;
  // The player, the start and the target, asked for again for every plan (the start's answers
  // kept from the plan before), and the goal given on the command line.
  Request request;
  SearchCounters counters{};
  PlanFiles files{};        // in the working directory
  std::int32_t answer = 0;  // the baby question's and the one-character answers
  int exitStatus = 0;
};

// Anything the user should see is out before the program waits for an answer. If the console
// can no longer be written, there is no point in asking: the program ends with an error.
Flow flushBeforeRead(Dialogue& dialogue) {
  if (outputWritten("ostrel", dialogue.console)) return Flow::kGoOn;
  dialogue.exitStatus = 1;
  return Flow::kStop;
}

// At the end of the run, a console that lost output is an error, not a success.
int finishOutput(Dialogue& dialogue) {
  flushBeforeRead(dialogue);
  return dialogue.exitStatus;
}

Flow endOfInput(Dialogue& dialogue) {
  std::fprintf(dialogue.console.err, "ostrel: standard input ended before the answer came\n");
  dialogue.exitStatus = 1;
  return Flow::kStop;
}

Flow askNumber(Dialogue& dialogue, std::int32_t& value) {
  if (flushBeforeRead(dialogue) == Flow::kStop) return Flow::kStop;
  if (readNumber(dialogue.reader, value) == ReadResult::kInputEnded) return endOfInput(dialogue);
  return Flow::kGoOn;
}

Flow askCharacter(Dialogue& dialogue) {
  if (flushBeforeRead(dialogue) == Flow::kStop) return Flow::kStop;
  if (readCharacter(dialogue.reader, dialogue.answer) == ReadResult::kInputEnded) {
    return endOfInput(dialogue);
  }
  return Flow::kGoOn;
}

// Prints `menu` and reads into `value` until it lies in 0..last.
Flow askFromMenu(Dialogue& dialogue, const char* menu, std::int32_t last, std::int32_t& value) {
  do {
    std::fputs(menu, dialogue.console.out);
    if (askNumber(dialogue, value) == Flow::kStop) return Flow::kStop;
  } while (value < 0 || value > last);
  return Flow::kGoOn;
}

// Asks one question about the chosen form, its name in place of %s.
Flow askAboutForm(Dialogue& dialogue, const char* question, std::int32_t& value) {
  std::fprintf(dialogue.console.out, question, kMagTypeNames[dialogue.request.start.type]);
  return askNumber(dialogue, value);
}

void printFormMenu(const Dialogue& dialogue) {
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    std::fprintf(dialogue.console.out, "%d:%s  ", type + 1, kMagTypeNames[type]);
    // The first line holds form 1 alone, every line after it four forms.
    if (type % 4 == 0) std::fputs("\n", dialogue.console.out);
  }
}

// Asks for the form number until it names one of the 45 forms. The held form index, not the
// number, is what an answer that is not a number keeps, so it drops by one at every such answer.
Flow askForm(Dialogue& dialogue) {
  for (;;) {
    printFormMenu(dialogue);
    std::fputs("What number is your mag's type?\n", dialogue.console.out);
    MagType& form = dialogue.request.start.type;
    std::int32_t number = form;
    if (askNumber(dialogue, number) == Flow::kStop) return Flow::kStop;
    const std::int64_t type = std::int64_t{number} - 1;
    form = static_cast<std::int32_t>(type < INT32_MIN ? INT32_MIN : type);
    if (type >= 0 && type < kMagTypeCount) return Flow::kGoOn;
  }
}

// One pass over the form, stats and bars of a mag that is not new; repeated from the form menu
// until every answer is in range and the mag is below level 200.
Flow askMag(Dialogue& dialogue) {
  MagState& mag = dialogue.request.start;
  for (;;) {
    if (askForm(dialogue) == Flow::kStop) return Flow::kStop;
    const struct {
      const char* question;
      std::int32_t& value;
    } questions[] = {
        {"What is your %s's def?(must be at least 5)\n", mag.def},
        {"About what is your %s's def bar filled?(0%% through 99%%)\n", mag.defBar},
        {"What is your %s's pow?\n", mag.pow},
        {"About what is your %s's pow bar filled?(0%% through 99%%)\n", mag.powBar},
        {"What is your %s's dex?\n", mag.dex},
        {"About what is your %s's dex bar filled?(0%% through 99%%)\n", mag.dexBar},
        {"What is your %s's mind?\n", mag.mind},
        {"About what is your %s's mind bar filled?(0%% through 99%%)\n", mag.mindBar},
    };
    for (const auto& q : questions) {
      if (askAboutForm(dialogue, q.question, q.value) == Flow::kStop) return Flow::kStop;
    }
    mag.level = levelOf(mag.def, mag.pow, mag.dex, mag.mind);
    // Fully raised is told; any other field out of range is asked again without a word.
    const LimitVerdict verdict = checkRequest(dialogue.request, kDialogueUse).start;
    if (verdict.rule == LimitRule::kFullyRaised) {
      std::fprintf(dialogue.console.out, "%s\n", kFullyRaisedMessage);
    }
    if (verdict.within()) return Flow::kGoOn;
  }
}

// Asks for the four desired stats until they make a mag that can be raised from the start.
Flow askTarget(Dialogue& dialogue) {
  Target& target = dialogue.request.target;
  FILE* out = dialogue.console.out;
  for (;;) {
    std::fputs("What is your desired def?(must be at least 5)\n", out);
    if (askNumber(dialogue, target.def) == Flow::kStop) return Flow::kStop;
    // The remaining levels follow the answers just given, and may well be negative.
    const std::int64_t afterDef = std::int64_t{kMaxLevel} - target.def;
    std::fprintf(out, "What is your desired pow? (%lld remaining lvls)\n",
                 static_cast<long long>(afterDef));
    if (askNumber(dialogue, target.pow) == Flow::kStop) return Flow::kStop;
    const std::int64_t afterPow = afterDef - target.pow;
    std::fprintf(out, "What is your desired dex? (%lld remaining lvls)\n",
                 static_cast<long long>(afterPow));
    if (askNumber(dialogue, target.dex) == Flow::kStop) return Flow::kStop;
    const std::int64_t afterDex = afterPow - target.dex;
    std::fprintf(out, "What is your desired mind? (%lld remaining lvls)\n",
                 static_cast<long long>(afterDex));
    if (askNumber(dialogue, target.mind) == Flow::kStop) return Flow::kStop;

    target.level = levelOf(target.def, target.pow, target.dex, target.mind);
    if (checkRequest(dialogue.request, kDialogueUse).target.within()) return Flow::kGoOn;
    std::fprintf(out, "%s\n", kNotPossibleMessage);
  }
}

Flow askMagAndTarget(Dialogue& dialogue) {
  Player& player = dialogue.request.player;
  if (askFromMenu(dialogue, kSectionIdMenu, kSectionIdCount - 1, player.sectionId) == Flow::kStop ||
      askFromMenu(dialogue, kCharClassMenu, kCharClassCount - 1, player.charClass) == Flow::kStop) {
    return Flow::kStop;
  }
  dialogue.answer = 0;
  do {
    std::fputs("Is your mag a baby (5/0/0/0) or something else? ( 1=baby, 2=something else) \n",
               dialogue.console.out);
    if (askNumber(dialogue, dialogue.answer) == Flow::kStop) return Flow::kStop;
  } while (dialogue.answer != 1 && dialogue.answer != 2);
  if (dialogue.answer == 1) {
    dialogue.request.start = kBabyMag;
  } else if (askMag(dialogue) == Flow::kStop) {
    return Flow::kStop;
  }
  return askTarget(dialogue);
}

}  // namespace

int runDialogue(AnswerReader& reader, const Console& console, const Request& asked) {
  Dialogue dialogue{reader, console, asked};
  std::fputs(withOptions(asked) ? optionsBanner(asked).c_str() : kBanner, console.out);
  std::fputs("\n\npress enter to continue..\n", console.out);
  if (askCharacter(dialogue) == Flow::kStop) return dialogue.exitStatus;

  for (;;) {
    emptyPlanFiles(dialogue.files, console);
    if (askMagAndTarget(dialogue) == Flow::kStop) return dialogue.exitStatus;
    const Request& request = dialogue.request;
    const GoalOptions goal = goalOptions(request, kDialogueUse);
    GoalResult details;
    PlanOutcome outcome = PlanOutcome::kImpossible;
    Plan plan;
    // The status line goes before the plan is told, so the plan is found apart from its telling.
    runShowingProgress(goal, console.err, [&](const GoalOptions& search) {
      outcome = findPlan(request.asked(), dialogue.counters, request.start, console, search, plan,
                         &details);
    });
    tellPlan(request.player, dialogue.files, console,
             outcome == PlanOutcome::kFound ? &plan : nullptr);
    if (outcome == PlanOutcome::kOverBudget) {
      // Plans were found, only none within the budget: said as the commands say it.
      std::fprintf(console.err, "ostrel: %s\n",
                   overBudgetText(goal.budget, details.nearest, goal.form).c_str());
      dialogue.exitStatus = 1;
    }
    std::string why = formNotReachedText(goal, request.target, outcome, details);
    // Without options the dialogue is as it always was: only a dialogue asked for the first plan
    // found by name is told that a goal may find one.
    if (outcome == PlanOutcome::kGaveUp && goal.goal == Goal::kFirst && withOptions(asked)) {
      why = firstGaveUpHint("ostrel --goal cheapest");
    }
    if (!why.empty()) {
      why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
      std::fprintf(console.out, "%s\n", why.c_str());
    }

    std::fputs("\nTry another (will overwrite previous plans)? <Y> or <N>", console.out);
    if (flushBeforeRead(dialogue) == Flow::kStop) return dialogue.exitStatus;
    // Input that ends here declines, like any answer but y or Y.
    if (readCharacter(reader, dialogue.answer) == ReadResult::kInputEnded) break;
    if (dialogue.answer != 'y' && dialogue.answer != 'Y') break;
  }
  return finishOutput(dialogue);
}

}  // namespace ostrel
