// Reading the user's answers from standard input.
#include "app/answer_reader.h"

#include <cctype>
#include <cstdint>
#include <limits>

namespace ostrel {
namespace {

// Throws away the rest of the line the last read stopped in. Running into the end of input here
// is left for the read that follows to notice, after its question has been printed.
void discardPendingLine(AnswerReader& reader) {
  if (!reader.linePending) return;
  int c;
  do {
    c = std::getc(reader.in);
  } while (c != EOF && c != '\n');
  reader.linePending = false;
}

bool isDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

ReadResult readNumber(AnswerReader& reader, std::int32_t& value) {
  discardPendingLine(reader);
  int c = std::getc(reader.in);
  while (c != EOF && std::isspace(c) != 0) c = std::getc(reader.in);
  if (c == EOF) return ReadResult::kInputEnded;

  // Whatever happens now, the read stops inside a line that the next read throws away.
  reader.linePending = true;
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = std::getc(reader.in);
    if (c == EOF) return ReadResult::kInputEnded;
  }
  if (!isDigit(c)) {
    std::ungetc(c, reader.in);
    return ReadResult::kNotANumber;
  }

  // Past 2^31 the digits no longer change the clamped result, so the magnitude stops growing.
  constexpr std::int64_t kBeyond32Bits = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (; isDigit(c); c = std::getc(reader.in)) {
    if (magnitude < kBeyond32Bits) magnitude = magnitude * 10 + (c - '0');
  }
  if (c != EOF) std::ungetc(c, reader.in);

  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  value = static_cast<std::int32_t>(signedValue < kMin ? kMin
                                                       : (signedValue > kMax ? kMax : signedValue));
  return ReadResult::kAnswered;
}

ReadResult readCharacter(AnswerReader& reader, std::int32_t& value) {
  discardPendingLine(reader);
  const int c = std::getc(reader.in);
  if (c == EOF) return ReadResult::kInputEnded;
  reader.linePending = c != '\n';
  value = c;
  return ReadResult::kAnswered;
}

}  // namespace ostrel
