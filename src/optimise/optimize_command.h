#pragma once
// The menu command "メッシュ最適化": fits the mesh to the scattered points after a Yes, and on
// a second Yes writes the fitted values (and the marks of the cells holding points) into the
// mesh workbook. The map is not redrawn.

#include <string_view>

#include "platform/command_context.h"

namespace ombrix {

inline constexpr std::string_view kOptimizeTitle = "メッシュ最適化";
inline constexpr std::string_view kOptimizeQuestion = "メッシュ最適化しますか？";
inline constexpr std::string_view kOptimizeFinished = "メッシュ最適化計算終了";
inline constexpr std::string_view kWriteBackQuestion = "メッシュに最適化データを書き込みますか？";
inline constexpr std::string_view kOptimizeCancelled =
    "メッシュ最適化を中止しました。メッシュは変更していません。";

// A failed fit ends in the error report that aborts the program (the program goes on, the mesh
// unchanged); a failed write-back in the one that aborts the loading, the workbook unchanged.
// Esc during the sweeps cancels the fit.
void MeshOptimizing_Click(CommandContext& ctx);

// Writes the model's node values and marks into the workbook of the last mesh import.
void WriteOptimizedMesh(CommandContext& ctx);

}  // namespace ombrix
