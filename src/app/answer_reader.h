// Reading the user's answers from standard input, one question at a time. What follows an answer
// on its line is thrown away before the next read, so a scripted session can give one answer per
// line; a numeric answer skips white space, blank lines included, and takes an optional sign and
// decimal digits; a one-character answer takes the next character as it comes.
#pragma once

#include <cstdint>
#include <cstdio>

namespace ostrel {

struct AnswerReader {
  std::FILE* in = stdin;
  // Whether the last read stopped before the end of its line; the rest of that line is then
  // thrown away before the next read. Nothing is pending at the start.
  bool linePending = false;
};

enum class ReadResult {
  kAnswered,    // the value was assigned
  kNotANumber,  // the answer did not begin with a number: the value keeps what it held
  kInputEnded,  // standard input ended before an answer came
};

// Reads a decimal integer into `value`. One beyond 32 bits takes the nearest 32-bit value.
ReadResult readNumber(AnswerReader& reader, std::int32_t& value);

// Reads the next character, white space and line ends included, into `value` as its code.
ReadResult readCharacter(AnswerReader& reader, std::int32_t& value);

}  // namespace ostrel
