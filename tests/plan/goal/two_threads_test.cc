// Sharing parts between threads: every part runs once, a server stopped before it serves returns
// at once, a server that does not run holds nothing up, and what a part throws reaches the thread
// that handed the job over only once every part is done.
#include "plan/goal/two_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ostrel {
namespace {

TEST(PartHandoffTest, RunsEveryPartOnceOnEitherThread) {
  PartHandoff handoff;
  handoff.stop();
  handoff.serve();  // stopped before it began: returns at once
  EXPECT_FALSE(handoff.serving());

  PartHandoff lent;
  std::thread server([&] { lent.serve(); });
  while (!lent.serving()) std::this_thread::yield();
  // Jobs of a growing number of parts, as a beam hands over a layer's slices and then its forms:
  // a server that looks at the next job's count while still taking the last one's parts must not
  // take a part of the job that ended.
  constexpr std::size_t kJobs = 20000;
  constexpr std::size_t kMostParts = 9;
  std::vector<std::atomic<int>> ran(kJobs * kMostParts);
  for (std::size_t job = 0; job < kJobs; ++job) {
    lent.runParts(1 + job % kMostParts, [&](std::size_t part, int /*worker*/) {
      ++ran[job * kMostParts + part];
      // Long enough that both threads take parts of most jobs.
      std::atomic<int> spin{0};
      while (spin.fetch_add(1, std::memory_order_relaxed) < 300) {
      }
    });
  }
  // A part here that waits for the server to take the other: the server does take parts.
  std::atomic<bool> served{false};
  lent.runParts(2, [&](std::size_t /*part*/, int worker) {
    if (worker == 1) {
      served = true;
      return;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!served && std::chrono::steady_clock::now() < until) std::this_thread::yield();
  });
  lent.stop();
  server.join();
  for (std::size_t i = 0; i < ran.size(); ++i) {
    EXPECT_EQ(i % kMostParts <= i / kMostParts % kMostParts ? 1 : 0, ran[i].load()) << i;
  }
  EXPECT_TRUE(served);
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

}  // namespace
}  // namespace ostrel
