// The second thread of TwoThreads: it waits for a part, runs it, and says when it is done.
#include "plan/goal/two_threads.h"

namespace ostrel {

TwoThreads::TwoThreads(bool two) {
  if (two) second_ = std::thread([this] { serve(); });
}

TwoThreads::~TwoThreads() {
  if (!second_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  second_.join();
}

void TwoThreads::runBoth(const std::function<void(int)>& work, bool sideBySide) {
  if (!second_.joinable() || !sideBySide) {
    work(0);
    work(1);
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    work_ = &work;
  }
  changed_.notify_all();
  work(0);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return work_ == nullptr; });
}

void TwoThreads::serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return work_ != nullptr || quit_; });
    if (quit_) return;
    const std::function<void(int)>& work = *work_;
    lock.unlock();
    work(1);
    lock.lock();
    work_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace ostrel
