// Handing parts over between threads: every part runs once and where it should, a server stopped
// before it serves returns at once, and what a part throws reaches the thread that handed it over
// only once both parts are done.
#include "plan/goal/two_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ostrel {
namespace {

TEST(PartHandoffTest, ServesEveryPartOnceOnTheServingThread) {
  PartHandoff handoff;
  handoff.stop();
  handoff.serve();  // stopped before it began: returns at once
  EXPECT_FALSE(handoff.serving());

  PartHandoff lent;
  std::thread server([&] { lent.serve(); });
  while (!lent.serving()) std::this_thread::yield();
  const std::thread::id here = std::this_thread::get_id();
  std::vector<int> ran(2 * 1000, 0);
  bool elsewhere = true;
  for (int job = 0; job < 1000; ++job) {
    lent.runBoth([&](int part) {
      ++ran[2 * job + part];
      if (part == 1 && std::this_thread::get_id() == here) elsewhere = false;
    });
  }
  lent.stop();
  server.join();
  EXPECT_TRUE(elsewhere);
  EXPECT_EQ(std::vector<int>(2 * 1000, 1), ran);
}

TEST(PartHandoffTest, PassesOnWhatAPartThrowsOnceBothAreDone) {
  TwoThreads threads(true);
  std::atomic<bool> secondDone{false};
  const auto throwing = [&](int throwingPart) {
    return [&, throwingPart](int part) {
      if (part == 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        secondDone = true;
      }
      if (part == throwingPart) throw std::runtime_error("part failed");
    };
  };
  for (const int part : {0, 1}) {
    secondDone = false;
    EXPECT_THROW(threads.runBoth(throwing(part)), std::runtime_error);
    EXPECT_TRUE(secondDone);
  }
  std::atomic<int> both{0};
  threads.runBoth([&](int) { ++both; });  // the threads still serve after a failure
  EXPECT_EQ(2, both);
}

}  // namespace
}  // namespace ostrel
