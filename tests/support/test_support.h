// Helpers for the tests: the searches held to one behaviour, a console whose output can be read
// back, whole files, and the fresh temporary working directory that the test program runs in,
// where the plan files are written.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "plan/console.h"
#include "plan/first_found/search.h"

namespace ostrel::testing {

// The shipped search with and without its memory of failed states and of the current path, and a
// plain recursion written to be read rather than to be fast (reference_search.cc).
enum class Engine { kRemembering, kPlain, kReference };
inline constexpr Engine kAllEngines[] = {Engine::kRemembering, Engine::kPlain, Engine::kReference};

// Searches from `start` to `request.target` with one progress line every `interval` nodes of the
// run, giving up at the sixth of a plan, and writes the plan found into `files` through the plan
// report. Returns 1 with the plan in `found`, or 0. The reference recurses once per feeding on the
// path, so keep `interval` small for targets that may not be reachable.
int searchWith(Engine engine, const PlayerRequest& request, SearchCounters& counters,
               PlanFiles& files, const MagState& start, const Console& console, Plan& found,
               double interval = 2'000'000, SearchStats* stats = nullptr);

// The whole content of a file, or "<missing>" when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();  // a directory reads as empty
  return in ? text.str() : "<missing>";
}

// Runs `body` with a console whose two streams go to one file, and returns what was written.
std::string consoleOf(const auto& body) {
  std::remove("console.txt");  // a new file each time: rewriting an old one waits for the disk
  std::FILE* const file = std::fopen("console.txt", "w");
  body(Console{file, file});
  std::fclose(file);
  return readFile("console.txt");
}

// The working directory of the test program, made when the program starts and removed at its end.
inline struct ScratchDirectory {
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    std::filesystem::current_path(path = pattern);
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path); }
  std::filesystem::path path;
} scratchDirectory;

}  // namespace ostrel::testing
