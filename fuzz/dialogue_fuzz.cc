// Fuzz target: the whole console dialogue with the fuzz input as standard input. Every question,
// answer check, plan search, plan file and the closing question runs as in the program; the
// console goes to /dev/null and the plan files to a scratch directory made once per process.
// Everything the dialogue keeps (its answers and counters, AnswerReader, Console) is made afresh
// per input.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "app/answer_reader.h"
#include "app/dialogue.h"
#include "fuzz_support.h"

namespace {

using ostrel::fuzz::enterScratchDirectory;
using ostrel::fuzz::failSetup;
using ostrel::fuzz::makePathsAbsolute;

std::FILE* gDevNull = nullptr;  // the console's output and error streams

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  makePathsAbsolute(argc, argv);
  gDevNull = std::fopen("/dev/null", "w");
  if (gDevNull == nullptr) failSetup("/dev/null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  enterScratchDirectory();
  // fmemopen refuses an empty buffer on some C libraries: an empty input reads an empty file.
  std::FILE* in = size == 0 ? std::fopen("/dev/null", "r")
                            : fmemopen(const_cast<std::uint8_t*>(data), size, "r");
  if (in == nullptr) failSetup("fmemopen");

  ostrel::AnswerReader reader;
  reader.in = in;
  ostrel::Console console;
  console.out = gDevNull;
  console.err = gDevNull;
  const int status = ostrel::runDialogue(reader, console);
  std::fclose(in);
  // The dialogue ends with 0 (the user declined another plan) or 1 (input ended while a question
  // waited); anything else is a fault of the program, not of the input.
  if (status != 0 && status != 1) std::abort();
  return 0;
}
