// Reading the commands' --format option.
#include "app/output_format.h"

namespace ostrel {

std::string readFormat(const std::string& text, OutputFormat& format) {
  if (text == "text" || text == "json") {
    format = text == "json" ? OutputFormat::kJson : OutputFormat::kText;
    return {};
  }
  return "--format '" + text + "': not an output format; allowed: text, json";
}

}  // namespace ostrel
