// ombrix: the window without a command; a headless command otherwise.

#include <iostream>
#include <string_view>

#include "app/application.h"
#include "cli/import_commands.h"

namespace {

void PrintUsage(std::ostream& out) {
  out << "usage: ombrix                 open the window\n"
         "       ombrix --version       print the version\n"
         "       ombrix mesh MESH       what the mesh import reads from a workbook\n"
         "       ombrix points POINTS   what the point import reads from a workbook\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ombrix::cli;
  if (argc == 1) {
    return ombrix::app::RunWindow(argc, argv);
  }
  const std::string_view command = argv[1];
  if (command == "--version" && argc == 2) {
    std::cout << "ombrix " << OMBRIX_VERSION << '\n';
    return kExitOk;
  }
  if (command == "--help" || command == "-h") {
    PrintUsage(std::cout);
    return kExitOk;
  }
  if (command == "mesh" && argc == 3) {
    return PrintMesh(argv[2], std::cout);
  }
  if (command == "points" && argc == 3) {
    return PrintPoints(argv[2], std::cout);
  }
  std::cerr << "ombrix: unknown command or wrong arguments: '" << command << "'\n";
  PrintUsage(std::cerr);
  return kExitUsage;
}
