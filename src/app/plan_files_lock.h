// Two plans written at once into one directory would interleave their lines, since each line
// opens its file anew (as the dialogue has always written them), and both runs would end with
// success. `ostrel plan` holds the detail file locked while it empties and writes both files, so
// one waits for the other and the plan written last stands whole. The dialogue is left as it
// always was: it empties its files when it asks for a plan, long before it writes them.
#pragma once

#include "plan/console.h"
#include "plan/report/plan_report.h"

namespace ostrel {

class PlanFilesLock {
 public:
  // Waits, saying so on `console`'s error stream, while another plan is written to the same
  // files, then holds them. Without files to write, where the detail file cannot be opened (its
  // writes then fail and say so) or on a file system without locks, it holds nothing.
  PlanFilesLock(const PlanFilePaths& paths, const Console& console);
  ~PlanFilesLock();
  PlanFilesLock(const PlanFilesLock&) = delete;
  PlanFilesLock& operator=(const PlanFilesLock&) = delete;

 private:
  int detail_ = -1;  // the detail file's descriptor, locked
};

}  // namespace ostrel
