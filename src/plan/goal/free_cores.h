// Whether the machine has a core free for a goal search's second thread. A player runs ostrel
// beside the game, whose client keeps the cores busy: there a second thread finds no core of its
// own, takes its share of the time the machine gives ostrel from the first thread, and makes the
// first wait for the parts it holds, so a search on two threads ran a tenth to a third longer than
// on one. A search asked to run on two threads (GoalOptions::oneThreadWhenBusy) asks this once, as
// it starts, and runs on one where the answer is no. The plans are the same either way.
//
// What it sees is the kernel's count of the machine's runnable threads: it takes a program at the
// lowest priority for a busy one, sees no limit on the time a control group may take, and counts
// the threads running on cores this program may not use as if they took its own.
#pragma once

#include <cstdint>
#include <optional>

#include "plan/goal/goal.h"

namespace ostrel {

// What the machine looked like in one glance: its cores and the threads ready to run on them.
struct CoresSeen {
  int cores = 0;     // the cores this program may run on
  int runnable = 0;  // threads of every program running or waiting for a core, this one's included
};

// Whether, of the cores seen, two are left for this program: one for the thread that looks (itself
// counted among the runnable) and one for a second thread.
bool twoCoresFree(const CoresSeen& seen);

// The runnable threads a line of the kernel's load file tells ("0.52 0.58 0.59 3/467 12345": the
// fourth field's first number); none where the line is not of that shape or counts none (the
// thread that reads it runs).
std::optional<int> runnableIn(const char* line);

// Whether the machine has a core free for a second thread now: true where it cannot tell (a
// machine without the kernel's count of runnable threads, the web page's worker).
bool coreFreeForSecondThread();

// The threads a search asked with `options` runs on, decided as it starts: those asked, but one
// where two are asked, no second thread is handed down from an outer search (which decided for
// it) and the machine has no core free for a second (GoalOptions::oneThreadWhenBusy).
std::int32_t threadsToRun(const GoalOptions& options);

}  // namespace ostrel
