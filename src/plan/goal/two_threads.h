// Running the parts of a job on two threads: the calling thread and a second one take the parts
// one at a time, whichever is free, until none is left. The goal searches use it to grow and keep
// each layer of a beam in parts, to run the shortest plan's searches two at a time, and the
// trade-off's two goals side by side. The second thread is either kept for the purpose
// (TwoThreads, one for a whole goal search) or lent by a search that has finished its own work
// while another runs on (PartHandoff alone).
//
// No part waits for a thread to come: on a machine whose cores are busy with other programs the
// second thread may not run for a while, and the calling thread then takes every part itself.
// What the second thread still costs there is its share of the time the machine gives the
// program: where the machine shares its cores between programs first (and then between their
// threads), a second thread that runs takes that time from the first. So a goal search's second
// thread starts only once the machine has a core idle for it (free_cores.h).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "plan/goal/free_cores.h"

namespace ostrel {

// The work of a job: work(part, worker) for every part, each once; `worker` is 0 on the thread
// that handed the job over and 1 on the serving thread, for what a worker keeps for itself
// (buffers). What a part makes must depend on the part alone, not on the worker.
using PartWork = std::function<void(std::size_t part, int worker)>;

class TwoThreads;

// Where one thread hands jobs to another that serves. Only the thread that hands jobs over may stop
// the serving one: a thread that sees serving() can then count on it until it stops it itself.
class PartHandoff {
 public:
  // Takes parts of every job handed over, until stop() is called (at once if it was already).
  void serve();
  // Ends serve(); from the thread that hands jobs over, once it hands no more.
  void stop();
  // Whether a thread serves: jobs handed over now may be shared.
  bool serving() const { return serving_.load(std::memory_order_acquire); }
  // Runs work for the parts 0..count-1 here and on the serving thread, each part on whichever
  // takes it first, and returns once all are done; then passes on the first failure a part threw
  // (the parts taken after it still run). After a job for which the server came late, the next
  // few jobs run here alone (twice as many after each late job, one fewer after each shared
  // in time).
  void runParts(std::size_t count, const PartWork& work);
  // runParts for a job that never waits for the server to come (its parts take over each other's
  // work): handed over whether or not the jobs run alone for now, and no sign of a late server.
  void runEveryPart(std::size_t count, const PartWork& work);
  // Runs every part here, in order, without handing the job over; then passes on the first
  // failure, as runParts does.
  static void runHere(std::size_t count, const PartWork& work);
  // Where this handoff is lent by runLendingWhenDone and its threads' second thread waits for a
  // core: looks for one (TwoThreads), so that it comes while the parts run. Only on the thread
  // that runs the parts.
  void lookForServer();

 private:
  friend void runLendingWhenDone(const std::function<void(int part)>& work, PartHandoff& spare,
                                 TwoThreads& threads);

  // Hands the job over, takes parts of it until none is left, and waits for the server's; true
  // when the server came late for it (cameLate). The first failure is left in failure_.
  bool handOver(std::size_t count, const PartWork& work);
  // Takes the next part of job `job`, and tells the job's number of parts; false when none is
  // left or the job is over.
  bool take(std::uint32_t job, std::uint32_t& part, std::uint32_t& parts);
  // Runs the parts of job `job` that this worker takes; returns how many it took.
  std::uint32_t takeParts(std::uint32_t job, int worker);
  // Whether the server came late for a job of `parts` parts, of which this thread took `taken`,
  // ran its own for `own` and then waited `waited` for the server's: the server took none of a
  // job that was not over at once, or held this thread up for long, and longer than its own.
  static bool cameLate(std::uint32_t parts, std::uint32_t taken,
                       std::chrono::steady_clock::duration own,
                       std::chrono::steady_clock::duration waited);

  // The job handed over and the next part not yet taken, as job << 32 | part: one word, so that a
  // part is taken only of the job it was meant for.
  std::atomic<std::uint64_t> next_{0};
  // The job handed over and its number of parts, as job << 32 | parts, written before next_: a
  // thread that read next_ of one job and then the parts of the next would take a part past the
  // end of the first, one of the next job that its own taker runs too.
  std::atomic<std::uint64_t> parts_{0};
  std::atomic<std::uint32_t> done_{0};    // of them, the parts done
  std::atomic<std::uint32_t> posted_{0};  // the last job handed over: the server waits on it
  const PartWork* work_ = nullptr;        // the current job's work: read only after taking a part
  std::mutex failureMutex_;
  std::exception_ptr failure_;  // the first failure of the current job
  std::atomic<bool> serving_{false};
  std::atomic<bool> stopped_{false};
  TwoThreads* lookingFor_ = nullptr;  // set by runLendingWhenDone: whose second thread may come
  // Read and written only by the thread that hands jobs over: how many jobs it still runs alone,
  // and how many it will run alone after the next job for which the server comes late.
  std::uint32_t aloneFor_ = 0;
  std::uint32_t backOff_ = 0;
};

// Runs work(0) and work(1) side by side: work(0) on the calling thread, work(1) on the second
// thread of `threads` if it comes before the calling thread is done with work(0), and else after
// it on the calling thread (one after the other, as on one thread: no thread waits for a second
// one that the machine does not run). The part that ends first lends its thread to the other
// through `spare` (it serves it) until the other ends too, so that the searches still running,
// given `spare` as their lent thread, share their layers with it; the parts must not use
// `threads` themselves, which are busy with them. `spare` is made by the caller before the parts
// start and serves only this run.
void runLendingWhenDone(const std::function<void(int part)>& work, PartHandoff& spare,
                        TwoThreads& threads);
// The same with work(1) offered to whichever thread serves `second`, if any does.
void runLendingWhenDone(const std::function<void(int part)>& work, PartHandoff& spare,
                        PartHandoff& second);

// The calling thread and, when there are two, a second one that serves it until the end: made
// once for a whole goal search and handed down to all that it runs, since on a busy machine a
// thread started and ended for each beam cost a wait at each start and end (the new thread ran
// first, and the end waited for it to come).
class TwoThreads {
 public:
  // Whether the machine has a core idle for one more thread beside those running (coreIdleNow).
  using CoreLook = bool (*)();

  // With `two` false there is no second thread, and every part runs on the calling thread. With
  // `waitForIdleCore`, the second thread starts only once the machine has a core idle for it, as
  // `look` sees it: the calling thread looks now, and again as its parts run, less and less often
  // while it sees none.
  explicit TwoThreads(bool two, bool waitForIdleCore = false, CoreLook look = coreIdleNow);
  TwoThreads(const TwoThreads&) = delete;
  TwoThreads& operator=(const TwoThreads&) = delete;
  ~TwoThreads();

  // The threads the parts run on: 1 or 2 (1 while the second waits for a core). Only on the
  // calling thread, as every member but the second thread's own work.
  int count() const { return second_.joinable() ? 2 : 1; }

  // Runs work for the parts 0..count-1 and returns once all are done: shared with the second
  // thread when there is one, or else with the thread serving `lent` if one does, when
  // `sideBySide` (sharing costs more than a small job takes); else all here, in order.
  void runParts(std::size_t count, const PartWork& work, bool sideBySide = true,
                PartHandoff* lent = nullptr);
  // runParts of two parts, work(part) alone.
  void runBoth(const std::function<void(int part)>& work, bool sideBySide = true,
               PartHandoff* lent = nullptr);

 private:
  friend void runLendingWhenDone(const std::function<void(int part)>& work, PartHandoff& spare,
                                 TwoThreads& threads);

  friend class PartHandoff;

  void startSecond();
  // Where the second thread waits for a core: looks at the machine once the moment to look
  // again has come, and starts it there if a core is idle. Only on the calling thread: while the
  // second thread waits, no other runs the parts.
  void lookForIdleCore();

  PartHandoff handoff_;
  CoreLook look_;
  std::atomic<bool> waiting_{false};  // for a core idle, before the second thread starts
  bool idleSeen_ = false;             // at the last look, to be seen again
  std::chrono::steady_clock::time_point nextLook_;
  std::chrono::milliseconds betweenLooks_{2};
  std::thread second_;
};

}  // namespace ostrel
