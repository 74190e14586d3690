#pragma once
// `ombrix mesh` and `ombrix points`: what an import reads, one fact a line.

#include <ostream>
#include <string>

namespace ombrix::cli {

// Exit statuses of the command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitRunError = 3;

int PrintMesh(const std::string& path, std::ostream& out);
int PrintPoints(const std::string& path, std::ostream& out);

}  // namespace ombrix::cli
