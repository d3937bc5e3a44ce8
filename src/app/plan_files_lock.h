// Two plans written at once into one directory would interleave their lines, since each line
// opens its file anew (as the dialogue has always written them) and both runs would end with
// success. A command holds the directory locked while it empties and writes the plan files, so the
// plan written last stands whole and one waits for the other.
#pragma once

#include "plan/report/plan_report.h"

namespace ostrel {

class PlanFilesLock {
 public:
  // Waits for the directory of `paths` to be free, then holds it; without files to write, or
  // where the directory cannot be opened (the writes then fail and say so), holds nothing.
  explicit PlanFilesLock(const PlanFilePaths& paths);
  ~PlanFilesLock();
  PlanFilesLock(const PlanFilesLock&) = delete;
  PlanFilesLock& operator=(const PlanFilesLock&) = delete;

 private:
  int directory_ = -1;  // the directory's descriptor, locked
};

}  // namespace ostrel
