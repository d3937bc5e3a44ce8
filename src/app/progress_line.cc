// The status line of a goal search: a watcher thread that reads the search's progress record a
// few times a second. The search itself only ever updates atomics, once a layer.
#include "app/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace ostrel {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kQuietFor{500};  // searches quicker than this show nothing
constexpr milliseconds kEvery{200};

// Tells the watcher that the search is over, and wakes it at once.
struct Stop {
  std::mutex mutex;
  std::condition_variable wake;
  bool done = false;

  // Waits up to `time`; true when the search is over.
  bool waitFor(milliseconds time) {
    std::unique_lock lock(mutex);
    return wake.wait_for(lock, time, [this] { return done; });
  }
};

// The columns the line may take on the terminal `err`: one less than its width, because a line
// that fills the last column wraps, and a carriage return then goes back to its second row only,
// leaving the first on the screen.
std::size_t columnsFor(std::FILE* err) {
  winsize size{};
  if (ioctl(fileno(err), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col - 1U;
  return SIZE_MAX;
}

void watch(const GoalProgress& progress, std::FILE* err, Stop& stop) {
  if (stop.waitFor(kQuietFor)) return;
  std::size_t shown = 0;  // the width of the line on the terminal
  do {
    std::string text = progressText(progress.feedingsTried.load(), progress.bestSoFar());
    const std::size_t columns = columnsFor(err);
    if (text.size() > columns) text.resize(columns);
    // Padded over the longer line before it, so that nothing of that one is left behind.
    shown = std::min(std::max(shown, text.size()), columns);
    std::fprintf(err, "\r%-*s", static_cast<int>(shown), text.c_str());
    std::fflush(err);
  } while (!stop.waitFor(kEvery));
  std::fprintf(err, "\r%*s\r", static_cast<int>(std::min(shown, columnsFor(err))), "");
  std::fflush(err);
}

}  // namespace

std::string progressText(std::uint64_t feedingsTried, const std::optional<PlanMeasure>& best) {
  char text[160];
  if (!best) {
    std::snprintf(text, sizeof text, "searching: %llu feedings tried, no plan yet",
                  static_cast<unsigned long long>(feedingsTried));
  } else {
    std::snprintf(text, sizeof text,
                  "searching: %llu feedings tried, best plan so far %lld feedings, %lld meseta",
                  static_cast<unsigned long long>(feedingsTried),
                  static_cast<long long>(best->feedings), static_cast<long long>(best->meseta));
  }
  return text;
}

void runShowingProgress(const GoalOptions& options, std::FILE* err,
                        const std::function<void(const GoalOptions&)>& search) {
  const bool firstFound = options.goal == Goal::kFirst && !options.form && !options.everyForm;
  if (firstFound || isatty(fileno(err)) == 0) {
    search(options);
    return;
  }
  GoalProgress progress;
  GoalOptions watched = options;
  watched.progress = &progress;
  Stop stop;
  // Stopped and joined however the search ends, an exception included.
  struct Watcher {
    Stop& stop;
    std::thread thread;
    ~Watcher() {
      {
        const std::lock_guard lock(stop.mutex);
        stop.done = true;
      }
      stop.wake.notify_one();
      thread.join();
    }
  } watcher{stop, std::thread(watch, std::cref(progress), err, std::ref(stop))};
  search(watched);
}

}  // namespace ostrel
