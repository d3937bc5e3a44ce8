// How a command ends besides its answer: a refusal of what it was asked, or the word that its
// answer did not reach standard output. Every command and the program's own options end so.
#pragma once

#include <string>

#include "plan/console.h"

namespace ostrel {

// Exit status of a command line that cannot be used: unknown command or option, bad value.
inline constexpr int kUsageError = 2;

// Says on standard error "`command`: `why`", one line whatever the values quoted in `why` hold
// (printable: a line break typed into an argument cannot pass for a line of its own), and returns
// kUsageError.
int refuseUsage(const char* command, const std::string& why, const Console& console);

// Whether all that was printed on standard output got there; if not, says so on standard error
// for `command`.
bool outputWritten(const char* command, const Console& console);

}  // namespace ostrel
