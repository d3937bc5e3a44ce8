// Writing the plan documents with nlohmann-json.
#include "plan/report/plan_document.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>

#include "model/form_rules.h"
#include "model/names.h"
#include "model/tables.h"
#include "plan/report/bound_distance.h"

namespace ostrel {
namespace {

using json = Document;

json statsJson(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind) {
  return {{"def", def}, {"pow", pow}, {"dex", dex}, {"mind", mind}};
}

}  // namespace

Document magDocument(const MagState& mag) {
  return {{"form", kMagTypeNames[mag.type]},
          {"formNumber", mag.type + 1},
          {"level", mag.level},
          {"stats", statsJson(mag.def, mag.pow, mag.dex, mag.mind)},
          {"bars", statsJson(mag.defBar, mag.powBar, mag.dexBar, mag.mindBar)}};
}

namespace {

json playerJson(const Player& player) {
  return {{"sectionId", kSectionIdNames[player.sectionId]},
          {"charClass", kCharClassNames[player.charClass]}};
}

json summaryJson(const MagState& reached, std::int32_t feedings, std::int64_t meseta) {
  return {{"reached", magDocument(reached)},
          {"feedings", feedings},
          {"meseta", meseta},
          {"hours", feedingHours(feedings)}};
}

const char* outcomeName(PlanOutcome outcome) {
  switch (outcome) {
    case PlanOutcome::kFound:
      return "found";
    case PlanOutcome::kImpossible:
      return "impossible";
    case PlanOutcome::kGaveUp:
      return "gave-up";
    case PlanOutcome::kExcluded:
      return "excluded";
    case PlanOutcome::kNotFound:
      return "not-found";
    case PlanOutcome::kOverBudget:
      return "over-budget";
  }
  return "impossible";
}

// What every plan document opens with: the player, the start and the target asked for.
json requestJson(const Request& request) {
  const Target& target = request.target;
  json document;
  document["player"] = playerJson(request.player);
  document["start"] = magDocument(request.start);
  document["target"] = {{"def", target.def},
                        {"pow", target.pow},
                        {"dex", target.dex},
                        {"mind", target.mind},
                        {"level", target.level}};
  return document;
}

// A found plan as the plan document writes it: summary, shopping list, runs and feedings, first
// feeding first.
json planParts(const PlanReport& report) {
  json runs = json::array();
  std::transform(report.runs.begin(), report.runs.end(), std::back_inserter(runs),
                 [](const PlanRun& run) {
                   return json{{"item", kItemNames[run.item]},
                               {"count", run.count},
                               {"before", magDocument(run.before)}};
                 });
  json feedings = json::array();
  std::transform(
      report.plan.feedings.begin(), report.plan.feedings.end(), std::back_inserter(feedings),
      [](const Feeding& feeding) {
        return json{{"item", kItemNames[feeding.item]}, {"before", magDocument(feeding.before)}};
      });
  json items = json::array();
  std::transform(report.shopping.begin(), report.shopping.end(), std::back_inserter(items),
                 [](const ShoppingItem& item) {
                   return json{{"item", kItemNames[item.item]},
                               {"count", item.count},
                               {"meseta", item.meseta}};
                 });
  json parts;
  parts["summary"] = summaryJson(report.plan.reached, report.feedings(), report.meseta());
  parts["shopping"] = {{"items", std::move(items)}, {"meseta", report.meseta()}};
  parts["runs"] = std::move(runs);
  parts["feedings"] = std::move(feedings);
  return parts;
}

// The bound beside a plan: {"meseta" or "feedings": the bound, "ratio": the plan's to it}.
json boundJson(const BoundDistance& distance) {
  return {{distance.goal == Goal::kCheapest ? "meseta" : "feedings", distance.bound},
          {"ratio", distance.ratio()}};
}

}  // namespace

double feedingHours(std::int32_t feedings) {
  // The text reports print the hours with two decimals; the document gives the same number.
  char hours[32];
  std::snprintf(hours, sizeof hours, "%.2lf", feedings / 60.0);
  return std::strtod(hours, nullptr);
}

Document planDocument(const Request& request, PlanOutcome outcome, const PlanReport* report,
                      const GoalOptions& asked, const GoalResult* details) {
  json document = requestJson(request);
  document["goal"] = kGoalNames[static_cast<std::size_t>(asked.goal)];
  document["form"] = asked.form ? json(kMagTypeNames[*asked.form]) : json(nullptr);
  const std::string why =
      details != nullptr ? noPlanText(asked, request.target, outcome, *details) : std::string();
  document["reason"] = why.empty() ? json(nullptr) : json(why);
  document["outcome"] = outcomeName(outcome);
  if (outcome == PlanOutcome::kOverBudget && details != nullptr) {
    const Budget& budget = asked.budget;
    document["budget"] = {{"maxFeedings", budget.maxFeedings ? json(*budget.maxFeedings) : json()},
                          {"maxMeseta", budget.maxMeseta ? json(*budget.maxMeseta) : json()}};
    json& nearest = document["nearest"] = json::array();
    std::transform(details->nearest.begin(), details->nearest.end(), std::back_inserter(nearest),
                   [&](const Plan& plan) { return pointDocument(request.player, plan); });
  }
  document["summary"] = nullptr;
  document["bound"] = nullptr;
  document["shopping"] = nullptr;
  document["runs"] = json::array();
  document["feedings"] = json::array();
  if (outcome != PlanOutcome::kFound || report == nullptr) return document;

  document.update(planParts(*report));
  if (details != nullptr) {
    if (const auto distance = boundDistance(asked, report->plan, *details)) {
      document["bound"] = boundJson(*distance);
    }
  }
  return document;
}

Document pointDocument(const Player& player, const Plan& plan) {
  // The runs say the whole plan, each with the mag before it; feeding by feeding, a trade-off
  // of dozens of points would weigh megabytes more, and a plan opened from a point has them.
  json parts = planParts(reportOf(player, plan));
  parts.erase("feedings");
  return {{"feedings", plan.feedCount()},
          {"meseta", static_cast<std::int64_t>(plan.cost)},
          {"hours", feedingHours(plan.feedCount())},
          {"form", kMagTypeNames[plan.reached.type]},
          {"plan", std::move(parts)}};
}

Document tradeoffsDocument(const Request& request, const GoalOptions& goal, const Tradeoffs& found,
                           const std::string& reason) {
  json document = requestJson(request);
  document["form"] = goal.form ? json(kMagTypeNames[*goal.form]) : json(nullptr);
  document["beamWidth"] = goal.beamWidth;
  document["reason"] = reason.empty() ? json(nullptr) : json(reason);
  const std::vector<Plan>& points = found.front;
  const FrontDistances ends = frontDistances(points, found.cheapest.bound, goal.form);
  const auto endJson = [](const std::optional<BoundDistance>& end) {
    return end ? boundJson(*end) : json(nullptr);
  };
  document["bound"] = ends.fewest || ends.cheapest ? json{{"fewest", endJson(ends.fewest)},
                                                          {"cheapest", endJson(ends.cheapest)}}
                                                   : json(nullptr);
  json list = json::array();
  std::transform(points.begin(), points.end(), std::back_inserter(list),
                 [&](const Plan& plan) { return pointDocument(request.player, plan); });
  document["points"] = std::move(list);
  return document;
}

Document formsDocument(const Request& request, const GoalOptions& goal, const GoalResult& result) {
  json document = requestJson(request);
  document["goal"] = kGoalNames[static_cast<std::size_t>(goal.goal)];
  document["beamWidth"] = goal.beamWidth;
  const std::string none = noFormText(request.target, result);
  document["reason"] = none.empty() ? json(nullptr) : json(none);
  json& forms = document["forms"] = json::array();
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const FormResult& form = result.forms[type];
    json entry = {{"form", kMagTypeNames[type]}, {"formNumber", type + 1}};
    if (form.best) {
      entry["status"] = "reached";
      entry["feedings"] = form.best->feedCount();
      entry["meseta"] = static_cast<std::int64_t>(form.best->cost);
      entry["hours"] = feedingHours(form.best->feedCount());
      const auto distance = boundDistance(goal.goal, *form.best, form.bound, type);
      entry["bound"] = distance ? boundJson(*distance) : json(nullptr);
      entry["reason"] = nullptr;
    } else {
      const bool excluded = form.exclusion.kind != ExclusionKind::kNone;
      entry["status"] = excluded ? "excluded" : "not-found";
      entry["feedings"] = nullptr;
      entry["meseta"] = nullptr;
      entry["hours"] = nullptr;
      entry["bound"] = nullptr;
      entry["reason"] = excluded ? json(exclusionText(form.exclusion)) : json(nullptr);
    }
    forms.push_back(entry);
  }
  return document;
}

Document feedDocument(const Player& player, const MagState& start,
                      const std::vector<FeedRun>& runs) {
  json document = {{"player", playerJson(player)}, {"start", magDocument(start)}};
  json& runList = document["runs"] = json::array();
  std::int32_t feedings = 0;
  std::int64_t meseta = 0;
  for (const FeedRun& run : runs) {
    runList.push_back({{"item", kItemNames[run.item]},
                       {"count", run.count},
                       {"after", magDocument(run.after)},
                       {"unchanged", run.unchanged}});
    feedings += run.count;
    meseta += std::int64_t{kItemPrice[run.item]} * run.count;
  }
  document["summary"] = summaryJson(runs.empty() ? start : runs.back().after, feedings, meseta);
  return document;
}

std::string printed(const Document& document) { return document.dump(2) + "\n"; }

namespace {

// A target as the messages name it: "D/P/X/M".
std::string targetText(const Target& target) {
  return std::to_string(target.def) + "/" + std::to_string(target.pow) + "/" +
         std::to_string(target.dex) + "/" + std::to_string(target.mind);
}

}  // namespace

std::string unreachableText(const Target& target, const FormExclusion& why) {
  std::string text =
      "no plan: no sequence of feedings reaches " + targetText(target) + " from this mag";
  if (why.kind != ExclusionKind::kNone) text += ": " + exclusionText(why);
  return text;
}

std::string noFormText(const Target& target, const GoalResult& result) {
  // A listing asks for no form: "not found" there means that some form was reached.
  const PlanOutcome outcome = outcomeWithoutPlan(result);
  if (outcome == PlanOutcome::kNotFound) return {};
  return outcome == PlanOutcome::kImpossible ? unreachableText(target, result.exclusion)
                                             : "no plan found ending as any form";
}

std::string noTradeoffText(const GoalOptions& options, const Target& target,
                           const Tradeoffs& found) {
  if (!found.front.empty()) return {};
  const PlanOutcome outcome = outcomeWithoutPlan(found.cheapest);
  if (std::string why = formNotReachedText(options, target, outcome, found.cheapest);
      !why.empty()) {
    return why;
  }
  return outcome == PlanOutcome::kImpossible
             ? unreachableText(target, found.cheapest.exclusion)
             : "no plan: neither the fewest nor the cheapest search found a plan";
}

std::string noPlanText(const GoalOptions& options, const Target& target, PlanOutcome outcome,
                       const GoalResult& details) {
  if (std::string form = formNotReachedText(options, target, outcome, details); !form.empty()) {
    return form;
  }
  if (outcome == PlanOutcome::kOverBudget) {
    return overBudgetText(options.budget, details.nearest, options.form);
  }
  if (outcome == PlanOutcome::kImpossible) return unreachableText(target, details.exclusion);
  if (outcome != PlanOutcome::kGaveUp || options.goal == Goal::kFirst) return {};
  // A beam search that finds nothing proves nothing: the target may still be reachable.
  return std::string("no plan: neither the ") + kGoalNames[static_cast<std::size_t>(options.goal)] +
         " search nor the first-found search found a plan reaching " + targetText(target);
}

std::string firstGaveUpHint(const std::string& howToAsk) {
  return "a plan may still exist: the first-found search gives up on many targets that the "
         "cheapest plan's search reaches; try " +
         howToAsk;
}

std::string formNotReachedText(const GoalOptions& options, const Target& target,
                               PlanOutcome outcome, const GoalResult& details) {
  if (!options.form || outcome == PlanOutcome::kFound || outcome == PlanOutcome::kOverBudget) {
    return {};
  }
  if (outcome == PlanOutcome::kImpossible) return unreachableText(target, details.exclusion);
  const std::string name = kMagTypeNames[*options.form];
  if (outcome == PlanOutcome::kExcluded) {
    return "no plan can end as " + name + ": " + exclusionText(details.exclusion);
  }
  std::string reached;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (!details.forms[type].best) continue;
    reached += (reached.empty() ? "" : ", ") + std::string(kMagTypeNames[type]);
  }
  return "no plan found ending as " + name + "; " +
         (reached.empty() ? std::string("no plan was found ending as any form")
                          : "the plans found end as " + reached);
}

}  // namespace ostrel
