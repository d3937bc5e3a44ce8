// The web page's requests, answered with the same core as the console program: the game's names
// for the page's selects (catalogJson), and one plan for a player, a start and a target
// (planJson), with the console lines, both plan files and the plan as data. Requests and answers
// are JSON texts, so the page and its worker pass plain strings.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ostrel::web {

// Called with each whole console line (line end included) as the plan writes it, so a page can
// show the search's progress while it runs.
using ConsoleLineSink = std::function<void(std::string_view line)>;

// The names and ranges the page offers: section IDs, classes, forms (in the form menu's order),
// items, the goals that can be planned for, and the limits of stats, bars and levels.
std::string catalogJson();

// Plans one request and answers with its outcome. The request:
//   {"sectionId": 0..9, "charClass": 0..11, "goal": "first",
//    "start": {"type", "def", "pow", "dex", "mind", "defBar", "powBar", "dexBar", "mindBar"}
//             (left out for a new mag),
//    "target": {"def", "pow", "dex", "mind"}}
// The answer's "outcome" is "found" or "failed" (with "console", "files" and, when found, "plan"),
// "refused" (with the dialogue's "message", or none for a value out of range) or "bad-request"
// (with "message"). The plan files are written into `scratchDir`, which must exist, exactly as
// the console program writes them into its working directory, and read back.
std::string planJson(std::string_view request, const std::string& scratchDir,
                     const ConsoleLineSink& onLine = {});

}  // namespace ostrel::web
