#pragma once
// Opens a mesh source by its content: a workbook (.xls or .xlsx) through the sheet layer,
// anything else that GDAL reads as a raster as a raster mesh.

#include <memory>
#include <string>

#include "platform/workbook.h"

namespace ombrix::gis {

class MeshFileOpener : public WorkbookOpener {
 public:
  std::unique_ptr<Workbook> Open(const std::string& path) override;
};

}  // namespace ombrix::gis
