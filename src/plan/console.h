// Where the planner talks: the console for questions, plans and progress, and a separate stream
// for trouble (files that cannot be written, input that ended). Tests hand in their own streams.
#pragma once

#include <cstdio>

namespace ostrel {

struct Console {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
};

}  // namespace ostrel
