// The web page's requests, answered with the same core as the console program: the game's names
// for the page's selects (catalogJson), one plan for a player, a start, a target, a goal and a
// final form (planJson), with the console lines, both plan files and the plan as data, and the
// final forms a target can end in with the best plan found for each (formsJson). Requests and
// answers are JSON texts, so the page and its worker pass plain strings.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::web {

// Called with each whole console line (line end included) as the plan writes it, so a page can
// show the search's progress while it runs.
using ConsoleLineSink = std::function<void(std::string_view line)>;

// Where a goal search stands: feedings simulated so far, and the best plan found so far
// (feedings and meseta, both -1 while there is none). Called once a layer of the search.
struct SearchProgress {
  std::uint64_t feedingsTried = 0;
  std::int64_t bestFeedings = -1;
  std::int64_t bestMeseta = -1;
};
using ProgressSink = std::function<void(const SearchProgress& progress)>;

// How the searches run where a request does not say: the page's own width unless given, and the
// first-found search's own budget unless a shorter interval between its progress lines is given
// (it gives up at the sixth). The fuzz target narrows both, so that every request it sends
// answers quickly.
struct PageSearch {
  std::optional<std::int32_t> beamWidth;
  std::optional<double> firstSearchInterval;
};

// The names and ranges the page offers: section IDs, classes, forms (in the form menu's order),
// items, the goals that can be planned for, the goal planJson plans for a request that names none
// ("impliedGoal": keyed by which of "maxFeedings", "maxMeseta" and "form" the request gives, in
// that order, joined by a space, "" for none), and the limits of stats, bars, levels and budgets.
std::string catalogJson();

// Plans one request and answers with its outcome. The request is the request part of the plan
// document the command line writes (names in any letter case, blanks ignored):
//   {"player": {"sectionId": "Skyly", "charClass": "Ramar"},
//    "start": {"form": "varaha", "stats": {"def", "pow", "dex", "mind"},
//              "bars": {"def", "pow", "dex", "mind"}}   (left out or null for a new mag),
//    "target": {"def", "pow", "dex", "mind"},
//    "goal": "first" | "cheapest" | "fewest"   (left out or null: the goal a budget or a form
//        implies, below, else "cheapest"),
//    "form": "varaha"   (the final form; left out or null for any),
//    "maxFeedings": 300, "maxMeseta": 50000   (a budget, either or both; left out or null for
//        none: the goal's plan within it; without a goal, the cheapest within maxFeedings, or
//        the shortest within maxMeseta alone; a final form without a goal or budget is the
//        cheapest plan's)}
// A start's "formNumber" and "level" and a target's "level", as the documents write them, may be
// given too and must then agree with the form and the stats; any other field is ignored, so a
// plan document itself plans again. The answer is {"document": the plan document, "console",
// "errors", "files", "threads" (the goal searches' threads, 1 or 2)}, or a refusal: {"outcome":
// "refused", "message" (the dialogue's words), "of" ("start" or "target"), "field", "rule",
// "bound", "value"}, or {"outcome": "bad-request", "message"} for a request not of this shape. A
// budget that no plan found meets is refused likewise, "of" "budget", "field" "maxFeedings" or
// "maxMeseta" (the budget the nearest plan breaks), "rule" "not-met", "bound" the budget,
// "value" the nearest plan's and "nearest" the nearest plans found, as the trade-offs document
// writes its points (feedings, meseta, hours, form and the plan); and one that is not a whole
// number from its least (1 feeding, 0 meseta), "rule" "not-a-budget", "bound" that least and
// "value" what was given (a string cut short, an array or an object only as "[...]" or "{...}").
// "files" holds the two plan files as the console program writes them into its working directory.
std::string planJson(std::string_view request, const ConsoleLineSink& onLine = {},
                     const ProgressSink& onProgress = {}, const PageSearch& search = {});

// Opens again a plan the page holds (a trade-off's point, a budget's nearest plan) without a
// search: the request of planJson with "runs", the plan's runs as the documents write them
// ([{"item": "Monomate", "count": 3}, ...], first run first), fed from the start. The answer is
// planJson's to the same request with the goal "cheapest" and "maxFeedings" the runs' feedings
// (and no "maxMeseta"), when that budget's plan is this one: the same refusals, and for runs that
// reach the target (at their last feeding, in the form asked for) the plan with its document,
// console and files. Runs that do not, or that are not runs, are a bad request.
std::string replayJson(std::string_view request, const ConsoleLineSink& onLine = {});

// Lists the final forms for the request of planJson (its "form" is ignored; the goal must be
// "cheapest" or "fewest"), from one search that goes on for every form's best plan. The answer:
// {"document": the forms document the command line writes, "threads"}, or a refusal or bad
// request as planJson answers them.
std::string formsJson(std::string_view request, const ProgressSink& onProgress = {},
                      const PageSearch& search = {});

// Lists the trade-off between feedings and meseta for the request of planJson (its goal and
// budget are not used, though a budget is checked as planJson checks it; its form is the form
// every plan must end in), as `ostrel tradeoffs` does.
// The answer: {"document": the trade-offs document the command line writes, "threads"}, or a
// refusal or bad request as planJson answers them.
std::string tradeoffsJson(std::string_view request, const ProgressSink& onProgress = {},
                          const PageSearch& search = {});

}  // namespace ostrel::web
