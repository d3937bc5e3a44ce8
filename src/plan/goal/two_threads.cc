// The second thread of TwoThreads: it waits for a part, runs it, and says when it is done. A beam
// hands a part over twice a layer, thousands of times a search, and a part often takes less than
// a thread takes to wake from sleep; so each side first waits a moment awake, looking for the
// other's word, and only then sleeps until told.
#include "plan/goal/two_threads.h"

#include <chrono>

namespace ostrel {
namespace {

// Lets the other thread of the core run while this one waits awake.
inline void pauseBriefly() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Waits awake until `ready` holds or the moment has passed; true when it holds.
template <class Ready>
bool awaitAwake(const Ready& ready) {
  constexpr auto kAwake = std::chrono::microseconds(200);
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

TwoThreads::TwoThreads(bool two) {
  if (two) second_ = std::thread([this] { serve(); });
}

TwoThreads::~TwoThreads() {
  if (!second_.joinable()) return;
  quit_.store(true, std::memory_order_release);
  wake();
  second_.join();
}

// A sleeper looks at the words under the mutex before it sleeps: taking the mutex between a word
// and the call makes sure it either saw the word or is asleep and hears the call.
void TwoThreads::wake() {
  { const std::lock_guard<std::mutex> lock(mutex_); }
  changed_.notify_all();
}

void TwoThreads::runBoth(const std::function<void(int)>& work, bool sideBySide) {
  if (!second_.joinable() || !sideBySide) {
    work(0);
    work(1);
    return;
  }
  work_ = &work;
  const std::uint64_t job = handedOver_.load(std::memory_order_relaxed) + 1;
  handedOver_.store(job, std::memory_order_release);
  wake();
  work(0);
  const auto done = [&] { return finished_.load(std::memory_order_acquire) == job; };
  if (awaitAwake(done)) return;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, done);
}

void TwoThreads::serve() {
  std::uint64_t served = 0;
  for (;;) {
    const auto called = [&] {
      return handedOver_.load(std::memory_order_acquire) != served ||
             quit_.load(std::memory_order_acquire);
    };
    if (!awaitAwake(called)) {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, called);
    }
    if (quit_.load(std::memory_order_acquire)) return;
    served = handedOver_.load(std::memory_order_acquire);
    (*work_)(1);
    finished_.store(served, std::memory_order_release);
    wake();
  }
}

}  // namespace ostrel
