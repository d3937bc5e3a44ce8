// The one replay checker: every plan a test sees, from any search, goal or surface, is fed again
// through the model from its start and must agree with itself, with its plan files and with its
// JSON document.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "model/state.h"
#include "plan/plan.h"
#include "support/cases.h"

namespace ostrel::testing {

// One feeding through the model, for the player of `player` (its class and section ID).
MagState fedOnce(const Player& player, Item item, MagState mag);

// Replays `plan` from `start` for `player`: every recorded mag before a feeding is what
// feeding gives, no stat passes its target before the last feeding, the last mag is exactly the
// target (in `form`, when one is asked for), and the plan's mag reached and cost are the
// replay's. Its runs fed back through the feeding simulator pass through every run's starting
// mag and end at the plan's mag, and every feeding changes the mag.
void expectPlanReplays(const PlayerRequest& request, const MagState& start, const Plan& plan,
                       std::optional<MagType> form = {});

// The plan files in `dir` tell `plan` for `player`: they hold what the plan report writes for it
// (whose wording the golden sessions pin).
void expectFilesTell(const Player& player, const Plan& plan, const std::filesystem::path& dir);

// A plan document of `ostrel plan --format json` for case `c`: it names the player, start and
// target asked for, its feedings replay, its runs group them, its summary adds them up and its
// shopping list counts them by item; and
// unless `dir` is empty the plan files there tell the same plan.
void expectDocumentReplays(const PlanCase& c, const nlohmann::json& document,
                           const std::filesystem::path& dir);

// A trade-off document's bound: null without points; else each end's distance (the first point's
// feedings, the last's meseta) told as a plan's is, and no point below the bound.
void expectTradeoffBound(const nlohmann::json& document);

}  // namespace ostrel::testing
