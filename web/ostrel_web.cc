// The WebAssembly entry of the web page: five C functions over the JSON requests of
// plan_request.h. Each returns a string from malloc that the caller frees with _free. While a plan
// runs, every console line is handed to Module.onConsoleLine, and the goal searches' progress to
// Module.onSearchProgress once a layer, so the page's worker can show how the search goes. Built
// twice: for one thread, and with threads for a cross-origin isolated page (web/CMakeLists.txt).
#include <emscripten.h>
#include <emscripten/threading.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "web/plan_request.h"

namespace {

// NOLINTBEGIN: the JavaScript body is not C++.
EM_JS(void, postConsoleLine, (const char* text, int length), {
  if (Module["onConsoleLine"]) Module["onConsoleLine"](UTF8ToString(text, length));
});
// The feedings tried pass as a double: a JavaScript number holds them exactly up to 2^53.
EM_JS(void, postSearchProgress, (double feedingsTried, int bestFeedings, double bestMeseta), {
  if (Module["onSearchProgress"]) {
    Module["onSearchProgress"](feedingsTried, bestFeedings, bestMeseta);
  }
});
// NOLINTEND

// The progress of the searches on the second thread is told by the worker's own, which reads
// every search's counts: the second thread's JavaScript is not the worker's and has no one to
// tell.
void postProgress(const ostrel::web::SearchProgress& progress) {
  if (emscripten_is_main_runtime_thread() == 0) return;
  postSearchProgress(static_cast<double>(progress.feedingsTried),
                     static_cast<int>(progress.bestFeedings),
                     static_cast<double>(progress.bestMeseta));
}

char* copyForCaller(const std::string& text) {
  auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char* ostrel_catalog() { return copyForCaller(ostrel::web::catalogJson()); }

EMSCRIPTEN_KEEPALIVE char* ostrel_plan(const char* request) {
  return copyForCaller(ostrel::web::planJson(
      request,
      [](std::string_view line) { postConsoleLine(line.data(), static_cast<int>(line.size())); },
      postProgress));
}

EMSCRIPTEN_KEEPALIVE char* ostrel_replay(const char* request) {
  return copyForCaller(ostrel::web::replayJson(request, [](std::string_view line) {
    postConsoleLine(line.data(), static_cast<int>(line.size()));
  }));
}

EMSCRIPTEN_KEEPALIVE char* ostrel_forms(const char* request) {
  return copyForCaller(ostrel::web::formsJson(request, postProgress));
}

EMSCRIPTEN_KEEPALIVE char* ostrel_tradeoffs(const char* request) {
  return copyForCaller(ostrel::web::tradeoffsJson(request, postProgress));
}

}  // extern "C"
