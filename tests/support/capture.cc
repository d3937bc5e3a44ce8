// Helpers for tests: captured console output and a scratch working directory.
#include "support/capture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ostrel::testing {
namespace {

std::string readAll(std::FILE* stream) {
  std::fflush(stream);
  std::rewind(stream);
  std::string text;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
  std::fseek(stream, 0, SEEK_END);
  return text;
}

}  // namespace

CapturedConsole::CapturedConsole() : console_{std::tmpfile(), std::tmpfile()} {
  if (console_.out == nullptr || console_.err == nullptr) throw std::runtime_error("tmpfile");
}

CapturedConsole::~CapturedConsole() {
  std::fclose(console_.out);
  std::fclose(console_.err);
}

std::string CapturedConsole::text() const { return readAll(console_.out); }
std::string CapturedConsole::errors() const { return readAll(console_.err); }

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
  path_ = pattern;
  std::filesystem::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace ostrel::testing
