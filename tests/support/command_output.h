// Running a command in the test process with its standard output and error caught in files.
#pragma once

#include <cstdio>
#include <string>

#include "plan/console.h"
#include "support/test_support.h"

namespace ostrel::testing {

struct CommandOutput {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `command(console)` and returns its status with what it wrote to either stream.
CommandOutput runCaught(const auto& command) {
  std::remove("command.out");  // new files each time, as in consoleOf
  std::remove("command.err");
  std::FILE* const out = std::fopen("command.out", "w");
  std::FILE* const err = std::fopen("command.err", "w");
  CommandOutput caught;
  caught.status = command(Console{out, err});
  std::fclose(out);
  std::fclose(err);
  caught.out = readFile("command.out");
  caught.err = readFile("command.err");
  return caught;
}

}  // namespace ostrel::testing
