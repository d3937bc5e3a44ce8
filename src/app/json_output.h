// The commands' machine-readable output: one JSON document per run, laid out as described by
// schema/plan.schema.json and schema/feed.schema.json. Names of fields are lower camel case;
// every mag carries its form, form menu number, level, stats and bars.
#pragma once

#include <string>
#include <vector>

#include "app/plan_command.h"
#include "model/state.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"

namespace ostrel {

enum class OutputFormat { kText, kJson };

// Reads --format: "text" or "json". Returns an empty string, or the one-line refusal.
std::string readFormat(const std::string& text, OutputFormat& format);

// One run of the feed command: `count` of `item` in a row, and the mag after the last of them.
struct FeedRun {
  Item item = 0;
  std::int32_t count = 0;
  MagState after;
};

// The plan command's document: player, start, target, the goal and form asked for (only when
// `asked` is given), outcome, summary (null without a plan), runs and feedings, both first
// feeding first.
std::string planJson(const PlayerRequest& request, const MagState& start, PlanOutcome outcome,
                     const Plan& plan, const GoalOptions* asked = nullptr);

// The forms command's document: player, start, target, goal, beam width, and every form in the
// form menu's order, reached (feedings, meseta, hours of its best plan), not found, or excluded
// (with the reason).
std::string formsJson(const PlayerRequest& request, const MagState& start, const GoalOptions& goal,
                      const GoalResult& result);

// The feed command's document: player, start, the mag after each run, and the summary.
std::string feedJson(const Player& player, const MagState& start, const std::vector<FeedRun>& runs);

// Hours of feeding as the reports print them, rounded to two decimals: sixty feedings an hour.
double feedingHours(std::int32_t feedings);

}  // namespace ostrel
