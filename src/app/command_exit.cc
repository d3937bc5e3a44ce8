#include "app/command_exit.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ostrel {

int refuseUsage(const char* command, const std::string& why, const Console& console) {
  std::fprintf(console.err, "%s: %s\n", command, printable(why).c_str());
  return kUsageError;
}

bool outputWritten(const char* command, const Console& console) {
  if (std::fflush(console.out) == 0 && std::ferror(console.out) == 0) return true;
  std::fprintf(console.err, "%s: cannot write to standard output: %s\n", command,
               std::strerror(errno != 0 ? errno : EIO));
  return false;
}

}  // namespace ostrel
