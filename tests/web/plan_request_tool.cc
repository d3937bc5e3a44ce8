// The web page's requests answered by the native build of the same request code, for the schema
// test to validate: reads one request from standard input and prints the answer of
// planJson (plan files written into a temporary directory of its own) or, with the argument
// "forms", of formsJson.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "web/plan_request.h"

int main(int argc, char** argv) {
  const std::string request(std::istreambuf_iterator<char>(std::cin), {});
  if (argc > 1 && std::string_view(argv[1]) == "forms") {
    std::cout << ostrel::web::formsJson(request) << '\n';
    return 0;
  }
  std::string dir = (std::filesystem::temp_directory_path() / "ostrel-web-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return 1;
  std::cout << ostrel::web::planJson(request, dir) << '\n';
  std::filesystem::remove_all(dir);
  return 0;
}
