// ombrix: the window without a command; a headless command otherwise.

#include <iostream>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "cli/arguments.h"
#include "cli/contour_commands.h"
#include "cli/gis_commands.h"
#include "cli/import_commands.h"
#include "cli/optimise_command.h"
#include "cli/run_guard.h"
#include "cli/runtime_folder.h"
#include "cli/setcells_command.h"

namespace {

void PrintUsage(std::ostream& out) {
  out << "usage: ombrix                 open the window\n"
         "       ombrix --version       print the version\n"
         "       ombrix mesh MESH       what the mesh import reads from a workbook\n"
         "       ombrix points POINTS   what the point import reads from a workbook\n"
         "       ombrix segments MESH [--interval N] [--line-width N] [--divide D]\n"
         "       ombrix levels MESH [--interval N] [--color-range MIN MAX]\n"
         "       ombrix render MESH -o OUT.bmp|OUT.png [--mode nothing|easy|normal]\n"
         "                     [--interval N] [--line-width N] [--outline] [--no-level]\n"
         "                     [--no-redline] [--color-range MIN MAX] [--divide D]\n"
         "                     [--map PICTURE]\n"
         "                     [--points POINTS --optimise [--initial weighted|mean]\n"
         "                      [--solver relaxation|exact]]\n"
         "                     [--print-pdf OUT.pdf]\n"
         "       ombrix legend MESH -o OUT.bmp|OUT.png [--interval N] [--color-range MIN MAX]\n"
         "       ombrix setcells WORKBOOK ROW,COL,VALUE[,mark] ...\n"
         "       ombrix optimise MESH POINTS [--initial weighted|mean]\n"
         "                      [--solver relaxation|exact] [--write]\n"
         "       ombrix contours MESH -o OUT.gpkg|OUT.shp|OUT.geojson|OUT.dxf [--interval N]\n"
         "                     [--divide D] [--points POINTS --optimise [--solver S]] [--srs SRS]\n"
         "       ombrix grid MESH -o OUT.tif|OUT.asc [--points POINTS --optimise [--solver S]]\n"
         "                     [--srs SRS]\n"
         "       (MESH: a mesh workbook, or a raster grid GDAL reads)\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ombrix::cli;
  EnsureRuntimeFolder();
  if (argc == 1) {
    return ombrix::app::RunWindow(argc, argv);
  }
  const std::string_view command = argv[1];
  const std::vector<std::string> rest(argv + 2, argv + argc);
  try {
    if (command == "--version" && rest.empty()) {
      std::cout << "ombrix " << OMBRIX_VERSION << '\n';
      return kExitOk;
    }
    if (command == "--help" || command == "-h") {
      PrintUsage(std::cout);
      return kExitOk;
    }
    if (command == "mesh" && rest.size() == 1) {
      return PrintMesh(rest.front(), std::cout);
    }
    if (command == "points" && rest.size() == 1) {
      return PrintPoints(rest.front(), std::cout);
    }
    if (command == "segments") {
      return PrintSegments(rest, std::cout);
    }
    if (command == "levels") {
      return PrintLevels(rest, std::cout);
    }
    if (command == "render") {
      return RenderMap(rest, std::cout);
    }
    if (command == "legend") {
      return RenderLegend(rest, std::cout);
    }
    if (command == "optimise") {
      return PrintOptimisedMesh(rest, std::cout);
    }
    if (command == "contours") {
      return ExportContours(rest, std::cout);
    }
    if (command == "grid") {
      return ExportGrid(rest, std::cout);
    }
    if (command == "setcells") {
      return SetCells(rest, std::cout);
    }
    throw UsageError("unknown command or wrong arguments: '" + std::string(command) + "'");
  } catch (const ombrix::RunError& e) {
    // A run-time error outside a command's own handler still ends in the one error line.
    std::cout << "error," << ombrix::OneLine(e.what()) << '\n';
    return kExitRunError;
  } catch (const UsageError& e) {
    std::cerr << "ombrix: " << e.what() << '\n';
    PrintUsage(std::cerr);
    return kExitUsage;
  }
}
