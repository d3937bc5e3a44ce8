// The goal benchmark's load mode: each case on one thread, on two as the program asks them (on one
// where the cores are busy) and on two made to run (the control), beside a spinning process per
// core: a player's machine busy with the game.
#pragma once

namespace ostrel::bench {

// The rounds when none are asked: the cheapest plans of the eight targets take two to three
// minutes under load, and the verdicts of two runs agree.
inline constexpr int kDefaultLoadRounds = 9;

// Runs every target with the goals named in `goals` (and only the targets it names, if any),
// `rounds` times, each case a process of `self` (the benchmark: TARGET GOAL WIDTH THREADS), and
// prints the verdicts. Returns 0 only where two threads run within 5% of one on every case and
// no run failed.
int runUnderLoad(const char* self, const char* goals, int rounds);

}  // namespace ostrel::bench
