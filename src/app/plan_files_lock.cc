// The lock is the file system's advisory one (flock) on the detail file, which the plan is about
// to empty anyway: opened for writing, not truncated, so that a plan still being written by
// another ostrel is not cut while it waits.
#include "app/plan_files_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace ostrel {
namespace {

bool lockDetail(int detail, int how) {
  int locked = -1;
  do {
    locked = ::flock(detail, how);
  } while (locked != 0 && errno == EINTR);
  return locked == 0;
}

}  // namespace

PlanFilesLock::PlanFilesLock(const PlanFilePaths& paths, const Console& console) {
  if (!paths.write) return;
  // The permissions of a file made here are those fopen gives the plan files it makes.
  constexpr mode_t kNewFileMode = 0666;
  detail_ = ::open(paths.detail.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, kNewFileMode);
  if (detail_ < 0) return;
  if (lockDetail(detail_, LOCK_EX | LOCK_NB)) return;
  if (errno == EWOULDBLOCK) {
    std::fprintf(console.err, "ostrel plan: waiting while another plan is written to %s\n",
                 printable(paths.detail).c_str());
    if (lockDetail(detail_, LOCK_EX)) return;
  }
  ::close(detail_);
  detail_ = -1;
}

PlanFilesLock::~PlanFilesLock() {
  // Closing the file lets the lock go.
  if (detail_ >= 0) ::close(detail_);
}

}  // namespace ostrel
