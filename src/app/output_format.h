// The commands' --format option: the text a player reads, or the JSON document of
// plan/report/plan_document.h for programs.
#pragma once

#include <string>

namespace ostrel {

enum class OutputFormat { kText, kJson };

// Reads --format: "text" or "json". Returns an empty string, or the one-line refusal.
std::string readFormat(const std::string& text, OutputFormat& format);

}  // namespace ostrel
