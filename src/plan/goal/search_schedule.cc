// The schedule's tables, and the step rows made into beams and run.
#include "plan/goal/search_schedule.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>

#include "plan/goal/met_plans.h"
#include "plan/goal/two_threads.h"

namespace ostrel {
namespace {

constexpr Ranking kReachable = Ranking::kReachableTables;
constexpr Ranking kNet = Ranking::kReachableNet;
constexpr Ranking kCurrent = Ranking::kCurrentTable;
constexpr Ranking kComing = Ranking::kComingTable;
constexpr Ranking kCurrentOrComing = Ranking::kCurrentOrComingTable;

// The cheapest plan's passes. Where a beam ends depends on which states it keeps as much as on
// how many, and each ranking keeps others: together they find cheaper plans than one beam of the
// full width, in a little more than its time. Each after the first only looks for plans cheaper
// than the best of their form found before it, which cuts most of its states early; so the
// narrow ones run first, and the widest, most of the work, then drops early the states that
// cannot beat their plans.
// clang-format off
constexpr BeamRow kCheapestBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kReachable,       2,  8,    1,    true,  false,   false},  // the true bound, spread out
    {1.0, kNet,             8,  4,    1,    true,  false,   false},  // the items' losses counted
    {0.9, kCurrentOrComing, 4,  4,    1,    true,  false,   false},  // the evolution hoped for
    {0.9, kCurrent,         4,  2,    1,    true,  false,   true},   // the widest
    {1.0, kComing,          0,  4,    1,    true,  false,   false},  // the evolution counted on
};
// clang-format on

// The cheapest plan's full-width beam: the current form's table, neither weighted nor capped, as
// the cheapest plan was once searched alone. Which states a beam keeps decides where it ends: on
// some targets every pass above loses its way and none beats the first-found plan, where this
// beam finds one that costs a fraction of it. It is as much work as all the passes together, so
// it runs only there, beating the first-found plan.
// clang-format off
constexpr BeamRow kCheapestWideBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kCurrent,         0,  1,    1,    true,  false,   false},
};
// clang-format on

// The shortest plan's narrow beams: cheap, and which of them finds the shortest plan differs from
// target to target (the shortest plans are found by luck as much as by width). Besides the true
// bound they rank by the table of the form the stats head for, and by the current form's table
// with their states spread over more stats. They count the room left on the stats on target.
// clang-format off
constexpr BeamRow kShortestNarrowBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kReachable,       0,  8,    4,    true,  true,    false},
    {1.0, kComing,          0,  8,    4,    true,  true,    false},
    {1.0, kCurrent,         4,  8,    4,    true,  true,    false},
    {1.0, kCurrent,         8,  8,    4,    true,  true,    false},
    {1.0, kReachable,       0,  64,   4,    true,  true,    false},
    {1.0, kComing,          0,  64,   4,    true,  true,    false},
    {1.0, kCurrent,         4,  64,   4,    true,  true,    false},
    {1.0, kCurrent,         8,  64,   4,    true,  true,    false},
};
// clang-format on

// The fewest goal's own narrow beams: those of the shortest plan's narrow beams that its plans
// need, but for the true bound's at an eighth of the width, whose place takes a beam that ranks
// with the bars the items lower counted, its states' stats kept apart (as the cheapest plan's
// second pass ranks). It keeps states that none of the others keeps, and on one of the goal
// bench's forty targets it found a far shorter plan than any width of the others had, where the
// true bound's beam it replaces found nothing the others missed. Without the narrowest of the true
// bound and of the current form's table with the tighter cap, no plan of those forty came out
// longer, for 0.8% fewer feedings simulated. Last, one more that ranks by the better of the
// current form's table and the coming form's, as the cheapest plan's third pass does: it hopes for
// the evolution the stats head for without counting on it, and on a small target of the forty it
// found the way through a form that every other beam and width missed, in two thirds of the
// feedings. Where a listing searches for the forms it missed, the shortest plan's narrow beams all
// run: their rankings reach forms that the others do not.
// clang-format off
constexpr BeamRow kShortestOwnBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kNet,             4,  8,    4,    true,  true,    false},
    {1.0, kComing,          0,  8,    4,    true,  true,    false},
    {1.0, kCurrent,         4,  8,    4,    true,  true,    false},
    {1.0, kCurrent,         8,  8,    4,    true,  true,    false},
    {1.0, kComing,          0,  64,   4,    true,  true,    false},
    {1.0, kCurrent,         8,  64,   4,    true,  true,    false},
    {1.0, kCurrentOrComing, 4,  8,    4,    true,  false,   false},
};
// clang-format on

// The shortest plan's wide beams, which only look for plans that beat those of the narrow beams
// and drop early the states that cannot; they count no room, and so find shortest plans that the
// narrow beams miss. Where the goal has one thread (in the trade-off, beside the other goal) the
// true bound's beam runs first: it ends sooner, so the current table's, the longer one with the
// larger layers, is the one running when the other goal's thread comes free to share its layers.
// The true bound's at half the width lost none of the plans it found at the full width on the goal
// bench's forty targets, for 5% fewer feedings simulated, but made the plans of three of 24 other
// random targets longer (by 1, 4 and 10 feedings); removed, it lost four of the forty.
// clang-format off
constexpr BeamRow kShortestWideBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kReachable,       0,  1,    1,    false, false,   false},
    {1.0, kCurrent,         0,  1,    1,    false, false,   false},
};
// clang-format on

// The true bound's wide beam alone, for kTrueBoundWide.
constexpr std::span<const BeamRow> kTrueBoundWideBeams(kShortestWideBeams, 1);

// Last of the goal's searches from the request's mag but one (for short plans): one more beam of
// the current form's table, at a third of the width, with the room counted, which only looks for
// plans that beat everything held. The narrow beams of that table keep their states spread over the
// stats, the wide one counts no room; this one keeps the states nearest the target as the room
// counted ranks them, and ends on other routes: on one of the goal bench's targets 58 feedings
// shorter, its stats split otherwise from the evolution of level 35 on and two stats raised
// together past level 100 where the plan held raised one after the other. Run after the others, it
// drops early the states that cannot beat the best plan held, and changes no search before it. At a
// fourth, a half or the full width it missed that plan (each width ends on other routes), for as
// much work or more. On 48 random targets outside the bench it made one plan shorter (652 -> 646
// feedings) and one cheaper for as many, and none longer: it can only beat what is held. It costs a
// tenth of the goal's work.
// clang-format off
constexpr BeamRow kShortestLastBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kCurrent,         0,  3,    1,    true,  false,   false},
};
// clang-format on

// For forms the stage missed: the current form's table reaches more forms than the true bound,
// and without the room counted these narrow searches find forms they otherwise miss.
// clang-format off
constexpr BeamRow kShortestSteeredBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kCurrent,         0,  1,    1,    false, false,   false},
};
// clang-format on

// Around the best plan held: narrow beams steered to that plan's final form, which only look for
// plans that beat it. Where the stage's searches spread their width over every form, and over
// the routes of evolutions to each, these spend a little width on the routes to the form that
// won, ranked apart from the beam that found it: its states' stats kept apart by the cap, and for
// the shortest plan by the table of the form the stats head for. They drop early the states that
// cannot beat the plans held, so they are little work, and they find cheaper or shorter plans along
// other routes to that form than the wider beams kept. For the cheapest plan two narrower beams
// keep other states again, and end on other routes: one ranks with the bars the items lower
// counted, as the second pass does, and one keeps fewer states of the same stats.
// clang-format off
constexpr BeamRow kCheapestAroundBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kCurrent,         4,  8,    1,    true,  false,   false},
    {1.0, kNet,             16, 32,   1,    true,  false,   false},
    {1.0, kCurrent,         2,  24,   1,    true,  false,   false},
};
constexpr BeamRow kShortestAroundBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kComing,          16, 4,    1,    false, false,   false},
};
// clang-format on

// From the best plan held's mag at an evolution level (StepRow::fromLevel): one narrow beam of the
// true bound, which only looks for ways on that beat the rest of that plan; and one that ranks by
// the current form's table with few states of the same stats. The true bound keeps the states
// nearest the target by bar points, most of them with the stats split as the plan's, where a
// shorter way on often splits them otherwise at the next evolution. Below a ceiling
// (StepRow::capLevel), one of the current form's table, at twice their width, with more states
// of the same stats: the ceiling already keeps it off the plan's own split.
// clang-format off
constexpr BeamRow kShortestResumedBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kReachable,       0,  8,    1,    false, false,   false},
};
constexpr BeamRow kResumedSpreadBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kCurrent,         4,  8,    1,    false, false,   false},
};
constexpr BeamRow kResumedCappedBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kCurrent,         8,  4,    1,    false, false,   false},
};
// clang-format on

// For the forms a listing still misses once the proofs left them open: where the way to a form
// keeps a stat waiting while the others rise, a beam reaches it or not by which states it happens
// to keep, and the searches above lose the way. One more beam of the current form's table, its
// states spread apart by a loose cap and the room counted, keeps others.
// clang-format off
constexpr BeamRow kShortestSpreadBeams[] = {
    //wt  ranking           cap share least room   narrower apart
    {1.0, kCurrent,         16, 1,    1,    true,  false,   false},
};
// clang-format on

// The feedings a beam of kShortestSpread simulates at most, per state of its width: it bounds the
// listing's time on a form no search can reach. The feedings a layer simulates grow with the
// width, so in effect the bound ends the beam at some number of feedings: it is set above what the
// beam simulated on the forms it reached, and a form only long plans reach is beyond it.
constexpr std::int32_t kSpreadTriedPerWidth = 5000;

// clang-format off
constexpr KindRow kKinds[] = {
    // kind                  beats  goal             beams                  tried/width
    {kCheapestKind,          false, Goal::kCheapest, kCheapestBeams,        0},
    {Kind::kCheapestWide,    true,  Goal::kCheapest, kCheapestWideBeams,    0},
    {Kind::kShortestNarrow,  false, Goal::kFewest,   kShortestNarrowBeams,  0},
    {Kind::kShortestOwn,     false, Goal::kFewest,   kShortestOwnBeams,     0},
    {Kind::kShortestWide,    true,  Goal::kFewest,   kShortestWideBeams,    0},
    {Kind::kShortestSteered, false, Goal::kFewest,   kShortestSteeredBeams, 0},
    {Kind::kCheapestAround,  true,  Goal::kCheapest, kCheapestAroundBeams,  0},
    {Kind::kShortestAround,  true,  Goal::kFewest,   kShortestAroundBeams,  0},
    {Kind::kShortestSpread,  false, Goal::kFewest,   kShortestSpreadBeams,  kSpreadTriedPerWidth},
    {Kind::kShortestResumed, false, Goal::kFewest,   kShortestResumedBeams, 0},
    {Kind::kResumedSpread,   false, Goal::kFewest,   kResumedSpreadBeams,   0},
    {Kind::kResumedCapped,   false, Goal::kFewest,   kResumedCappedBeams,   0},
    {Kind::kShortestLast,    true,  Goal::kFewest,   kShortestLastBeams,    0},
    {Kind::kTrueBoundWide,   true,  Goal::kFewest,   kTrueBoundWideBeams,   0},
};
// clang-format on

constexpr ScopeSet kFormOrAny = kTheForm | kAnyForm;

// The steps of a stage, in order: the goal's own search, then searches for what it missed or may
// have done better, each row's reason above its group. A steered search drops the states that can
// no longer end in one of its forms and wants no other form, so it stops once it cannot beat what
// it found.
// clang-format off
constexpr StepRow kSteps[] = {
    // stage goal   scopes      runs when        kind              width* steered      room   from   cap
    // The goal's own search; for the cheapest plan, where its passes found none, its full-width
    // beam too.
    {kCheapestGoal, kAllScopes, kAlways,         kCheapestKind,    1.0,   kNotSteered, true,  0,   0},
    {kCheapestGoal, kFormOrAny, kNoBeamPlan,     kCheapestWide,    1.0,   kNotSteered, true,  0,   0},
    {kFewestGoal,   kAllScopes, kAlways,         kShortestOwn,     1.0,   kNotSteered, true,  0,   0},
    {kFewestGoal,   kAllScopes, kAlways,         kShortestWide,    1.0,   kNotSteered, true,  0,   0},
    // Where the first-found search gave up, the target is awkward: most beams lose their way too,
    // their states dying early (a fewest search there simulated a tenth of the feedings of one
    // elsewhere), and which beam finds a plan at all is luck. The goal's own narrow beams once
    // more at four times the width cost little there, and on one of the goal bench's targets
    // found a plan 28 feedings shorter (7%).
    {kFewestGoal,   kFormOrAny, kNoFirstPlan,    kShortestOwn,     4.0,   kNotSteered, true,  0,   0},
    // For the forms it missed: steered searches of the goal's kind and then of the other's, whose
    // rankings reach different forms, at half the width (the steering drops most states).
    {kCheapestGoal, kTheForm,   kFormNotReached, kCheapestKind,    0.5,   kTogether,   false, 0,   0},
    {kCheapestGoal, kTheForm,   kFormNotReached, kShortestSteered, 0.5,   kTogether,   false, 0,   0},
    {kFewestGoal,   kTheForm,   kFormNotReached, kShortestSteered, 0.5,   kTogether,   false, 0,   0},
    {kFewestGoal,   kTheForm,   kFormNotReached, kCheapestKind,    0.5,   kTogether,   false, 0,   0},
    {kCheapestGoal, kAnyForm,   kNoBeamPlan,     kCheapestKind,    0.5,   kTogether,   false, 0,   0},
    {kCheapestGoal, kAnyForm,   kNoBeamPlan,     kShortestSteered, 0.5,   kTogether,   false, 0,   0},
    {kFewestGoal,   kAnyForm,   kNoBeamPlan,     kShortestSteered, 0.5,   kTogether,   false, 0,   0},
    {kFewestGoal,   kAnyForm,   kNoBeamPlan,     kCheapestKind,    0.5,   kTogether,   false, 0,   0},
    // For a plan rather than the listing: narrow beams around the best plan held. For the
    // shortest plan of any form, one more around the runner-up where it is near the best: the
    // stage's searches spend little width on the routes to a form that did not win, and a beam
    // steered to it alone finds a much shorter plan of it, at times shorter than the best (where
    // the runner-up is far behind, that seldom pays for the search).
    {kCheapestGoal, kFormOrAny, kBestHeld,       kCheapestAround,  1.0,   kTogether,   true,  0,   0},
    {kFewestGoal,   kFormOrAny, kBestHeld,       kShortestAround,  1.0,   kTogether,   true,  0,   0},
    {kFewestGoal,   kAnyForm,   kSecondBestNear, kShortestAround,  1.0,   kTogether,   true,  0,   0},
    // Last for a plan: the best plan held, searched again from its own mag as it first reaches
    // some level, on to its final form. The searches above spread their width over every state on
    // the way to that level; from that one mag a narrow beam searches the levels left more
    // thoroughly, and finds shorter ways to end than they kept. Each runs from the best plan held
    // once the one before it has run. From level 35 the true bound's beam; from 45 (at half the
    // width) and 50 the beam that keeps the stats apart, which from 45 chooses their split at the
    // evolution of level 50 again; from 100 the true bound's at half the width and the other at
    // eight times, as wide as the goal's own beams: past level 100 the form is settled and the
    // end near, so a wide beam costs little there, and it finds shorter ways to the stats left
    // than the narrow one kept. From 35 the second beam seldom found more, for as much work
    // again; from 50 the true bound's found nothing more.
    {kFewestGoal,   kFormOrAny, kBestHeld,       kShortestResumed, 1.0,   kTogether,   false, 35,  0},
    {kFewestGoal,   kFormOrAny, kBestHeld,       kResumedSpread,   0.5,   kTogether,   false, 45,  0},
    {kFewestGoal,   kFormOrAny, kBestHeld,       kResumedSpread,   1.0,   kTogether,   false, 50,  0},
    // Before those from 100, one from level 40 below a ceiling up to the evolution of level 50:
    // the two stats the best plan raised most there held to half their rise, so that the levels
    // between go to the others. From that plan's own mag the beams above split the levels there
    // as it did, their rankings favouring the same stats; a shorter plan often raised the others,
    // and reached level 50 in fewer feedings. The ceiling is a guess from that plan alone; the
    // beam has a quarter of the width, twice the share of those from 35 and 50, as past the
    // ceiling it must find its own way on, and those from 100 then resume what it finds.
    {kFewestGoal,   kFormOrAny, kBestHeld,       kResumedCapped,   1.0,   kTogether,   false, 40,  50},
    {kFewestGoal,   kFormOrAny, kBestHeld,       kShortestResumed, 0.5,   kTogether,   false, 100, 0},
    {kFewestGoal,   kFormOrAny, kBestHeld,       kResumedSpread,   8.0,   kTogether,   false, 100, 0},
    // Last, one more beam from the request's mag that beats every plan held (kShortestLastBeams).
    {kFewestGoal,   kFormOrAny, kAlways,         kShortestLast,    1.0,   kNotSteered, true,  0,   0},
    // After it, where the best plan held is short (kShortBestFeedings), the true bound's wide beam
    // once more at four times the width, beating everything held: its layers are small there, and
    // on some such targets it finds a shorter plan that the full width misses. At two or three
    // times it found none; the current table's wide beam beside it cost far more for no more. Run
    // before the searches from the best plan's own mag, it changed the plans they start from, and
    // at a narrow width one came out longer; run last, it can only make the plan shorter.
    {kFewestGoal,   kFormOrAny, kShortBestHeld,  kTrueBoundWide,   4.0,   kNotSteered, true,  0,   0},
    // The listing's own search shares its width among all the forms. For the forms it missed a
    // search of the shortest kind comes first (it reaches forms the cheapest kind's ranking misses,
    // and leaves that search fewer forms to share its width among), then each form still missed
    // gets one of its own, then the shortest plan's narrow beams (their rankings reached forms the
    // others did not).
    {kBothGoals,    kEveryForm, kFormsMissed,    kShortestSteered, 0.25,  kTogether,   false, 0,   0},
    {kBothGoals,    kEveryForm, kFormsMissed,    kCheapestKind,    0.25,  kTogether,   false, 0,   0},
    {kBothGoals,    kEveryForm, kFormsMissed,    kShortestSteered, 0.25,  kEachAlone,  false, 0,   0},
    {kBothGoals,    kEveryForm, kFormsMissed,    kShortestNarrow,  1.0,   kTogether,   true,  0,   0},
    // Where the forms are settled, each form still missed that both proofs leave open (the closer
    // one is asked first, so that these run only where no proof closes the form) gets one search
    // of its own at the full width; a form still missed after it, one at twice the width, and then
    // a beam of spread states at twice the width, its work bounded. Few targets keep a form missed
    // that long, so the wider searches run on few.
    {kBothGoals,    kEveryForm, kFormsLeft,      kShortestSteered, 1.0,   kEachAlone,  false, 0,   0},
    {kBothGoals,    kEveryForm, kFormsLeft,      kShortestSteered, 2.0,   kEachAlone,  false, 0,   0},
    {kBothGoals,    kEveryForm, kFormsLeft,      kShortestSpread,  2.0,   kEachAlone,  true,  0,   0},
    // Last, for the listing by meseta: each form that only the first-found plan or a search of the
    // shortest kind reached holds a plan of few feedings and much meseta, and gets a search of the
    // cheapest kind of its own (one for those forms together shares its width among them and lost
    // some that each alone finds).
    {kCheapestGoal, kEveryForm, kDearOnly,       kCheapestKind,    0.125, kEachAlone,  false, 0,   0},
};
// clang-format on

// The stages, depth first: a stage's rows follow it, each opening inside the stage above it when
// the condition holds on that stage's tally once everything before the row has run. A stage
// opened by another runs no stage of its own but those listed under it. On a small target every
// kind of beam can lose its way where another finds a plan, so a goal does not answer "no plan"
// where the other goal finds one; and steered to a few forms at once, the listing's searches take
// other ways than steered to one, so a form the listing shows is always found when asked for.
// clang-format off
constexpr StageRow kStages[] = {
    // depth scopes     opens when     goal        scope
    {0, kAllScopes, kFirstStage,   kSameGoal,  kSameScope},     // the goal asked
    {1, kAllScopes, kShortPlan,    kOtherGoal, kSameScope},     // the other goal, target near
    {2, kTheForm,   kFormMissed,   kSameGoal,  kListingScope},  //   its listing, form missed
    {1, kTheForm,   kFormMissed,   kSameGoal,  kListingScope},  // the listing, form missed
    {2, kTheForm,   kShortPlan,    kOtherGoal, kSameScope},     //   the other goal, target near
    {2, kTheForm,   kNothingFound, kSameGoal,  kAnyFormScope},  //   any form, nothing found
    {2, kTheForm,   kNothingFound, kOtherGoal, kAnyFormScope},  //   the other goal, likewise
    {1, kEveryForm, kNothingFound, kSameGoal,  kAnyFormScope},  // any form, nothing found
    {1, kEveryForm, kNothingFound, kOtherGoal, kAnyFormScope},  // the other goal, likewise
    {1, kFormOrAny, kNothingFound, kOtherGoal, kSameScope},     // the other goal, nothing found
    {2, kTheForm,   kFormMissed,   kSameGoal,  kListingScope},  //   its listing, form missed
};
// clang-format on

// The trade-off's priced steps. Between the shortest and the cheapest plan, the searches of the
// two goals meet few plans: the cheapest plan's beams reach the target late, the shortest plan's
// early. Searches that put a price on every feeding besides the items' fill the range: the plan
// that costs least in meseta plus that price per feeding lies on the front, shorter the higher the
// price. The prices are spread around the front's mean slope (the meseta the cheapest plan saves
// per feeding more), each search a ninth of the goals' width: an eighth gave fronts no cheaper
// in more time. The beams run as searches of their own, two at a time: a narrow beam's layers are
// too small to share out between two threads.
constexpr double kPriceSteps[] = {0.125, 0.25, 0.5, 1, 2, 4, 8};
constexpr std::int32_t kPricedWidthDivisor = 9;

// Moves the plans of `more` that beat those of `into` (for `goal`) into it, form by form; on a tie
// the plan held stays. Moved, not copied: a step holds the plans of all its searches at once.
void takeBetter(Goal goal, PlansByForm& more, PlansByForm& into) {
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    std::optional<Plan>& plan = more[type];
    if (plan && (!into[type] || better(goal, *plan, *into[type]))) into[type] = std::move(plan);
  }
}

// The widths of a kind's beams for a step of width `width`, and which of them run (0: not).
std::vector<std::int32_t> beamWidths(std::span<const BeamRow> beams, std::int32_t width) {
  std::vector<std::int32_t> widths;
  std::int32_t share = 1;
  std::int32_t shareWidth = width;  // the width of the beams of the current share
  std::int32_t wider = width;       // and of the share before it
  for (const BeamRow& beam : beams) {
    if (beam.widthShare != share) {
      wider = shareWidth;
      share = beam.widthShare;
    }
    shareWidth = std::max(width / beam.widthShare, beam.leastWidth);
    widths.push_back(beam.onlyNarrower && shareWidth >= wider ? 0 : shareWidth);
  }
  return widths;
}

// `base` as the beams of `kind` at `width`, as one search (its chains) or one search a beam.
void addSearches(const KindRow& kind, const BeamSpec& base, std::int32_t width, bool countRoom,
                 bool eachBeamApart, FormSet forms, std::vector<ScheduledSearch>& searches) {
  const std::vector<std::int32_t> widths = beamWidths(kind.beams, width);
  ScheduledSearch joint{{{}}, forms};
  std::vector<BeamSpec> apart;
  for (std::size_t i = 0; i < kind.beams.size(); ++i) {
    if (widths[i] == 0) continue;
    const BeamRow& row = kind.beams[i];
    BeamSpec beam = base;
    beam.goal = kind.goal;
    beam.ranking = row.ranking;
    beam.rankingWeight = row.weight;
    beam.sameStatsCap = row.sameStatsCap;
    beam.countRoom = countRoom && row.countRoom;
    beam.width = widths[i];
    beam.mostFeedingsTried =
        static_cast<std::uint64_t>(kind.feedingsPerWidth) * static_cast<std::uint64_t>(beam.width);
    if (eachBeamApart || kind.kind != kCheapestKind) {
      searches.push_back(ScheduledSearch{{{beam}}, forms});
    } else if (row.apartForSeveralForms && base.everyForm) {
      apart.push_back(beam);
    } else {
      joint.chains[0].push_back(beam);
    }
  }
  if (kind.kind != kCheapestKind || eachBeamApart) return;
  if (!apart.empty()) joint.chains.insert(joint.chains.begin(), apart);
  searches.push_back(std::move(joint));
}

}  // namespace

std::span<const StageRow> stageRows() { return kStages; }
std::span<const StepRow> stepRows() { return kSteps; }

const KindRow& kindRow(Kind kind) {
  return *std::find_if(std::begin(kKinds), std::end(kKinds),
                       [kind](const KindRow& row) { return row.kind == kind; });
}

std::vector<ScheduledSearch> searchesOf(const StepRow& step, FormSet forms,
                                        const StepContext& context) {
  const KindRow& kind = kindRow(step.kind);
  BeamSpec base;
  base.maxFeedings = context.maxFeedings;
  base.ceiling = context.ceiling;
  if (step.steer == kNotSteered) {
    base.form = context.form;
    base.everyForm = context.everyForm;
    forms = 0;
  }
  if (kind.beatsStagePlans) base.knownByForm = context.stagePlans;
  // The fractions are powers of two, so the product is exact and truncates as a division would.
  const std::int32_t width =
      std::max(static_cast<std::int32_t>(static_cast<float>(context.width) * step.widthTimes), 1);
  const auto steered = [&](FormSet to) {
    BeamSpec beam = base;
    if (std::has_single_bit(to)) beam.form = static_cast<MagType>(std::countr_zero(to));
    beam.steerTo = to;
    beam.everyForm = !beam.form;
    return beam;
  };
  const auto knowingFirst = [&](BeamSpec beam) {
    const Plan* first = context.first;
    beam.known = first != nullptr && endsAsAsked(*first, beam.form) ? first : nullptr;
    return beam;
  };
  std::vector<ScheduledSearch> searches;
  if (step.steer == Steer::kEachAlone) {
    for (FormSet left = forms; left != 0; left &= left - 1) {
      const FormSet one = left & (~left + 1);
      addSearches(kind, knowingFirst(steered(one)), width, step.countRoom, false, one, searches);
    }
  } else {
    const BeamSpec beam = step.steer == Steer::kTogether ? steered(forms) : base;
    addSearches(kind, knowingFirst(beam), width, step.countRoom, false, forms, searches);
  }
  return searches;
}

std::vector<FeedingPrice> spreadPrices(double meanSlope, std::int32_t maxFeedings) {
  std::vector<FeedingPrice> prices(std::size(kPriceSteps));
  std::transform(std::begin(kPriceSteps), std::end(kPriceSteps), prices.begin(), [&](double step) {
    return FeedingPrice{meanSlope * step, maxFeedings};
  });
  return prices;
}

std::vector<ScheduledSearch> pricedSearches(std::int32_t width, std::optional<MagType> form,
                                            std::span<const FeedingPrice> prices) {
  const KindRow& kind = kindRow(kCheapestKind);
  const std::int32_t stepWidth = std::max(width / kPricedWidthDivisor, 1);
  std::vector<ScheduledSearch> searches;
  for (const FeedingPrice& price : prices) {
    BeamSpec beam;
    beam.form = form;
    beam.maxFeedings = price.maxFeedings;
    beam.feedingPrice = price.meseta;
    addSearches(kind, beam, stepWidth, true, true, 0, searches);
    // With a form asked, each price is searched twice: dropping the states whose form and level
    // can no longer lead to it, and steered by the evolution rules ahead as well: each fills gaps
    // that the other leaves.
    if (form) {
      beam.steerTo = formBit(*form);
      addSearches(kind, beam, stepWidth, true, true, 0, searches);
    }
  }
  return searches;
}

std::vector<SearchResult> runSearches(const PlayerRequest& request, const MagState& start,
                                      const std::vector<ScheduledSearch>& searches,
                                      const StepRunning& running) {
  // Every chain of every search, in order, with where its plans go.
  struct Chain {
    const std::vector<BeamSpec>* beams;
    std::size_t search;
    SearchResult result;
    MetPlans met;
  };
  std::vector<Chain> chains;
  for (std::size_t i = 0; i < searches.size(); ++i) {
    std::transform(searches[i].chains.begin(), searches[i].chains.end(), std::back_inserter(chains),
                   [i](const std::vector<BeamSpec>& beams) {
                     return Chain{&beams, i, {}, {}};
                   });
  }
  // The thread that is done first lends itself to the chain still running on the other.
  PartHandoff spare;
  const bool sideBySide = running.threads >= 2 && chains.size() > 1;
  std::optional<TwoThreads> ownThreads;  // where the caller handed down none
  TwoThreads* twoThreads = running.twoThreads;
  if (running.threads >= 2 && twoThreads == nullptr) twoThreads = &ownThreads.emplace(true);
  BeamRunning beamRunning;
  beamRunning.threads = chains.size() > 1 ? 1 : running.threads;
  beamRunning.lentThread = sideBySide ? &spare : running.lentThread;
  // Side by side, the chains keep both threads busy: their beams share their layers only with
  // the lent thread.
  beamRunning.twoThreads = sideBySide ? nullptr : twoThreads;
  beamRunning.progress = running.progress;
  beamRunning.estimates = running.estimates;
  // Each thread takes the next chain not yet taken: the chains differ in length, and which thread
  // runs one changes nothing in its plans. A chain's beams each beat the plans of those before.
  std::atomic<std::size_t> next{0};
  const std::function<void(int)> runShare = [&](int /*share*/) {
    for (std::size_t i = next++; i < chains.size(); i = next++) {
      Chain& chain = chains[i];
      BeamRunning mine = beamRunning;
      if (running.metPlans != nullptr) mine.metPlans = &chain.met;
      for (std::size_t b = 0; b < chain.beams->size(); ++b) {
        BeamSpec beam = (*chain.beams)[b];
        if (b > 0) beam.knownByForm = &chain.result.bestByForm;
        BeamResult found = runBeam(request, start, beam, mine);
        chain.result.feedingsTried += found.feedingsTried;
        takeBetter(beam.goal, found.bestByForm, chain.result.bestByForm);
      }
    }
  };
  if (sideBySide) {
    runLendingWhenDone(runShare, spare, *twoThreads);
  } else {
    runShare(0);
  }
  std::vector<SearchResult> results(searches.size());
  for (Chain& chain : chains) {
    SearchResult& into = results[chain.search];
    into.feedingsTried += chain.result.feedingsTried;
    takeBetter(searches[chain.search].chains[0][0].goal, chain.result.bestByForm, into.bestByForm);
    if (running.metPlans != nullptr) {
      std::vector<Plan>& plans = chain.met.plans();
      std::move(plans.begin(), plans.end(), std::back_inserter(*running.metPlans));
    }
  }
  return results;
}

}  // namespace ostrel
