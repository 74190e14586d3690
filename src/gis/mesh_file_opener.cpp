#include "gis/mesh_file_opener.h"

#include <array>
#include <fstream>

#include "gis/raster_mesh.h"
#include "model/run_error.h"
#include "sheet/open_workbook.h"
#include "sheet/workbook_format.h"

namespace ombrix::gis {
namespace {

// Whether the file starts like a workbook (see StartsLikeWorkbook): then its errors are the
// workbook's own. A file that cannot be read counts as one, so the workbook layer reports why.
bool LooksLikeWorkbook(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<std::uint8_t, sheet::kWorkbookHeadSize> head{};
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  const auto got = static_cast<std::size_t>(in.gcount());
  return got < 4 || sheet::StartsLikeWorkbook(std::span(head).first(got));
}

}  // namespace

std::unique_ptr<Workbook> MeshFileOpener::Open(const std::string& path) {
  const bool workbook = LooksLikeWorkbook(path);
  if (workbook || !IsRaster(path)) {
    try {
      return sheet::OpenWorkbook(path);
    } catch (const RunError& e) {
      // A file that starts like a workbook was never offered to GDAL: its refusal is the
      // workbook's alone.
      if (e.number() != err::kBadFileFormat || workbook) {
        throw;
      }
      throw RunError(e.number(), std::string(e.what()) + " (GDAL の読めるラスターでもありません)");
    }
  }
  return OpenRasterMesh(path);
}

}  // namespace ombrix::gis
