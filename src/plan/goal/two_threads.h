// Running the two parts of a job side by side: the calling thread runs one, a second thread runs
// the other. The goal searches use it to grow each layer of a beam in two halves, to run the
// shortest plan's searches two at a time, and the trade-off's two goals side by side. The second
// thread is either kept for the purpose (TwoThreads) or lent by a search that has finished its
// own work while another runs on (PartHandoff alone).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace ostrel {

// Where one thread hands the second part of its jobs to another that serves. Only the thread that
// hands jobs over may stop the serving one: a thread that sees serving() can then count on it
// until it stops it itself.
class PartHandoff {
 public:
  // Runs work(1) of every job handed over, until stop() is called (at once if it was already).
  void serve();
  // Ends serve(); from the thread that hands jobs over, once it hands no more.
  void stop();
  // Whether a thread serves: jobs handed over now are taken.
  bool serving() const { return serving_.load(std::memory_order_acquire); }
  // Runs work(0) here and work(1) on the serving thread, and returns once both are done; then
  // passes on what either part threw (work(0)'s first).
  void runBoth(const std::function<void(int part)>& work);

 private:
  void wake();

  std::mutex mutex_;  // only for sleeping and waking
  std::condition_variable changed_;
  // The job handed over: written before handedOver_ counts it, read after.
  const std::function<void(int)>* work_ = nullptr;
  std::atomic<std::uint64_t> handedOver_{0};  // the jobs handed over so far
  std::atomic<std::uint64_t> finished_{0};    // the last job the serving thread finished
  std::uint64_t served_ = 0;  // the jobs taken by the serving thread: only it reads and writes
  // What the last job's work(1) threw: written before finished_ counts the job, read after.
  std::exception_ptr failure_;
  std::atomic<bool> serving_{false};
  std::atomic<bool> stopped_{false};
};

// Runs work(0) on the calling thread and work(1) on a second one, side by side. The part that
// ends first lends its thread to the other through `spare` (it serves it) until the other ends
// too, so that the searches still running, given `spare` as their lent thread, make their layers
// in two halves. `spare` is made by the caller before the parts start and serves only this run.
void runLendingWhenDone(const std::function<void(int part)>& work, PartHandoff& spare);

class TwoThreads {
 public:
  // With `two` false there is no second thread, and both parts run on the calling thread.
  explicit TwoThreads(bool two);
  TwoThreads(const TwoThreads&) = delete;
  TwoThreads& operator=(const TwoThreads&) = delete;
  ~TwoThreads();

  // The threads the parts run on: 1 or 2.
  int count() const { return second_.joinable() ? 2 : 1; }

  // Runs work(0) and work(1) and returns once both are done: work(1) on the second thread when
  // there is one, or else on the thread serving `lent` if one does, when `sideBySide` (handing a
  // part over costs more than a small part takes); else both here, in that order.
  void runBoth(const std::function<void(int part)>& work, bool sideBySide = true,
               PartHandoff* lent = nullptr);

 private:
  PartHandoff handoff_;
  std::thread second_;  // last: it starts serving once everything else is made
};

}  // namespace ostrel
