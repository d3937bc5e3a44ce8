// Where the planner talks: the console for questions, plans and progress, and a separate stream
// for trouble (files that cannot be written, input that ended). Tests hand in their own streams.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace ostrel {

struct Console {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
};

// A text of the user's (an argument, a path) as a message may show it: each control character
// (below a blank, DEL, and U+0080..U+009F as UTF-8 writes them) as '?', so that nothing typed can
// break the message's line or steer the terminal.
inline std::string printable(const std::string& text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c1) ++i;
    shown += byte < 0x20 || byte == 0x7F || c1 ? '?' : text[i];
  }
  return shown;
}

}  // namespace ostrel
