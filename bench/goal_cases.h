// The cases of the goal benchmark as its command line names them (a goal, its listing or the
// trade-off), and how a case's process tells what it found: shared by the table (goal_bench.cc)
// and the load mode (under_load.cc), which run each case as a process of its own.
#pragma once

#include <cstddef>
#include <cstring>

#include "plan/goal/goal.h"

namespace ostrel::bench {

enum class Run {
  kPlan,       // the goal's plan
  kForms,      // the listing of the forms: the best plan of every form, by the goal
  kTradeoffs,  // the trade-off from the shortest plan to the cheapest
};
struct GoalName {
  const char* name;
  Goal goal;
  Run run;
};
inline constexpr GoalName kGoals[] = {
    {"first", Goal::kFirst, Run::kPlan},
    {"cheapest", Goal::kCheapest, Run::kPlan},
    {"fewest", Goal::kFewest, Run::kPlan},
    {"forms", Goal::kCheapest, Run::kForms},
    {"forms-fewest", Goal::kFewest, Run::kForms},
    {"tradeoffs", Goal::kCheapest, Run::kTradeoffs},
};

// How a case's process exits, so that the run of a table can count the shortest plans within 1%
// of their reference; 2 is a mistaken command line.
inline constexpr int kCaseFound = 0;  // a plan found (the shortest: within 1% of its reference)
inline constexpr int kCaseNotFound = 1;
inline constexpr int kCaseFoundBeyond = 3;  // the shortest plan found, beyond 1% of its reference

inline bool caseRan(int status) { return status == kCaseFound || status == kCaseFoundBeyond; }

// Whether `name` is one of the words of `words` (separated by spaces).
inline bool namedIn(const char* words, const char* name) {
  const std::size_t length = std::strlen(name);
  for (const char* at = std::strstr(words, name); at != nullptr; at = std::strstr(at + 1, name)) {
    if ((at == words || at[-1] == ' ') && (at[length] == '\0' || at[length] == ' ')) return true;
  }
  return false;
}

}  // namespace ostrel::bench
