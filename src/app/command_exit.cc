#include "app/command_exit.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ostrel {

int refuseUsage(const char* command, const std::string& why, const Console& console) {
  std::string line = why;
  std::replace_if(
      line.begin(), line.end(),
      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7f'; }, '?');
  std::fprintf(console.err, "%s: %s\n", command, line.c_str());
  return kUsageError;
}

bool outputWritten(const char* command, const Console& console) {
  if (std::fflush(console.out) == 0 && std::ferror(console.out) == 0) return true;
  std::fprintf(console.err, "%s: cannot write to standard output: %s\n", command,
               std::strerror(errno != 0 ? errno : EIO));
  return false;
}

}  // namespace ostrel
