// The game's constant data: names, the feeding table, prices, the order in which the search tries
// items, and the evolution tables. Rows and columns follow the game's own lists so that every
// number can be checked against them at a glance.
#pragma once

#include <array>

#include "model/state.h"

namespace ostrel {

inline constexpr int kItemCount = 11;   // Star Atomizer included
inline constexpr int kFedItemCount = 10;  // the items the search ever feeds: 0..9
inline constexpr int kMagTypeCount = 45;
inline constexpr int kFeedTableCount = 10;
inline constexpr int kCharClassCount = 12;
inline constexpr int kSectionIdCount = 10;

inline constexpr std::array<const char*, kItemCount> kItemNames = {
    "Monomate",  "Dimate",   "Trimate",       "Monofluid",    "Difluid",       "Trifluid",
    "Antidote",  "Antiparalysis", "Sol Atomizer", "Moon Atomizer", "Star Atomizer",
};

// Indexed by MagType; the form menu numbers them from 1.
inline constexpr std::array<const char*, kMagTypeCount> kMagTypeNames = {
    "mag",                                                                            // 0
    "kalki",   "Varuna",   "vritra",                                                  // 1..3
    "mitra",   "surya",    "tapas",                                                   // 4..6
    "durga",   "garuda",   "ila",     "nandin",  "ribhava", "sita",   "soma", "yaksa",   // 7..14
    "andhaka", "bana",     "kabanda", "madhu",   "marica",  "naga", "naraka", "ravana",  // 15..22
    "apsaras", "bhirava",  "kaitabha", "kama",   "kumara",  "varaha", "vayu", "ushasu",  // 23..30
    "ashvinau", "marutah", "namuci",  "rudra",   "sumba",                              // 31..35
    "Deva",    "Rukimin",  "Sato",                                                    // 36..38
    "Bhima",   "Pushan",   "Rati",                                                    // 39..41
    "diwari",  "nidra",    "savitri",                                                 // 42..44
};

// The report heading prints these; each name sits in a slot of 20 characters as in the game.
using NameSlot = char[20];
inline constexpr NameSlot kCharClassNames[kCharClassCount] = {
    "Humar", "Hucast", "Hunewearl", "Hucaseal", "Ramar",  "Racast",
    "Ramarl", "Racaseal", "Fomar",  "Fonewm",   "Fomarl", "Fonewearl",
};
inline constexpr NameSlot kSectionIdNames[kSectionIdCount] = {
    "Purplenum", "Redria", "Skyly", "Viridia", "Yelloboze",
    "Bluefull",  "Greenill", "Oran", "Pinkal", "Whitill",
};

// Bar changes def/pow/dex/mind of one feeding, by feeding table and item.
// clang-format off
inline constexpr StatDelta kFeedTable[kFeedTableCount][kItemCount] = {
    // Monomate      Dimate           Trimate           Monofluid        Difluid            Trifluid
    // Antidote       Antiparalysis    Sol Atomizer      Moon Atomizer    Star Atomizer
    {{5, 40, 5, 0},   {10, 45, 5, 0},  {10, 50, 10, 0},  {5, 0, 5, 40},   {10, 0, 5, 45},    {15, 0, 10, 50},
     {5, 1, 40, 0},   {5, 0, 44, 10},  {15, 30, 15, 25}, {15, 25, 15, 30}, {25, 25, 25, 25}},      // 0
    {{5, 10, 0, -1},  {6, 15, 3, -3},  {12, 21, 4, -7},  {5, 0, 0, 8},    {7, 0, 3, 13},     {7, -7, 6, 19},
     {0, 5, 15, 0},   {-1, 0, 14, 5},  {10, 11, 8, 0},   {9, 0, 9, 11},    {14, 9, 18, 11}},       // 1
    {{0, 3, 0, 0},    {5, 7, 0, -5},   {4, 14, 6, -10},  {0, 0, 0, 4},    {4, -5, 0, 8},     {4, -10, 3, 15},
     {0, 0, 7, 0},    {-4, -5, 20, -5}, {-10, 9, 6, 9},  {8, 5, -8, 7},    {7, 7, 7, 7}},          // 2
    {{-4, 13, -5, -5}, {0, 16, 0, -15}, {3, 19, -2, -18}, {-4, -5, -5, 13}, {0, -15, 0, 16},  {3, -20, 0, 19},
     {5, -6, 6, -5},  {0, -4, 14, -10}, {4, 17, -5, -15}, {-10, -15, 5, 21}, {2, 8, 3, 6}},        // 3
    {{-3, 9, -3, -4}, {0, 11, 0, -10}, {2, 15, 0, -16},  {-3, -4, -3, 9}, {0, -10, 0, 11},   {-2, -15, 0, 19},
     {0, 6, 9, -15},  {0, -15, 9, 6},  {9, -20, -5, 17}, {-5, 20, 5, -20}, {0, 11, 0, 11}},        // 4
    {{-5, 9, -5, 0},  {0, 11, 0, -10}, {4, 14, 0, -15},  {-5, 0, -6, 10}, {0, -10, 0, 11},   {4, -15, 0, 15},
     {-5, -5, 16, -5}, {7, -3, 0, -3}, {5, 21, -5, -20}, {-5, -20, 5, 21}, {4, 6, 8, 5}},          // 5
    {{1, 9, 0, -5},   {1, 13, 0, -10}, {8, 16, 2, -15},  {0, -5, 0, 9},   {4, -10, 0, 13},   {6, -15, 5, 17},
     {-5, 4, 12, -5}, {-5, -6, 11, 4}, {0, 11, 3, -5},   {4, -5, 0, 11},   {7, 8, 6, 8}},          // 6
    {{-4, 13, -5, -5}, {0, 16, 0, -15}, {4, 19, -4, -20}, {-4, -5, -5, 13}, {0, -15, 0, 16},  {4, -20, 0, 19},
     {5, -6, 6, -5},  {0, -4, 14, -10}, {5, 17, -5, -15}, {-10, -15, 5, 22}, {4, 6, 4, 6}},        // 7
    {{-3, 9, -3, -4}, {0, 11, 0, -10}, {4, 14, 0, -15},  {-3, -4, -3, 9}, {0, -10, 0, 11},   {-4, -15, 0, 14},
     {0, 6, 9, -15},  {0, -15, 9, 6},  {10, -20, -5, 17}, {-3, 17, 6, -20}, {0, 10, 0, 10}},       // 8
    {{-5, 20, -15, -5}, {-2, 25, -10, -16}, {5, 29, -5, -27}, {-10, -5, -10, 20}, {-5, -16, -5, 25},
     {-5, -27, 5, 29}, {-10, -10, 28, -10}, {8, -15, 20, -15}, {18, 17, -15, 20}, {-15, -20, 18, 18},
     {3, 4, 3, 4}},                                                                            // 9
};
// clang-format on

// Meseta per item.
inline constexpr std::array<std::int32_t, kItemCount> kItemPrice = {
    60,    // Monomate
    300,   // Dimate
    2000,  // Trimate
    100,   // Monofluid
    500,   // Difluid
    3600,  // Trifluid
    60,    // Antidote
    60,    // Antiparalysis
    300,   // Sol Atomizer
    500,   // Moon Atomizer
    2500,  // Star Atomizer
};

// The order in which the search tries items after its preferred one. Star Atomizer is never fed.
inline constexpr std::array<Item, kFedItemCount> kSearchOrder = {1, 4, 8, 9, 0, 3, 6, 7, 2, 5};

// Evolution at level 10, by class group (class / 4): Varuna, kalki, vritra.
inline constexpr std::array<MagType, 3> kLevel10Type = {2, 1, 3};

// Evolution at level 35, by dominant stat (pow, dex, mind) and class group.
inline constexpr MagType kLevel35Type[3][3] = {
    // group 0      group 1      group 2
    {34 /*rudra*/, 5 /*surya*/, 35 /*sumba*/},       // pow
    {32 /*marutah*/, 4 /*mitra*/, 31 /*ashvinau*/},  // dex
    {29 /*vayu*/, 6 /*tapas*/, 33 /*namuci*/},       // mind
};

// Evolution at levels 50..95 with def below 45, by stat order and by class group with a low
// (0..4) or high (5..9) section ID.
inline constexpr MagType kLevel50Type[6][6] = {
    // g0 low       g0 high        g1 low          g1 high         g2 low          g2 high
    {28 /*varaha*/, 26 /*kama*/, 26 /*kama*/, 18 /*madhu*/, 21 /*naraka*/, 19 /*marica*/},       // 0
    {24 /*bhirava*/, 23 /*apsaras*/, 24 /*bhirava*/, 25 /*kaitabha*/, 22 /*ravana*/, 20 /*naga*/},  // 1
    {9 /*ila*/, 8 /*garuda*/, 24 /*bhirava*/, 25 /*kaitabha*/, 11 /*ribhava*/, 8 /*garuda*/},    // 2
    {10 /*nandin*/, 14 /*yaksa*/, 26 /*kama*/, 28 /*varaha*/, 12 /*sita*/, 24 /*bhirava*/},      // 3
    {17 /*kabanda*/, 16 /*bana*/, 28 /*varaha*/, 17 /*kabanda*/, 20 /*naga*/, 27 /*kumara*/},    // 4
    {30 /*ushasu*/, 13 /*soma*/, 23 /*apsaras*/, 7 /*durga*/, 17 /*kabanda*/, 9 /*ila*/},        // 5
};

// Evolution at levels 50..95 with def 45 or more, class group 2 only: andhaka for pow, else bana.
inline constexpr MagType kLevel50HighDefPowType = 15;
inline constexpr MagType kLevel50HighDefOtherType = 16;

// Evolution at levels 100..200 when the section ID's sum condition holds, by class pair
// (class / 2) and section ID set: {1,3,5,9} def+dex=pow+mind, {2,4,8} def+pow=dex+mind,
// {0,6,7} def+mind=pow+dex.
enum class SumRule { kDefDex, kDefPow, kDefMind };
inline constexpr std::array<SumRule, kSectionIdCount> kSectionSumRule = {
    SumRule::kDefMind, SumRule::kDefDex, SumRule::kDefPow,  SumRule::kDefDex,  SumRule::kDefPow,
    SumRule::kDefDex,  SumRule::kDefMind, SumRule::kDefMind, SumRule::kDefPow, SumRule::kDefDex,
};
inline constexpr MagType kLevel100Type[6][3] = {
    // IDs 1,3,5,9    IDs 2,4,8       IDs 0,6,7
    {36 /*Deva*/, 41 /*Rati*/, 36 /*Deva*/},           // Humar, Hucast
    {44 /*savitri*/, 44 /*savitri*/, 44 /*savitri*/},  // Hunewearl, Hucaseal
    {40 /*Pushan*/, 40 /*Pushan*/, 40 /*Pushan*/},     // Ramar, Racast
    {37 /*Rukimin*/, 42 /*diwari*/, 37 /*Rukimin*/},   // Ramarl, Racaseal
    {43 /*nidra*/, 43 /*nidra*/, 43 /*nidra*/},        // Fomar, Fonewm
    {38 /*Sato*/, 39 /*Bhima*/, 39 /*Bhima*/},         // Fomarl, Fonewearl
};

// Forms from this index on come only from the level 100..200 rule and never change again there.
inline constexpr MagType kFinalTypeStart = 36;
inline constexpr std::int32_t kHighDefLimit = 45;
inline constexpr SectionId kHighSectionStart = 5;

}  // namespace ostrel
