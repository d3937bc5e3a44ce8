// Sharing the parts of a job. A beam hands jobs over a few times a layer, thousands of times a
// search, and a part often takes less than a thread takes to wake from sleep; so the serving
// thread first waits a moment awake for the next job, and only then sleeps until told. The thread
// that hands a job over never waits for the server to come: it takes parts itself until none is
// left, and then waits only for the parts the server is running. On a machine whose cores are
// busy the server may be taken off its core while it runs a part, and hold the job up for far
// longer than the job takes; the thread that hands jobs over notices and runs the next jobs alone
// for a while, so that the server sleeps and leaves the core to it.
#include "plan/goal/two_threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>
#include <utility>

namespace ostrel {
namespace {

// After a job for which the server came late, the jobs run alone before one is handed over again:
// doubled after each late job, up to the most, and one fewer after each job shared in time. A job
// lasts far less than a thread off its core waits for its turn, so on a busy machine one late job
// foretells more, and the server that comes to one job soon misses another: the back-off grows
// faster than it shrinks, where on an idle machine a late job is rare and the back-off stays
// small. The most bounds what a late job costs against the jobs between two tries.
constexpr std::uint32_t kLeastBackOff = 1;
constexpr std::uint32_t kMostBackOff = 1024;

// A server that runs comes to a job within this, awake or woken from sleep: a job shorter than
// this may run to its end before the server sees it, and that is no sign of a server off its core.
constexpr auto kServerComesWithin = std::chrono::microseconds(50);

// A server that holds the job up longer than this was taken off its core while it ran a part: a
// thread off its core waits for its turn longer. A shorter wait is the server finishing a part
// larger than the handing thread's own (the states of a layer gather in a few forms).
constexpr auto kServerOffCore = std::chrono::microseconds(500);

// Lets the other thread of the core run while this one waits awake.
inline void pauseBriefly() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// How a thread waits awake: the server, waiting for a job, lets any other thread that wants its
// core run between its looks (on a busy machine its waiting would take the time of the thread
// that hands jobs over, or of the programs beside it, and a server that is not there when a job
// comes makes that thread run the next jobs alone); the thread waiting for the server's parts
// keeps its core, for the job goes on as soon as they are done.
enum class Waiter { kServer, kHandingThread };

// Waits awake until `ready` holds or the moment has passed; true when it holds. On one core the
// other side cannot run while this one waits awake, so there it only looks once.
template <class Ready>
bool awaitAwake(const Ready& ready, Waiter waiter) {
  static const bool kOtherCore = std::thread::hardware_concurrency() > 1;
  if (!kOtherCore) return ready();
#ifdef __EMSCRIPTEN__
  // In the page the browser's own threads (the page, its renderer) want the cores too: a worker
  // that waits awake for long takes their time.
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
    if (waiter == Waiter::kServer) std::this_thread::yield();
  }
}

// Waits until `word` no longer holds `value`: awake a moment, then asleep until a change is told.
void awaitChange(const std::atomic<std::uint32_t>& word, std::uint32_t value, Waiter waiter) {
  if (awaitAwake([&] { return word.load(std::memory_order_acquire) != value; }, waiter)) return;
  word.wait(value, std::memory_order_acquire);
}

}  // namespace

bool PartHandoff::take(std::uint32_t job, std::uint32_t& part, std::uint32_t& parts) {
  std::uint64_t seen = next_.load(std::memory_order_acquire);
  for (;;) {
    // Another job, or none left: a part read for one job is never taken for the next.
    if (static_cast<std::uint32_t>(seen >> 32) != job) return false;
    const std::uint64_t limit = parts_.load(std::memory_order_acquire);
    if (static_cast<std::uint32_t>(limit >> 32) != job) return false;
    parts = static_cast<std::uint32_t>(limit);
    const auto candidate = static_cast<std::uint32_t>(seen);
    if (candidate >= parts) return false;
    if (next_.compare_exchange_weak(seen, seen + 1, std::memory_order_acq_rel,
                                    std::memory_order_acquire)) {
      part = candidate;
      return true;
    }
  }
}

std::uint32_t PartHandoff::takeParts(std::uint32_t job, int worker) {
  std::uint32_t part = 0;
  std::uint32_t parts = 0;
  std::uint32_t taken = 0;
  while (take(job, part, parts)) {
    // The job cannot end before this part is done, so its work is still the one handed over.
    try {
      (*work_)(part, worker);
    } catch (...) {
      const std::lock_guard<std::mutex> lock(failureMutex_);
      if (!failure_) failure_ = std::current_exception();
    }
    const std::uint32_t done = done_.fetch_add(1, std::memory_order_acq_rel) + 1;
    if (worker != 0 && done == parts) done_.notify_all();
    ++taken;
  }
  return taken;
}

void PartHandoff::runHere(std::size_t count, const PartWork& work) {
  std::exception_ptr failed;
  for (std::size_t part = 0; part < count; ++part) {
    try {
      work(part, 0);
    } catch (...) {
      if (!failed) failed = std::current_exception();
    }
  }
  if (failed) std::rethrow_exception(failed);
}

bool PartHandoff::cameLate(std::uint32_t parts, std::uint32_t taken,
                           std::chrono::steady_clock::duration own,
                           std::chrono::steady_clock::duration waited) {
  // A server that took no part of a job that lasted long enough was not there for it.
  if (taken == parts) return parts > 1 && own > kServerComesWithin;
  return waited > own && waited > kServerOffCore;
}

void PartHandoff::runParts(std::size_t count, const PartWork& work) {
  if (count == 0) return;
  if (aloneFor_ > 0) {
    --aloneFor_;
    runHere(count, work);
    return;
  }
  const bool late = handOver(count, work);
  if (late) {
    backOff_ = std::clamp(backOff_ * 2, kLeastBackOff, kMostBackOff);
    aloneFor_ = backOff_;
  } else if (backOff_ > 0) {
    --backOff_;
  }
  if (std::exception_ptr failed = std::exchange(failure_, nullptr)) std::rethrow_exception(failed);
}

void PartHandoff::runEveryPart(std::size_t count, const PartWork& work) {
  if (count == 0) return;
  handOver(count, work);
  if (std::exception_ptr failed = std::exchange(failure_, nullptr)) std::rethrow_exception(failed);
}

bool PartHandoff::handOver(std::size_t count, const PartWork& work) {
  const std::uint32_t job = posted_.load(std::memory_order_relaxed) + 1;
  const auto parts = static_cast<std::uint32_t>(count);
  work_ = &work;
  failure_ = nullptr;
  parts_.store(std::uint64_t{job} << 32 | parts, std::memory_order_relaxed);
  done_.store(0, std::memory_order_relaxed);
  next_.store(std::uint64_t{job} << 32, std::memory_order_release);
  // Sequentially consistent: the notification looks whether a server sleeps after the job is
  // seen, so that a server going to sleep on the job before sees this one, or is woken.
  posted_.store(job, std::memory_order_seq_cst);
  posted_.notify_one();
  const auto handed = std::chrono::steady_clock::now();
  const std::uint32_t taken = takeParts(job, 0);
  const auto ownDone = std::chrono::steady_clock::now();
  auto allDone = ownDone;
  std::uint32_t done = done_.load(std::memory_order_acquire);
  if (done != parts) {
    for (; done != parts; done = done_.load(std::memory_order_acquire)) {
      awaitChange(done_, done, Waiter::kHandingThread);
    }
    allDone = std::chrono::steady_clock::now();
  }
  return cameLate(parts, taken, ownDone - handed, allDone - ownDone);
}

void PartHandoff::serve() {
  serving_.store(true, std::memory_order_release);
  std::uint32_t seen = 0;  // the last job this server looked at
  while (!stopped_.load(std::memory_order_acquire)) {
    const std::uint32_t job = posted_.load(std::memory_order_acquire);
    if (job == seen) {
      awaitChange(posted_, seen, Waiter::kServer);
      continue;
    }
    seen = job;
    takeParts(job, 1);
  }
  serving_.store(false, std::memory_order_release);
}

void PartHandoff::lookForServer() {
  if (lookingFor_ != nullptr) lookingFor_->lookForIdleCore();
}

void PartHandoff::stop() {
  stopped_.store(true, std::memory_order_release);
  // A server asleep waits for the job word to change: a job number no job takes wakes it.
  posted_.fetch_or(std::uint32_t{1} << 31, std::memory_order_acq_rel);
  posted_.notify_all();
}

TwoThreads::TwoThreads(bool two, bool waitForIdleCore, CoreLook look) : look_(look) {
  if (!two) return;
  if (!waitForIdleCore || look_()) {
    startSecond();
    return;
  }
  waiting_.store(true, std::memory_order_relaxed);
  nextLook_ = std::chrono::steady_clock::now() + betweenLooks_;
}

TwoThreads::~TwoThreads() {
  if (!second_.joinable()) return;
  handoff_.stop();
  second_.join();
}

void TwoThreads::startSecond() {
  // Where the system makes no more threads, the search goes on with one.
  try {
    second_ = std::thread([this] { handoff_.serve(); });
  } catch (const std::system_error&) {
  }
}

void TwoThreads::lookForIdleCore() {
  if (!waiting_.load(std::memory_order_acquire)) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < nextLook_) return;
  if (look_()) {
    // A busy program that paused for a moment looks idle: an idle core is seen twice, a moment
    // apart, before the second thread starts. Where the search started, one look is enough.
    constexpr auto kSeenAgainAfter = std::chrono::microseconds(250);
    if (idleSeen_) {
      waiting_.store(false, std::memory_order_release);
      startSecond();
      return;
    }
    idleSeen_ = true;
    nextLook_ = now + kSeenAgainAfter;
    return;
  }
  idleSeen_ = false;
  // A program that ran for a moment as the search started is over within the first looks; a
  // busy machine stays busy, and is looked at less and less often.
  constexpr auto kMostBetweenLooks = std::chrono::milliseconds(256);
  betweenLooks_ = std::min(betweenLooks_ * 2, kMostBetweenLooks);
  nextLook_ = now + betweenLooks_;
}

void TwoThreads::runParts(std::size_t count, const PartWork& work, bool sideBySide,
                          PartHandoff* lent) {
  lookForIdleCore();
  if (lent != nullptr) lent->lookForServer();
  if (sideBySide && second_.joinable()) {
    handoff_.runParts(count, work);
  } else if (sideBySide && lent != nullptr && lent->serving()) {
    lent->runParts(count, work);
  } else {
    PartHandoff::runHere(count, work);
  }
}

void TwoThreads::runBoth(const std::function<void(int)>& work, bool sideBySide, PartHandoff* lent) {
  runParts(
      2, [&work](std::size_t part, int /*worker*/) { work(static_cast<int>(part)); }, sideBySide,
      lent);
}

void runLendingWhenDone(const std::function<void(int)>& work, PartHandoff& spare,
                        TwoThreads& threads) {
  // Without a second thread nobody serves the handoff, and the calling thread runs both parts;
  // where the second thread waits for a core, the parts' layers look for one as they go, and the
  // thread that comes takes the part not yet begun.
  threads.lookForIdleCore();
  spare.lookingFor_ = &threads;
  try {
    runLendingWhenDone(work, spare, threads.handoff_);
  } catch (...) {
    spare.lookingFor_ = nullptr;
    throw;
  }
  spare.lookingFor_ = nullptr;
}

void runLendingWhenDone(const std::function<void(int)>& work, PartHandoff& spare,
                        PartHandoff& second) {
  std::atomic<bool> taken[2] = {false, false};
  std::atomic<int> running{2};
  std::exception_ptr failed[2];
  // Runs work(which) unless a thread already took it; the last to end stops the lent thread, so
  // that no thread serves on.
  const auto runPart = [&](int which) {
    if (taken[which].exchange(true, std::memory_order_acq_rel)) return;
    try {
      work(which);
    } catch (...) {
      failed[which] = std::current_exception();
    }
    if (running.fetch_sub(1, std::memory_order_acq_rel) == 1) spare.stop();
  };
  // Each thread runs its own part (the calling thread work(0), where the progress is shown) and
  // then the other if nobody has taken it; then, while the other thread still runs one, serves
  // it. Nothing runs twice, and a thread that never comes leaves both parts to the calling
  // thread, which then serves nobody: the last part it ran stopped the lent thread.
  const PartWork share = [&](std::size_t /*share*/, int worker) {
    const int mine = worker;
    runPart(mine);
    runPart(1 - mine);
    spare.serve();
  };
  // Neither part waits for the second thread, so the job is handed over even where the layers run
  // alone for a while: a late server there would otherwise leave a whole search unshared.
  second.runEveryPart(2, share);
  for (const std::exception_ptr& failure : failed) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace ostrel
