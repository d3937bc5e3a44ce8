// Whether the machine has a core idle for one more of this program's threads. A player runs
// ostrel beside the game, whose client keeps the cores busy: there a second thread finds no core
// of its own, takes its share of the time the machine gives ostrel from the first thread, and
// makes the first wait for the parts it holds, so a search on two threads ran a tenth to a third
// longer than on one. So a search's second thread (TwoThreads, when asked to wait for a core)
// starts only once the machine has a core idle for it: the search looks as it starts, and while
// it sees none, again as it goes, less and less often. On a busy machine the search runs on one
// thread; on an idle one the second thread joins at once; and where a program runs for a moment
// as the search starts (the shell that started ostrel, the other end of a pipe, a kernel worker),
// which made a search that looked only as it started run alone to its end, it joins once that is
// over. A second thread made at once and left asleep until a core is idle cost the search under
// load nearly as much as one that runs. The plans are the same either way.
//
// What it sees is the kernel's count of the machine's runnable threads: it takes a program at the
// lowest priority for a busy one, sees no limit on the time a control group may take, and counts
// the threads running on cores this program may not use as if they took its own.
#pragma once

#include <optional>

namespace ostrel {

// What the machine looked like in one glance: its cores and the threads ready to run on them.
struct CoresSeen {
  int cores = 0;     // the cores this program may run on
  int runnable = 0;  // threads of every program running or waiting for a core, this one's included
};

// Whether one more thread beside those seen runnable (the looking thread among them) would have a
// core of its own.
bool coreIdleFor(const CoresSeen& seen);

// The runnable threads a line of the kernel's load file tells ("0.52 0.58 0.59 3/467 12345": the
// fourth field's first number); none where the line is not of that shape or counts none (the
// thread that reads it runs).
std::optional<int> runnableIn(const char* line);

// coreIdleFor the machine now: true where it cannot tell (a machine without the kernel's count of
// runnable threads, the web page's worker).
bool coreIdleNow();

}  // namespace ostrel
