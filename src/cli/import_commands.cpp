#include "cli/import_commands.h"

#include "gis/mesh_file_opener.h"
#include "import/mesh_import.h"
#include "import/plot_frame.h"
#include "import/point_import.h"
#include "model/numeric.h"
#include "model/run_error.h"
#include "sheet/open_workbook.h"

namespace ombrix::cli {

int PrintMesh(const std::string& path, std::ostream& out) {
  return RunHeadless(out, [&](std::string& text) {
    const std::unique_ptr<Workbook> book = gis::MeshFileOpener().Open(path);
    const MeshData d = ReadMeshWorkbook(*book);
    const PlotFrameSetup frame =
        ComputePlotFrame(d.NodeX, d.NodeY, d.NodeCountX, d.NodeCountY, PanelState{});
    text += "size," + std::to_string(d.NodeCountX) + "," + std::to_string(d.NodeCountY) + "\n";
    const std::pair<const char*, double> params[] = {
        {"MembraneWeight", d.MembraneWeight},
        {"CurvatureWeight", d.CurvatureWeight},
        {"DataWeight", d.DataWeight},
        {"RelaxationFactor", d.RelaxationFactor},
        {"ConvergenceLimit", d.ConvergenceLimit},
    };
    for (const auto& [name, value] : params) {
      text += std::string("param,") + name + "," + RealText(value) + "\n";
    }
    for (std::int32_t j = 1; j <= d.NodeCountX; ++j) {
      text += "x," + std::to_string(j) + "," + RealText(d.NodeX(j)) + "\n";
    }
    for (std::int32_t i = 1; i <= d.NodeCountY; ++i) {
      text += "y," + std::to_string(i) + "," + RealText(d.NodeY(i)) + "\n";
    }
    for (std::int32_t i = 1; i <= d.NodeCountY; ++i) {
      for (std::int32_t j = 1; j <= d.NodeCountX; ++j) {
        text += "node," + std::to_string(i) + "," + std::to_string(j) + "," +
                (d.NodeBlank(i, j) == 1 ? std::string("blank") : RealText(d.NodeValue(i, j))) +
                "\n";
      }
    }
    text += "frame," + std::to_string(frame.FrameLeft) + "," + std::to_string(frame.FrameTop) +
            "," + std::to_string(frame.FrameWidth) + "," + std::to_string(frame.FrameHeight) + "\n";
  });
}

int PrintPoints(const std::string& path, std::ostream& out) {
  return RunHeadless(out, [&](std::string& text) {
    const std::unique_ptr<Workbook> book = sheet::OpenWorkbook(path);
    const PointData d = ReadPointWorkbook(*book);
    text += "count," + std::to_string(d.PointCount) + "\n";
    for (std::int32_t k = 1; k <= d.PointCount; ++k) {
      text += "point," + std::to_string(k) + "," + RealText(d.PointX(k)) + "," +
              RealText(d.PointY(k)) + "," + RealText(d.PointValue(k)) + "\n";
    }
  });
}

}  // namespace ombrix::cli
