#include "app/plan_files_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace ostrel {

PlanFilesLock::PlanFilesLock(const PlanFilePaths& paths) {
  if (!paths.write) return;
  // Both files lie in one directory: the detail file's.
  const std::filesystem::path directory = std::filesystem::path(paths.detail).parent_path().empty()
                                              ? std::filesystem::path(".")
                                              : std::filesystem::path(paths.detail).parent_path();
  directory_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory_ < 0) return;
  int locked = -1;
  do {
    locked = ::flock(directory_, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    ::close(directory_);
    directory_ = -1;
  }
}

PlanFilesLock::~PlanFilesLock() {
  // Closing the directory lets the lock go.
  if (directory_ >= 0) ::close(directory_);
}

}  // namespace ostrel
