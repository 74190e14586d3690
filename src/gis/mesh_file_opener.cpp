#include "gis/mesh_file_opener.h"

#include <array>
#include <fstream>

#include "gis/raster_mesh.h"
#include "model/run_error.h"
#include "sheet/open_workbook.h"

namespace ombrix::gis {
namespace {

// Whether the file starts like a workbook: an OLE2 compound file or a ZIP archive. A file that
// cannot be read counts as one, so the workbook layer reports why.
bool LooksLikeWorkbook(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<unsigned char, 4> head{};
  if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) {
    return true;
  }
  const bool ole2 = head == std::array<unsigned char, 4>{0xD0, 0xCF, 0x11, 0xE0};
  const bool zip = head == std::array<unsigned char, 4>{'P', 'K', 3, 4};
  return ole2 || zip;
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
