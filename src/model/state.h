// The records the whole planner speaks in: one mag at one moment (MagState), the game's small
// index types, the bar changes of one feeding (StatDelta), the stats wanted (Target) and the one
// PlannerState that the dialogue owns and hands down by reference.
#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

using MagType = std::int32_t;    // 0..44, the mag's form
using Item = std::int32_t;       // 0..10, Monomate .. Star Atomizer
using FeedTable = std::int32_t;  // 0..9, the feeding table a form uses
using CharClass = std::int32_t;  // 0..11, Humar .. Fonewearl
using SectionId = std::int32_t;  // 0..9, Purplenum .. Whitill

inline constexpr std::int32_t kMaxLevel = 200;
inline constexpr std::int32_t kBarCapacity = 100;

// One mag at one moment. `level` is always def + pow + dex + mind; feeding recomputes it.
struct MagState {
  MagType type = 0;
  std::int32_t def = 5;
  std::int32_t pow = 0;
  std::int32_t dex = 0;
  std::int32_t mind = 0;
  std::int32_t defBar = 0;
  std::int32_t powBar = 0;
  std::int32_t dexBar = 0;
  std::int32_t mindBar = 0;
  std::int32_t level = 5;

  friend bool operator==(const MagState&, const MagState&) = default;
};

// A new mag, as the game hands it out: "mag" at 5/0/0/0 with empty bars.
inline constexpr MagState kBabyMag{};

// The four bar changes of one feeding, in the order def, pow, dex, mind.
struct StatDelta {
  std::int32_t def = 0;
  std::int32_t pow = 0;
  std::int32_t dex = 0;
  std::int32_t mind = 0;

  friend bool operator==(const StatDelta&, const StatDelta&) = default;
};

// The stats the player wants the mag to end at; `level` is their sum (at most 200).
struct Target {
  std::int32_t def = 0;
  std::int32_t pow = 0;
  std::int32_t dex = 0;
  std::int32_t mind = 0;
  std::int32_t level = 0;
};

// Whether each plan file could be emptied and written during the current plan. A file that
// failed once is left alone for the rest of the plan, so it never holds half of two plans.
struct PlanFilesStatus {
  bool detailFailed = false;
  bool groupedFailed = false;
};

// Where the plan files go: the working directory in the dialogue; the command line can put them
// in another directory or write none at all (`write` false), leaving any old files untouched.
inline constexpr const char* kDetailFileName = "feedingPlan.txt";
inline constexpr const char* kGroupedFileName = "feedingPlan2.txt";

struct PlanFilePaths {
  std::string detail = kDetailFileName;
  std::string grouped = kGroupedFileName;
  bool write = true;
};

// The planner's whole state, created once by the dialogue and passed by reference.
struct PlannerState {
  // The player, answered in the dialogue and kept between plans.
  SectionId sectionId = 0;
  CharClass charClass = 0;
  Target target;

  // The deltas of the feeding in progress; evolution breaks stat ties with them. Never reset.
  StatDelta lastDelta;

  // Search counters. nodeCount runs on over every plan of the program's run.
  double nodeCount = 0;
  std::int32_t hardCount = 0;
  std::int32_t feedCount = 0;
  double totalCost = 0;

  // Grouping of the plan into runs of one item while it is written, last feeding first.
  Item previousItem = -1;
  std::int32_t runLength = 0;
  double lineCount = 0;
  PlanFilesStatus planFiles;
  PlanFilePaths planFilePaths;

  // The last name looked up; every name is printed before the next lookup overwrites it.
  char nameBuffer[256] = {};
};

}  // namespace ostrel
