// Reading answers: numbers after blank lines, the rest of a line thrown away, answers that are not
// numbers, numbers beyond 32 bits, CR LF lines, single characters and the end of input.
#include "app/answer_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

// Reads answers from `typed`, a number for each 'n' of `kinds` and a character for each 'c',
// into one value that starts at 42. Lists the value after each read: "?" before it when the
// answer was not a number, "end" when the input ended.
std::string answers(std::string typed, const std::string& kinds) {
  AnswerReader reader{fmemopen(typed.data(), typed.size(), "r")};
  std::int32_t value = 42;
  std::string listed;
  for (char kind : kinds) {
    const ReadResult result =
        kind == 'n' ? readNumber(reader, value) : readCharacter(reader, value);
    if (result == ReadResult::kInputEnded) listed += "end ";
    if (result == ReadResult::kNotANumber) listed += "?";
    if (result != ReadResult::kInputEnded) listed += std::to_string(value) + ' ';
  }
  std::fclose(reader.in);
  return listed;
}

TEST(AnswerReaderTest, Numbers) {
  EXPECT_EQ(answers("\n\n  12abc 7\n\t-3\n+4x\n", "nnnn"), "12 -3 4 end ");
  EXPECT_EQ(answers("abc 5\n-\n- 6\n7\n", "nnnn"), "?42 ?42 ?42 7 ");
  EXPECT_EQ(answers("12\r\n\r\n7\r\n", "nnn"), "12 7 end ");
  EXPECT_EQ(answers("99999999999\n-99999999999\n2147483647\n-2147483648\n-0\n"
                    "123456789012345678901234567890\n-0000000000000000000000000042\n",
                    "nnnnnnn"),
            "2147483647 -2147483648 2147483647 -2147483648 0 2147483647 -42 ");
}

TEST(AnswerReaderTest, CharactersAndTheEndOfInput) {
  // After 7's line, an empty line answers with its '\n' (10); then 'Y' (89), the rest of its line
  // gone, and a blank (32).
  EXPECT_EQ(answers("7\r\n\nY\r\n yes\n", "ncccc"), "7 10 89 32 end ");
  EXPECT_EQ(answers("x", "cc"), "120 end ");
  EXPECT_EQ(answers("\n -", "n"), "end ");
  EXPECT_EQ(answers("12abc", "nnc"), "12 end end ");
}

}  // namespace
}  // namespace ostrel
