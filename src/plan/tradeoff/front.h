// The front of a trade-off out of the plans its searches met: from the shortest plan to the
// cheapest, each plan longer and cheaper than the one before; and the gaps in it worth a search of
// their own. Plain functions of plans, apart from the searches that meet them (tradeoffs.h).
#pragma once

#include <vector>

#include "plan/goal/search_schedule.h"
#include "plan/plan.h"

namespace ostrel {

// Whether `later` belongs after `earlier` on a front: longer and cheaper.
bool follows(const Plan& earlier, const Plan& later);

// The front from `shortest` to `cheapest` out of `met` (which it sorts): between the two, every
// plan cheaper than all shorter ones, of equal plans the one met first; the two goals' plans
// themselves are its ends. When neither end is longer and cheaper than the other, the one as good
// as the other in both (the cheapest plan if both are) alone.
std::vector<Plan> frontBetween(const Plan& shortest, const Plan& cheapest, std::vector<Plan>& met);

// The prices that fill the widest gaps of `front` (search_schedule.h: at most kGapsFilled, each at
// least kLeastGapShare of its range): the widest first, of two as wide the shorter, each priced at
// its own slope (the meseta saved per feeding more from its shorter end to its longer) up to its
// longer end.
std::vector<FeedingPrice> gapPrices(const std::vector<Plan>& front);

// The meseta saved per feeding more from `shorter` to `longer`.
double slopeBetween(const Plan& shorter, const Plan& longer);

}  // namespace ostrel
