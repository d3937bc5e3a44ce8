// The lower bound: the least cost of the routes' programmes, searched best first.
//
// Every plan that ends in a form follows one of the form's routes, and meets that route's
// programme (form_routes.h): whatever it spends, the programme's least cost is at most that. A
// route with the form of its next evolution named splits into one route per form and lead that
// the evolution may give, and every plan that follows the route follows one of them; the routes
// not split further (a frontier) thus always cover every plan, and the least over them is a
// bound. Splitting the route that is least makes the bound grow; a split route's own least is a
// bound of its parts too, so each part keeps the larger of the two.
#include "plan/bound/lower_bound.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

#include "model/form_rules.h"

namespace ostrel {
namespace {

constexpr double kUnreachable = std::numeric_limits<double>::infinity();

// The programmes a bound may solve past the routes themselves, to name their forms: a request's
// bounds (any form, and the form asked for, each), and each form's of a listing. The bound is
// sound whatever they are; they keep its time small.
constexpr int kNamingWork = 24;
constexpr int kNamingWorkPerListedForm = 8;

// A route of the search: its evolutions that may be named, the first `next` of them named, and
// what its programme proves a plan that follows it spends, in each unit. Or a route that stands
// for several of a form's routes (`parts`, two or more), which it relaxes: the form is fixed
// only from the latest level any of them fixes it at, and their waypoints are left out.
struct Node {
  Route route;
  std::vector<std::int32_t> evolutions;
  std::size_t next = 0;
  std::vector<double> least;
  std::vector<Route> parts;

  bool final() const { return parts.empty() && next == evolutions.size(); }
};

// A request made ready for the search: the start with its level up to date, and whether no plan
// is needed at all or none can exist whatever the routes.
struct Question {
  MagState start;
  bool feeds = true;     // the target lies above the start
  bool possible = true;  // no stat of the start above its target
};

Question questionOf(const PlayerRequest& request, const MagState& start) {
  Question question{start};
  question.start.level = start.def + start.pow + start.dex + start.mind;
  const Target& t = request.target;
  // Stats never fall: a stat above its target stays above it.
  question.possible =
      start.def <= t.def && start.pow <= t.pow && start.dex <= t.dex && start.mind <= t.mind;
  question.feeds = question.start.level < t.level;
  return question;
}

// What the programme of `route` proves a plan that follows it to the target spends in each of
// `units`; nothing when no feedings follow it.
std::optional<std::vector<double>> routeLeast(const RouteSetting& setting, const Route& route,
                                              const std::vector<FeedCosts>& units) {
  const Target& t = setting.request.target;
  const std::int32_t end[4] = {t.def, t.pow, t.dex, t.mind};
  const RouteProgramme made = routeProgramme(setting, route, t.level, end, true, units);
  std::vector<std::vector<double>> objectives;
  objectives.reserve(units.size());
  std::transform(units.begin(), units.end(), std::back_inserter(objectives),
                 [&made](const FeedCosts& costs) { return made.objective(costs); });
  std::vector<double> least = made.programme.leastCosts(objectives);
  if (least.front() == kUnreachable) return std::nullopt;
  return least;
}

// A node for `routes` (prepared, of the form `form`), which relaxes them where there are several;
// nothing when no feedings follow it.
std::optional<Node> nodeOf(const RouteSetting& setting, std::vector<Route> routes, MagType form,
                           const std::vector<FeedCosts>& units) {
  Node node;
  if (routes.size() == 1) {
    node.route = std::move(routes.front());
    node.evolutions = evolutionsToName(setting, node.route);
  } else {
    Route relaxed = anyRoute();
    relaxed.fixedForm = form;
    relaxed.fixedFrom = 0;
    relaxed.defLowUntil = kMaxLevel;
    for (const Route& route : routes) {
      relaxed.fixedFrom = std::max(relaxed.fixedFrom, route.fixedFrom);
      relaxed.defLowUntil = std::min(relaxed.defLowUntil, route.defLowUntil);
    }
    node.route = *routeToTarget(setting, relaxed);
    node.parts = std::move(routes);
  }
  std::optional<std::vector<double>> least = routeLeast(setting, node.route, units);
  if (!least) return std::nullopt;
  node.least = std::move(*least);
  return node;
}

// The search's start for the plans that end in `form`: one node for all its routes that the
// stats between the start's and the target's allow. A form that no route describes is reached
// by plans that follow the route every plan follows.
std::vector<Node> routesOf(const RouteSetting& setting, MagType form,
                           const std::vector<FeedCosts>& units) {
  const Ways ways = waysTo(setting, form);
  const std::vector<Route> routes =
      ways.routes.empty() ? std::vector<Route>{anyRoute()} : ways.routes;
  std::vector<Route> prepared;
  for (const Route& route : routes) {
    std::optional<Route> ready = routeToTarget(setting, route);
    if (ready) prepared.push_back(std::move(*ready));
  }
  std::vector<Node> nodes;
  if (prepared.empty()) return nodes;
  std::optional<Node> node = nodeOf(setting, std::move(prepared), form, units);
  if (node) nodes.push_back(std::move(*node));
  return nodes;
}

// The node of `nodes` that is least in unit `unit` (the first of equals), or nodes.end().
std::vector<Node>::iterator leastNode(std::vector<Node>& nodes, std::size_t unit) {
  return std::min_element(nodes.begin(), nodes.end(), [unit](const Node& a, const Node& b) {
    return a.least[unit] < b.least[unit];
  });
}

double leastOf(std::vector<Node>& nodes, std::size_t unit) {
  const auto least = leastNode(nodes, unit);
  if (least == nodes.end()) return kUnreachable;
  return least->least[unit];
}

// Splits the node of `nodes` that is least in unit `unit`: a relaxation into two halves of its
// routes, a route by naming the form its next evolution gives, each way it can. False when that
// node is final (its least cannot grow). `work` counts the programmes solved.
bool split(const RouteSetting& setting, const std::vector<FeedCosts>& units,
           std::vector<Node>& nodes, std::size_t unit, int& work) {
  const auto least = leastNode(nodes, unit);
  if (least == nodes.end() || least->final()) return false;
  Node node = std::move(*least);
  nodes.erase(least);
  std::vector<Node> parts;
  if (!node.parts.empty()) {
    const auto half = node.parts.begin() + static_cast<std::ptrdiff_t>(node.parts.size() / 2);
    for (std::vector<Route> routes : {std::vector<Route>(node.parts.begin(), half),
                                      std::vector<Route>(half, node.parts.end())}) {
      ++work;
      std::optional<Node> made = nodeOf(setting, std::move(routes), node.route.fixedForm, units);
      if (made) parts.push_back(std::move(*made));
    }
  } else {
    for (Route& named : routesNaming(setting, node.route, node.evolutions[node.next])) {
      ++work;
      std::optional<std::vector<double>> spent = routeLeast(setting, named, units);
      if (spent) {
        parts.emplace_back(
            Node{std::move(named), node.evolutions, node.next + 1, std::move(*spent), {}});
      }
    }
  }
  for (Node& part : parts) {
    for (std::size_t u = 0; u < units.size(); ++u) {
      part.least[u] = std::max(part.least[u], node.least[u]);
    }
    nodes.push_back(std::move(part));
  }
  return true;
}

// Splits the routes of `forms` where the least over them all is, taking the units in turn, until
// `work` programmes are solved or no unit's least can grow.
void refine(const RouteSetting& setting, const std::vector<FeedCosts>& units,
            const std::vector<std::vector<Node>*>& forms, int work) {
  std::vector<bool> final(units.size(), false);
  int solved = 0;
  for (std::size_t turn = 0; solved < work; ++turn) {
    if (std::all_of(final.begin(), final.end(), [](bool f) { return f; })) return;
    const std::size_t unit = turn % units.size();
    if (final[unit]) continue;
    std::vector<Node>* least = nullptr;
    for (std::vector<Node>* nodes : forms) {
      if (least == nullptr || leastOf(*nodes, unit) < leastOf(*least, unit)) least = nodes;
    }
    if (least == nullptr || !split(setting, units, *least, unit, solved)) final[unit] = true;
  }
}

// The search of a request: the routes of every form the rules leave open, in every unit. Not
// copied: the setting refers to the question's start.
struct Search {
  Search(const PlayerRequest& request, const MagState& start, std::vector<FeedCosts> costs)
      : question(questionOf(request, start)),
        setting(routeSetting(request, question.start)),
        units(std::move(costs)) {}
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;

  Question question;
  RouteSetting setting;
  std::vector<FeedCosts> units;
  std::array<std::vector<Node>, kMagTypeCount> forms{};
  std::array<bool, kMagTypeCount> open{};
};

// Starts the search of `request` over the forms of `wanted` that the rules leave open. The
// question must be possible and feed.
void startSearch(Search& search, std::optional<MagType> wanted) {
  const auto rules = excludedForms(search.setting.request, search.question.start);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (wanted && type != *wanted) continue;
    if (rules[type].kind != ExclusionKind::kNone) continue;
    search.open[type] = true;
    search.forms[type] = routesOf(search.setting, type, search.units);
  }
}

std::vector<std::vector<Node>*> openForms(Search& search) {
  std::vector<std::vector<Node>*> forms;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (search.open[type]) forms.push_back(&search.forms[type]);
  }
  return forms;
}

// The least over `forms` in `unit`, no less than the cheapest feeding: a plan that gains a level
// feeds at least once.
double leastOver(const std::vector<std::vector<Node>*>& forms, const Search& search,
                 std::size_t unit) {
  double least = kUnreachable;
  for (std::vector<Node>* nodes : forms) least = std::min(least, leastOf(*nodes, unit));
  const FeedCosts& costs = search.units[unit];
  return std::max(least, *std::min_element(costs.begin(), costs.end()));
}

// `value` rounded up to a multiple of `unit`: every plan costs such a multiple, and at least
// `value`, which is proven with the rounding of its own arithmetic taken off.
std::int64_t roundedUp(double value, std::int64_t unit) {
  if (!(value > 0)) return 0;
  return static_cast<std::int64_t>(std::ceil(value / static_cast<double>(unit))) * unit;
}

PlanBound boundOf(double meseta, double feedings) {
  PlanBound bound;
  if (meseta == kUnreachable || feedings == kUnreachable) {
    bound.reachable = false;
    return bound;
  }
  std::int64_t priceUnit = 0;
  for (Item item = 0; item < kFedItemCount; ++item) {
    priceUnit = std::gcd(priceUnit, static_cast<std::int64_t>(kItemPrice[item]));
  }
  bound.meseta = roundedUp(meseta, priceUnit);
  bound.feedings = roundedUp(feedings, 1);
  return bound;
}

// The bound of a request that needs no search: no feeding at all, or none that can reach it.
PlanBound settledBound(const Question& question, std::optional<MagType> form) {
  PlanBound bound;
  bound.reachable = question.possible && (!form || *form == question.start.type);
  return bound;
}

}  // namespace

FeedCosts mesetaCosts() {
  FeedCosts costs{};
  for (Item item = 0; item < kFedItemCount; ++item) costs[item] = kItemPrice[item];
  return costs;
}

FeedCosts feedingCosts() {
  FeedCosts costs{};
  costs.fill(1);
  return costs;
}

double planCostBound(const PlayerRequest& request, const MagState& start, const FeedCosts& costs,
                     std::optional<MagType> form) {
  Search search(request, start, {costs});
  if (!search.question.possible) return kUnreachable;
  if (!search.question.feeds) {
    return settledBound(search.question, form).reachable ? 0 : kUnreachable;
  }
  startSearch(search, form);
  const std::vector<std::vector<Node>*> forms = openForms(search);
  refine(search.setting, search.units, forms, kNamingWork);
  return leastOver(forms, search, 0);
}

PlanBounds planBounds(const PlayerRequest& request, const MagState& start,
                      std::optional<MagType> form) {
  Search search(request, start, {mesetaCosts(), feedingCosts()});
  PlanBounds bounds;
  if (!search.question.possible || !search.question.feeds) {
    bounds.any = settledBound(search.question, {});
    if (form) bounds.form = settledBound(search.question, form);
    return bounds;
  }
  startSearch(search, {});
  const std::vector<std::vector<Node>*> forms = openForms(search);
  refine(search.setting, search.units, forms, kNamingWork);
  bounds.any = boundOf(leastOver(forms, search, 0), leastOver(forms, search, 1));
  if (form) {
    if (!search.open[*form]) {
      bounds.form = PlanBound{false};
    } else {
      const std::vector<std::vector<Node>*> own = {&search.forms[*form]};
      refine(search.setting, search.units, own, kNamingWork);
      bounds.form = boundOf(leastOver(own, search, 0), leastOver(own, search, 1));
    }
  }
  return bounds;
}

PlanBound planBound(const PlayerRequest& request, const MagState& start,
                    std::optional<MagType> form) {
  const PlanBounds bounds = planBounds(request, start, form);
  return form ? *bounds.form : bounds.any;
}

std::array<PlanBound, kMagTypeCount> formBounds(const PlayerRequest& request,
                                                const MagState& start) {
  Search search(request, start, {mesetaCosts(), feedingCosts()});
  std::array<PlanBound, kMagTypeCount> bounds;
  if (!search.question.possible || !search.question.feeds) {
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      bounds[type] = settledBound(search.question, type);
    }
    return bounds;
  }
  startSearch(search, {});
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (!search.open[type]) {
      bounds[type].reachable = false;
      continue;
    }
    const std::vector<std::vector<Node>*> own = {&search.forms[type]};
    refine(search.setting, search.units, own, kNamingWorkPerListedForm);
    bounds[type] = boundOf(leastOver(own, search, 0), leastOver(own, search, 1));
  }
  return bounds;
}

}  // namespace ostrel
