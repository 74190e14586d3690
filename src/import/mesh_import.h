#pragma once
// The mesh workbook import: counts in F3 (columns) and D5 (rows), the optimiser's parameters
// in B13, B14, B15, B19, B20, x coordinates along row 4 from G4, y coordinates down column E
// from E6, node values in the block from G6 (an empty cell is a blank node).

#include <array>
#include <cstdint>

#include "model/bounded_array.h"
#include "model/mesh_model.h"
#include "platform/command_context.h"
#include "platform/workbook.h"

namespace ombrix {

// Largest mesh the import accepts, in nodes.
inline constexpr std::int64_t kMaxMeshNodes = 25'000'000;
// Most nodes along one axis: the whole limit over the fewest nodes the other axis can have.
inline constexpr std::int64_t kMaxMeshAxisNodes = kMaxMeshNodes / 2;

// What a mesh workbook holds, read into fresh arrays with the model's bounds.
struct MeshData {
  std::int32_t NodeCountX = 0;
  std::int32_t NodeCountY = 0;
  double MembraneWeight = 0;
  double CurvatureWeight = 0;
  double DataWeight = 0;
  double RelaxationFactor = 0;
  double ConvergenceLimit = 0;
  BoundedArray<double> NodeX{"NodeX"};
  BoundedArray<double> NodeY{"NodeY"};
  BoundedArray2<double> NodeValue{"NodeValue"};
  BoundedArray2<std::int32_t> NodeBlank{"NodeBlank"};
};

// A node block of at least this many nodes is read in two halves on two threads.
inline constexpr std::int64_t kNodesToShare = 100'000;

// Reads the mesh; errors name the cell. Counts are checked before anything is allocated, and
// the coordinates before the node block is.
MeshData ReadMeshWorkbook(const Workbook& book, std::int64_t nodes_to_share = kNodesToShare);

// Replaces the model's mesh and parameters with `data`.
void CommitMesh(MeshModel& model, MeshData&& data);

// Opens and reads the mesh workbook at `path`; touches neither the model nor any window, so it
// may run beside the window.
MeshData ReadMeshFile(WorkbookOpener& workbooks, const std::string& path);

// Only when the plot frame of `data` computes: replaces the mesh, sizes the frame and the
// windows and draws the empty frame. Throws RunError and then changes nothing.
void ShowImportedMesh(CommandContext& ctx, const std::string& path, MeshData&& data);

// ReadMeshFile, then ShowImportedMesh.
void ImportMesh(CommandContext& ctx, const std::string& path);

// The menu command: file dialog, then the import, its reading beside the window (the status
// line counts the seconds; Esc stops it and keeps the old mesh); a cancelled dialog changes
// nothing and a failure ends in the error report.
void MeshDataLoad_Click(CommandContext& ctx);

}  // namespace ombrix
