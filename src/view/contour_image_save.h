#pragma once
// The menu item "コンター画像": the drawing area saved as a Windows bitmap, named by the user,
// in the folder of the mesh workbook loaded last.

#include <string>

#include "platform/command_context.h"

namespace ombrix {

// The folder of the mesh workbook, ending in a separator so that a name can follow it
// directly; empty when no workbook was loaded or its path names no folder (the current
// folder is meant then). Paths are taken apart by the platform's own rules, so a folder
// whose name equals the workbook's ("mesh.xls/mesh.xls") is still the folder holding it.
std::string ContourImageFolder(const std::string& mesh_file_name);

// Where the image goes: the folder, the name as typed, and ".BMP", joined as they stand.
std::string ContourImagePath(const std::string& mesh_file_name, const std::string& name);

// Asks for a name (empty: nothing is saved, nothing is said) and saves the drawing area's
// picture under ContourImagePath. A failure is an error report closing with the
// writing-aborted line; the picture file is then not there at all.
void SaveContour_Click(CommandContext& ctx);

}  // namespace ombrix
