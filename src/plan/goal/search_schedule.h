// The search schedule: every beam a goal may run, in the order it runs, with the condition it runs
// on, as constant tables. A reader who wants to know what `--goal cheapest` runs starts here; a
// new search is a new row. The words are those of goal.h's glossary.
//
// A goal search is a tree of stages. The first stage is the goal asked, in its scope (any form,
// the form asked, or every form for the listing); kStages lists the stages that may open inside
// it, each on a condition of the stage it opens in (a short plan found, the form asked still
// missed, nothing found at all). Each stage runs the steps of kSteps for its goal and scope, in
// order; a step is a kind of search (kKinds: its beams) with a share of the width, on a condition
// that names the forms it is for, and steered to them together or one by one. What a stage finds
// goes into its tally, and the tally into the stage above when it closes. The trade-off's
// searches that put a price on the feedings are the rows of kPriceSteps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/state.h"
#include "plan/goal/beam_search.h"
#include "plan/goal/goal.h"
#include "plan/goal/stats_ceiling.h"
#include "plan/plan.h"

namespace ostrel {

// The scopes of a stage, as bits: any final form, the form asked, every form (the listing).
using ScopeSet = std::uint8_t;
inline constexpr ScopeSet kAnyForm = 1;
inline constexpr ScopeSet kTheForm = 2;
inline constexpr ScopeSet kEveryForm = 4;
inline constexpr ScopeSet kAllScopes = kAnyForm | kTheForm | kEveryForm;

// One beam of a kind: how it ranks and keeps its states, and its width: the step's width divided
// by `widthShare`, at least `leastWidth`.
struct BeamRow {
  double weight;  // BeamSpec::rankingWeight
  Ranking ranking;
  std::int32_t sameStatsCap;  // BeamSpec::sameStatsCap
  std::int32_t widthShare;
  std::int32_t leastWidth;
  bool countRoom;  // BeamSpec::countRoom, where the step counts it
  // Runs only where its width is narrower than the beams of the next wider share.
  bool onlyNarrower;
  // Looking for several forms at once, this beam runs as a search of its own beside the others:
  // they would limit it little, and it is most of the work.
  bool apartForSeveralForms;
};

// The values of the schedule's columns are plain enumerators, so that the tables read as words.

// The kinds of search a step runs.
enum Kind : std::uint8_t {
  kCheapestKind,     // the cheapest plan's passes: one search, each beam beats the ones before
  kCheapestWide,     // its full-width beam, a search of its own that beats the stage's plans
  kShortestNarrow,   // the shortest plan's narrow beams, each a search of its own
  kShortestOwn,      // those of them that the fewest goal's own search runs
  kShortestWide,     // its wide beams, each a search of its own that beats the stage's plans
  kShortestSteered,  // one beam of the shortest plan's kind for forms missed
  kCheapestAround,   // narrow beams of the cheapest plan's kind around the best plan held
  kShortestAround,   // likewise of the shortest plan's kind
  kShortestSpread,   // a beam of the shortest plan's kind, its states spread apart, for forms left
  kShortestResumed,  // a narrow beam of the shortest plan's kind from the best plan's own mag
  kResumedSpread,    // likewise, its states' stats kept apart
  kResumedCapped,    // likewise, below a ceiling on the stats that best plan raised most
  kShortestLast,     // last: a beam of the shortest plan's kind that beats every plan held
  kTrueBoundWide,    // the first of its wide beams alone: the true bound's
};

struct KindRow {
  Kind kind;
  // Its beams only look for plans that beat the stage's tally so far: they come after the
  // stage's own searches and drop the states that cannot beat what those held.
  bool beatsStagePlans;
  Goal goal;  // what its beams measure plans by
  std::span<const BeamRow> beams;
  // Each beam stops once it has simulated this many feedings per state of its width (0: never):
  // a search for a form that may be out of reach cannot run away with the listing's time.
  std::int32_t feedingsPerWidth;
};

// The conditions a step runs on, each naming the forms it is for (the step is skipped when there
// are none).
enum When : std::uint8_t {
  kAlways,          // no forms in particular: the stage's own search
  kFormNotReached,  // the form asked, while no beam of the stage has reached it
  kNoBeamPlan,      // every form a plan may end in, while no beam of the stage found a plan
  kFormsMissed,     // the forms a plan may end in that the tally holds no plan of
  kFormsLeft,       // of those, where the forms are settled (GoalOptions::settleForms), the ones
                    // no proof rules out (of the form asked, if any)
  kDearOnly,        // the forms held, that no search of the cheapest kind reached or was for
  kBestHeld,        // the form of the stage's best plan (of the form asked), once one is held
  kSecondBestNear,  // the runner-up's form: the best plan of any other form, when near the best
  kNoFirstPlan,     // no forms in particular, where the first-found search found no plan
  kShortBestHeld,   // no forms in particular, where the best plan held takes at most
                    // kShortBestFeedings feedings
};

// How a step's searches are steered to its forms.
enum Steer : std::uint8_t { kNotSteered, kTogether, kEachAlone };

// The stage goals that run a step.
enum ForGoal : std::uint8_t { kCheapestGoal, kFewestGoal, kBothGoals };

struct StepRow {
  ForGoal forGoal;
  ScopeSet scopes;
  When when;
  Kind kind;
  float widthTimes;  // the step's width: the option's times this, whole (at least 1)
  Steer steer;
  bool countRoom;  // the step's beams may count the room on target (BeamRow::countRoom)
  // 0: the searches start from the request's mag. Else (with When::kBestHeld) from the mag of the
  // best plan held as it first reaches this level, keeping that plan's feedings before it; they
  // look only for ways on that beat the rest of that plan.
  std::int32_t fromLevel;
  // 0, or (with fromLevel) an evolution's level: up to it the searches hold each of the two stats
  // that the best plan held raised most from fromLevel to there (by two levels at least) to half
  // its rise, under a ceiling (BeamSpec::ceiling), so they split the levels otherwise there.
  std::int32_t capLevel;
};

// The conditions a stage opens on, judged on the tally of the stage it opens in.
enum Opens : std::uint8_t {
  kFirstStage,    // the goal asked
  kShortPlan,     // a plan of at most kShortPlanFeedings feedings is held
  kFormMissed,    // the form asked (open to a plan) is not held
  kNothingFound,  // no plan of any form is held, the first-found one included
};

// The goal and scope of a stage, from those of the stage it opens in.
enum GoalOf : std::uint8_t { kSameGoal, kOtherGoal };
enum ScopeOf : std::uint8_t { kSameScope, kListingScope, kAnyFormScope };

struct StageRow {
  std::int32_t depth;  // 0: the first stage; a row opens inside the last row before it of depth-1
  ScopeSet scopes;     // the scopes of the request it is in
  Opens opens;
  GoalOf goal;
  ScopeOf scope;
};

// A plan of another form than the best plan's is near it (When::kSecondBestNear) when it is at
// most this share longer (or dearer).
inline constexpr double kNearBestShare = 0.1;

// Where a plan found is this short, the target is near and every search quick, but each kind of
// search loses its way more often: the other goal's stage runs too.
inline constexpr std::int32_t kShortPlanFeedings = 200;  // feedings, three hours and twenty minutes

// Where the best plan held is this short, every search of the goal is quick, and one more wide
// beam costs little against the time of any plan's search.
inline constexpr std::int32_t kShortBestFeedings = 400;  // feedings

// The tables, in search_schedule.cc.
std::span<const StageRow> stageRows();
std::span<const StepRow> stepRows();
const KindRow& kindRow(Kind kind);

// A step made concrete: its searches, each as the beams it runs one after the other (a chain),
// one or two chains a search (BeamRow::apartForSeveralForms).
struct ScheduledSearch {
  std::vector<std::vector<BeamSpec>> chains;
  FormSet forms = 0;  // the forms it is steered to (0: none)
};

// What a step is made for: the stage's goal and scope, the form asked, the option's width and
// the plans it must beat.
struct StepContext {
  Goal stageGoal;
  std::optional<MagType> form;  // the form asked, in a stage of kTheForm
  bool everyForm;               // a stage of kEveryForm
  std::int32_t width;           // GoalOptions::beamWidth
  std::int32_t maxFeedings;
  const Plan* first;              // the first-found plan, if any
  const PlansByForm* stagePlans;  // the stage's tally so far, for the kinds that must beat it
  StatsCeiling ceiling;           // the searches' ceiling (StepRow::capLevel)
};

// The searches of `step` for `forms` (its condition's, or none for kAlways).
std::vector<ScheduledSearch> searchesOf(const StepRow& step, FormSet forms,
                                        const StepContext& context);

// A price in meseta on every feeding besides the items', and the most feedings a plan priced so
// may take.
struct FeedingPrice {
  double meseta;
  std::int32_t maxFeedings;
};

// The prices of the trade-off's priced steps, spread around `meanSlope` (the meseta the cheapest
// plan saves per feeding more than the shortest), up to the cheapest plan's `maxFeedings`.
std::vector<FeedingPrice> spreadPrices(double meanSlope, std::int32_t maxFeedings);

// The trade-off's searches that fill the gaps its front still has once the priced steps ran: at
// most kGapsFilled gaps, the widest, each at least kLeastGapShare of the front's range in
// feedings, each searched at its own slope (the meseta its ends differ by per feeding) up to its
// longer end: a plan below the line between the two ends is the cheapest at that price.
inline constexpr std::size_t kGapsFilled = 3;
inline constexpr double kLeastGapShare = 0.05;

// The searches that put each of `prices` on every feeding: the cheapest kind's beams each a
// search of its own, at the width's share; with a form asked, once more steered to it.
std::vector<ScheduledSearch> pricedSearches(std::int32_t width, std::optional<MagType> form,
                                            std::span<const FeedingPrice> prices);

// The plans of one search, its chains' combined (the first chain's kept on a tie), and the
// feedings its beams simulated.
struct SearchResult {
  PlansByForm bestByForm;
  std::uint64_t feedingsTried = 0;
};

// How the searches of a step run.
struct StepRunning {
  std::int32_t threads = 1;               // GoalOptions::threads
  PartHandoff* lentThread = nullptr;      // GoalOptions::lentThread
  TwoThreads* twoThreads = nullptr;       // GoalOptions::twoThreads
  GoalProgress* progress = nullptr;       // told by every beam, once a layer
  std::vector<Plan>* metPlans = nullptr;  // the plans the beams met, chain by chain
  EstimateStore* estimates = nullptr;     // BeamRunning::estimates, for every beam
};

// Runs `searches` from `start` to `request.target`: their chains two at a time when there are two
// threads and more than one chain (each on a thread, the one done first lending itself to the
// other), else one after the other with the goal's threads. The results keep the searches' order
// and do not depend on the threads.
std::vector<SearchResult> runSearches(const PlayerRequest& request, const MagState& start,
                                      const std::vector<ScheduledSearch>& searches,
                                      const StepRunning& running);

}  // namespace ostrel
