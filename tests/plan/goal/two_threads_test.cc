// Sharing parts between threads: every part runs once, a server stopped before it serves returns
// at once, a server that does not run holds nothing up, and what a part throws reaches the thread
// that handed the job over only once every part is done. Two searches side by side: each runs
// once, both on the calling thread when the second thread never comes, and the one done first
// lends its thread to the other.
#include "plan/goal/two_threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ostrel {
namespace {

// Whether a job runs every part once does not depend on when the server comes: from the start,
// after the thread that hands jobs over has run many alone (it had not come to them), or never;
// nor on a job of few parts followed by one of many (a server still looking at the one may not
// take a part of the other past the end of the one). Where the server comes, it takes parts again
// before long, however long it was missing.
struct ServerArrival {
  int afterJobs;  // the jobs handed over before the server starts; -1: it never does
  std::size_t jobs;
  std::size_t parts;     // of the even jobs
  std::size_t oddParts;  // of the odd jobs
};
constexpr ServerArrival kArrivals[] = {
    {0, 500, 7, 7}, {0, 20000, 2, 45}, {40, 300, 7, 7}, {-1, 300, 7, 7}};

// Keeps the calling thread busy a moment: a part long enough for a server that runs to come to.
void runFor(std::chrono::microseconds span) {
  const auto until = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < until) {
  }
}

TEST(PartHandoffTest, RunsEveryPartOnceOnEitherThread) {
  PartHandoff handoff;
  handoff.stop();
  handoff.serve();  // stopped before it began: returns at once
  EXPECT_FALSE(handoff.serving());

  for (const ServerArrival& arrival : kArrivals) {
    PartHandoff lent;
    std::thread server;
    bool started = false;  // set before the server takes a part, read by either thread
    const std::size_t most = std::max(arrival.parts, arrival.oddParts);
    std::vector<std::atomic<int>> ran(arrival.jobs * most);
    for (std::size_t job = 0; job < arrival.jobs; ++job) {
      if (static_cast<int>(job) == arrival.afterJobs) {
        server = std::thread([&] { lent.serve(); });
        started = true;
        while (!lent.serving()) std::this_thread::yield();
      }
      const std::size_t parts = job % 2 == 0 ? arrival.parts : arrival.oddParts;
      lent.runParts(parts, [&](std::size_t part, int /*worker*/) {
        ++ran[job * most + part];
        if (!started) runFor(std::chrono::microseconds(20));
      });
    }
    // A part here that waits a while for the server to take the other: the server does take
    // parts again, once the jobs it missed are behind.
    std::atomic<bool> served{false};
    for (int job = 0; started && !served && job < 4096; ++job) {
      lent.runParts(2, [&](std::size_t /*part*/, int worker) {
        if (worker == 1) {
          served = true;
          return;
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
        while (!served && std::chrono::steady_clock::now() < until) std::this_thread::yield();
      });
    }
    lent.stop();
    if (started) server.join();
    for (std::size_t job = 0; job < arrival.jobs; ++job) {
      const std::size_t parts = job % 2 == 0 ? arrival.parts : arrival.oddParts;
      for (std::size_t part = 0; part < most; ++part) {
        EXPECT_EQ(part < parts ? 1 : 0, ran[job * most + part].load()) << job << " " << part;
      }
    }
    EXPECT_EQ(arrival.afterJobs >= 0, served.load()) << arrival.afterJobs;
  }
}

// The second thread stuck in the first part it takes stands for a thread the machine does not
// run: the calling thread takes every other part itself and waits only for that one.
TEST(PartHandoffTest, AThreadThatDoesNotRunHoldsUpNoOtherPart) {
  TwoThreads threads(true);
  constexpr std::size_t kParts = 64;
  for (int round = 0; round < 20; ++round) {
    std::atomic<int> here{0};
    std::atomic<int> onServer{0};
    threads.runParts(kParts, [&](std::size_t /*part*/, int worker) {
      if (worker == 0) {
        ++here;
        return;
      }
      ++onServer;
      while (here.load() + onServer.load() < static_cast<int>(kParts)) std::this_thread::yield();
    });
    EXPECT_LE(onServer.load(), 1);
    EXPECT_EQ(static_cast<int>(kParts), here.load() + onServer.load());
  }
}

TEST(PartHandoffTest, PassesOnWhatAPartThrowsOnceAllAreDone) {
  TwoThreads threads(true);
  for (const std::size_t failing : {std::size_t{0}, std::size_t{5}}) {
    std::atomic<int> done{0};
    EXPECT_THROW(threads.runParts(8,
                                  [&](std::size_t part, int /*worker*/) {
                                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                                    ++done;
                                    if (part == failing) throw std::runtime_error("part failed");
                                  }),
                 std::runtime_error);
    EXPECT_EQ(8, done.load());
  }
  std::atomic<int> both{0};
  threads.runBoth([&](int) { ++both; });  // the threads still share after a failure
  EXPECT_EQ(2, both.load());
}

// A second thread that never comes (nobody serves its handoff, or there is none) leaves both parts
// to the calling thread, one after the other, and nobody waits for it; the lent thread is stopped
// at the end, and a part's failure is passed on once the other has run too.
TEST(RunLendingWhenDoneTest, RunsBothPartsHereWhenTheSecondThreadNeverComes) {
  const std::thread::id here = std::this_thread::get_id();
  PartHandoff absent;
  TwoThreads none(false);
  for (int run = 0; run < 4; ++run) {
    std::vector<int> order;
    PartHandoff spare;
    const auto work = [&](int part) {
      EXPECT_EQ(here, std::this_thread::get_id());
      EXPECT_FALSE(spare.serving());  // nobody lends itself to a part that runs alone
      order.push_back(part);
      if (run == 3 && part == 0) throw std::runtime_error("part failed");
    };
    if (run % 2 == 0) {
      runLendingWhenDone(work, spare, absent);
    } else if (run == 1) {
      runLendingWhenDone(work, spare, none);
    } else {
      EXPECT_THROW(runLendingWhenDone(work, spare, absent), std::runtime_error);
    }
    EXPECT_EQ((std::vector<int>{0, 1}), order) << run;
    spare.serve();  // stopped: returns at once
  }
}

// With a second thread, each part runs once whichever thread comes to it; where the second thread
// took one, the part that ends first serves the other's jobs through the lent thread.
TEST(RunLendingWhenDoneTest, ThePartDoneFirstLendsItsThreadToTheOther) {
  TwoThreads threads(true);
  bool lent = false;
  for (int run = 0; run < 200 && !lent; ++run) {
    PartHandoff spare;
    std::atomic<int> ran[2] = {0, 0};
    std::atomic<bool> apart{false};  // the second part ran on the second thread
    const std::thread::id here = std::this_thread::get_id();
    runLendingWhenDone(
        [&](int part) {
          ++ran[part];
          // The first part lasts until the second thread has taken the second, or a while.
          for (int tries = 0; part == 0 && ran[1] == 0 && tries < 100000; ++tries) {
            std::this_thread::yield();
          }
          if (part == 0 || std::this_thread::get_id() == here) return;
          apart = true;
          // The first part has ended, or is about to: its thread comes to serve.
          for (int tries = 0; !spare.serving() && tries < 100000; ++tries) {
            std::this_thread::yield();
          }
          spare.runParts(2, [&](std::size_t /*part*/, int worker) {
            if (worker == 1) lent = true;
            for (int tries = 0; !lent && worker == 0 && tries < 100000; ++tries) {
              std::this_thread::yield();
            }
          });
        },
        spare, threads);
    EXPECT_EQ(1, ran[0].load());
    EXPECT_EQ(1, ran[1].load());
    EXPECT_TRUE(!apart || lent) << run;
  }
  EXPECT_TRUE(lent);
}

// A second thread that waits for a core (the machine scripted busy for a few looks, then idle)
// comes while the search runs: before, every part runs on the calling thread; after, the thread
// that came takes parts of the jobs handed over, or the part of two side by side not yet begun,
// from a lent handoff's layers; and every part still runs once.
std::atomic<int> busyLooksLeft{0};
bool scriptedLook() { return busyLooksLeft.fetch_sub(1) <= 0; }

// Runs jobs until `came` holds or far longer than the looks take to see the machine idle.
template <class Came, class Job>
void runUntil(const Came& came, const Job& job) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!came() && std::chrono::steady_clock::now() < until) job();
}

TEST(TwoThreadsTest, ASecondThreadWaitingForACoreComesOnceOneIsIdle) {
  busyLooksLeft = 3;
  TwoThreads threads(true, /*waitForIdleCore=*/true, scriptedLook);
  EXPECT_EQ(1, threads.count());  // the machine looked busy
  constexpr std::size_t kParts = 8;
  std::atomic<bool> second{false};
  std::size_t jobs = 0;
  runUntil([&] { return second.load(); },
           [&] {
             std::vector<std::atomic<int>> job(kParts);
             threads.runParts(kParts, [&](std::size_t part, int worker) {
               ++job[part];
               if (worker == 1) second = true;
               runFor(std::chrono::microseconds(20));
             });
             for (const std::atomic<int>& part : job) EXPECT_EQ(1, part.load()) << jobs;
             ++jobs;
           });
  EXPECT_TRUE(second.load());
  EXPECT_EQ(2, threads.count());
  EXPECT_GT(jobs, 1U);  // the first looks saw the machine busy: those jobs ran alone

  busyLooksLeft = 2;
  TwoThreads waiting(true, /*waitForIdleCore=*/true, scriptedLook);
  PartHandoff spare;
  const std::thread::id here = std::this_thread::get_id();
  std::atomic<int> runs[2] = {0, 0};
  std::thread::id secondRanOn;
  runLendingWhenDone(
      [&](int part) {
        ++runs[part];
        if (part == 1) {
          secondRanOn = std::this_thread::get_id();
          return;
        }
        // The first part's layers, through the lent handoff, until the second part has begun.
        TwoThreads own(false);
        runUntil([&] { return runs[1].load() > 0; },
                 [&] {
                   own.runParts(
                       4, [](std::size_t, int) { runFor(std::chrono::microseconds(20)); }, true,
                       &spare);
                 });
      },
      spare, waiting);
  EXPECT_EQ(1, runs[0].load());
  EXPECT_EQ(1, runs[1].load());
  EXPECT_NE(here, secondRanOn);  // the thread that came took it
}

}  // namespace
}  // namespace ostrel
