// Handing a part over and serving it. A beam hands a part over twice a layer, thousands of times
// a search, and a part often takes less than a thread takes to wake from sleep; so each side first
// waits a moment awake, looking for the other's word, and only then sleeps until told.
#include "plan/goal/two_threads.h"

#include <atomic>
#include <chrono>
#include <utility>

namespace ostrel {
namespace {

// Lets the other thread of the core run while this one waits awake.
inline void pauseBriefly() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Waits awake until `ready` holds or the moment has passed; true when it holds. On one core the
// other side cannot run while this one waits awake, so there it only looks once.
template <class Ready>
bool awaitAwake(const Ready& ready) {
  static const bool kOtherCore = std::thread::hardware_concurrency() > 1;
  if (!kOtherCore) return ready();
#ifdef __EMSCRIPTEN__
  // In the page the browser's own threads (the page, its renderer) want the cores too: a worker
  // that waits awake for long takes their time, and the cheapest plan's search came out slower on
  // two threads than on one; waiting awake a tenth as long gave the time back.
  constexpr auto kAwake = std::chrono::microseconds(20);
#else
  constexpr auto kAwake = std::chrono::microseconds(200);
#endif
  constexpr int kLooksBetweenClocks = 64;
  const auto until = std::chrono::steady_clock::now() + kAwake;
  for (;;) {
    for (int look = 0; look < kLooksBetweenClocks; ++look) {
      if (ready()) return true;
      pauseBriefly();
    }
    if (std::chrono::steady_clock::now() >= until) return ready();
  }
}

}  // namespace

// A sleeper looks at the words under the mutex before it sleeps: taking the mutex between a word
// and the call makes sure it either saw the word or is asleep and hears the call.
void PartHandoff::wake() {
  { const std::lock_guard<std::mutex> lock(mutex_); }
  changed_.notify_all();
}

void PartHandoff::runBoth(const std::function<void(int)>& work) {
  work_ = &work;
  const std::uint64_t job = handedOver_.load(std::memory_order_relaxed) + 1;
  handedOver_.store(job, std::memory_order_release);
  wake();
  // work(1) may still use what work(0) uses: whatever work(0) throws waits for it.
  std::exception_ptr failed;
  try {
    work(0);
  } catch (...) {
    failed = std::current_exception();
  }
  const auto done = [&] { return finished_.load(std::memory_order_acquire) == job; };
  if (!awaitAwake(done)) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, done);
  }
  std::exception_ptr failedThere = std::exchange(failure_, nullptr);
  if (failed) std::rethrow_exception(failed);
  if (failedThere) std::rethrow_exception(failedThere);
}

void PartHandoff::serve() {
  serving_.store(true, std::memory_order_release);
  for (;;) {
    const auto called = [&] {
      return handedOver_.load(std::memory_order_acquire) != served_ ||
             stopped_.load(std::memory_order_acquire);
    };
    if (!awaitAwake(called)) {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, called);
    }
    // A job handed over before the stop is served first: its giver waits for it.
    if (handedOver_.load(std::memory_order_acquire) == served_) break;
    ++served_;
    try {
      (*work_)(1);
    } catch (...) {
      failure_ = std::current_exception();
    }
    finished_.store(served_, std::memory_order_release);
    wake();
  }
  serving_.store(false, std::memory_order_release);
}

void PartHandoff::stop() {
  stopped_.store(true, std::memory_order_release);
  wake();
}

TwoThreads::TwoThreads(bool two) {
  if (two) second_ = std::thread([this] { handoff_.serve(); });
}

TwoThreads::~TwoThreads() {
  if (!second_.joinable()) return;
  handoff_.stop();
  second_.join();
}

void TwoThreads::runBoth(const std::function<void(int)>& work, bool sideBySide, PartHandoff* lent) {
  if (sideBySide && second_.joinable()) {
    handoff_.runBoth(work);
  } else if (sideBySide && lent != nullptr && lent->serving()) {
    lent->runBoth(work);
  } else {
    work(0);
    work(1);
  }
}

void runLendingWhenDone(const std::function<void(int)>& work, PartHandoff& spare) {
  std::atomic<int> running{2};
  const std::function<void(int)> part = [&](int which) {
    // The last part to end stops the lent thread, failing or not, so that no thread waits on.
    const auto lendOrStop = [&](bool mayLend) {
      if (running.fetch_sub(1) > 1) {
        if (mayLend) spare.serve();
      } else {
        spare.stop();
      }
    };
    try {
      work(which);
    } catch (...) {
      lendOrStop(false);
      throw;
    }
    lendOrStop(true);
  };
  TwoThreads threads(true);
  threads.runBoth(part);
}

}  // namespace ostrel
