#pragma once
// A command never writes over one of its own inputs, nor writes two outputs into one file.
// Files are compared by identity (device and inode, through links), not by name.

#include <string>
#include <vector>

namespace ombrix::cli {

// Error 75 naming both files when an output is an input or another output.
void RefuseOverwritingInputs(const std::vector<std::string>& outputs,
                             const std::vector<std::string>& inputs);

}  // namespace ombrix::cli
