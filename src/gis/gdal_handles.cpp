#include "gis/gdal_handles.h"

#include <mutex>

#include <cpl_error.h>

namespace ombrix::gis {

void EnsureGdal() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

QuietGdal::QuietGdal() {
  CPLPushErrorHandler(CPLQuietErrorHandler);
  CPLErrorReset();
}

QuietGdal::~QuietGdal() {
  CPLPopErrorHandler();
}

std::string LastGdalError() {
  const char* message = CPLGetLastErrorMsg();
  return message == nullptr ? std::string() : std::string(message);
}

}  // namespace ombrix::gis
