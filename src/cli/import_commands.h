#pragma once
// `ombrix mesh` and `ombrix points`: what an import reads, one fact a line.

#include <ostream>
#include <string>

#include "cli/run_guard.h"

namespace ombrix::cli {

int PrintMesh(const std::string& path, std::ostream& out);
int PrintPoints(const std::string& path, std::ostream& out);

}  // namespace ombrix::cli
