// Running the two parts of a job side by side: the calling thread runs one, a second thread kept
// for the next job runs the other. The goal searches use it to grow each layer of a beam in two
// halves, and to run the shortest plan's searches two at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace ostrel {

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
  // there is one and `sideBySide` (handing a part over costs more than a small part takes), else
  // both here, in that order.
  void runBoth(const std::function<void(int part)>& work, bool sideBySide = true);

 private:
  void serve();
  void wake();

  std::mutex mutex_;  // only for sleeping and waking
  std::condition_variable changed_;
  // The job handed over: written before handedOver_ counts it, read after.
  const std::function<void(int)>* work_ = nullptr;
  std::atomic<std::uint64_t> handedOver_{0};  // the jobs handed to the second thread so far
  std::atomic<std::uint64_t> finished_{0};    // the last job it finished
  std::atomic<bool> quit_{false};
  std::thread second_;  // last: it starts serving once everything else is made
};

}  // namespace ostrel
