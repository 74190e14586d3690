#pragma once
// Owning handles for GDAL/OGR objects, the one-time driver registration, and GDAL's last
// error message for our own descriptions (GDAL itself prints nothing while one is in scope).

#include <memory>
#include <string>

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

namespace ombrix::gis {

struct DatasetCloser {
  void operator()(void* dataset) const { GDALClose(static_cast<GDALDatasetH>(dataset)); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

struct FeatureDestroyer {
  void operator()(void* feature) const { OGR_F_Destroy(static_cast<OGRFeatureH>(feature)); }
};
using Feature = std::unique_ptr<void, FeatureDestroyer>;

struct GeometryDestroyer {
  void operator()(void* geometry) const {
    OGR_G_DestroyGeometry(static_cast<OGRGeometryH>(geometry));
  }
};
using Geometry = std::unique_ptr<void, GeometryDestroyer>;

struct SrsReleaser {
  void operator()(void* srs) const { OSRRelease(static_cast<OGRSpatialReferenceH>(srs)); }
};
using SpatialReference = std::unique_ptr<void, SrsReleaser>;

// Registers GDAL's drivers once per process.
void EnsureGdal();

// Keeps GDAL's messages off the terminal while it lives; they are read with LastGdalError().
class QuietGdal {
 public:
  QuietGdal();
  ~QuietGdal();
  QuietGdal(const QuietGdal&) = delete;
  QuietGdal& operator=(const QuietGdal&) = delete;
};

// GDAL's last error message, or "" when it has none.
std::string LastGdalError();

}  // namespace ombrix::gis
