// ombrix: the window without a command; a headless command otherwise.

#include <iostream>
#include <string_view>

#include "app/application.h"

namespace {

constexpr int kUsageError = 2;

void PrintUsage(std::ostream& out) {
  out << "usage: ombrix              open the window\n"
         "       ombrix --version    print the version\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) {
    return ombrix::app::RunWindow(argc, argv);
  }
  const std::string_view command = argv[1];
  if (command == "--version" && argc == 2) {
    std::cout << "ombrix " << OMBRIX_VERSION << '\n';
    return 0;
  }
  if (command == "--help" || command == "-h") {
    PrintUsage(std::cout);
    return 0;
  }
  std::cerr << "ombrix: unknown command '" << command << "'\n";
  PrintUsage(std::cerr);
  return kUsageError;
}
