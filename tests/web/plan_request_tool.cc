// The web page's requests answered by the native build of the same request code, for the schema
// test to validate: reads one request from standard input and prints the answer of planJson or,
// with the argument "replay", "forms" or "tradeoffs", of replayJson, formsJson or tradeoffsJson.
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "web/plan_request.h"

int main(int argc, char** argv) {
  const std::string request(std::istreambuf_iterator<char>(std::cin), {});
  const std::string_view kind = argc > 1 ? argv[1] : "";
  std::cout << (kind == "replay"      ? ostrel::web::replayJson(request)
                : kind == "forms"     ? ostrel::web::formsJson(request)
                : kind == "tradeoffs" ? ostrel::web::tradeoffsJson(request)
                                      : ostrel::web::planJson(request))
            << '\n';
}
