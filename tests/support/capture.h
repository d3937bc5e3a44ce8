// Helpers for tests: a console whose output can be read back, and a scratch working directory
// for the plan files.
#pragma once

#include <cstdio>
#include <string>

#include "plan/console.h"

namespace ostrel::testing {

// A console writing to two temporary files; text() and errors() read back what was written.
class CapturedConsole {
 public:
  CapturedConsole();
  ~CapturedConsole();
  CapturedConsole(const CapturedConsole&) = delete;
  CapturedConsole& operator=(const CapturedConsole&) = delete;

  const Console& console() const { return console_; }
  std::string text() const;
  std::string errors() const;

 private:
  Console console_;
};

// Makes a fresh temporary directory the working directory for its lifetime.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string previous_;
  std::string path_;
};

// The whole content of a file, or "<missing>" when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace ostrel::testing
