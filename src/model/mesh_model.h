#pragma once
// The program-wide state every command works on: the mesh, its triangle list, the scattered
// points, the optimiser's parameters, the plot frame, the colour tables and the menu modes.
// Row index i selects NodeY(i) (row 1 at the top, largest y); column index j selects NodeX(j).

#include <cstdint>

#include "model/bounded_array.h"
#include "model/growable_list.h"
#include "model/segment_record.h"
#include "model/triangle_record.h"
#include "model/triangle_store.h"

namespace ombrix {

struct MeshModel {
  MeshModel();

  // The mesh, allocated by the mesh import.
  std::int32_t NodeCountX = 0;
  std::int32_t NodeCountY = 0;
  BoundedArray<double> NodeX{"NodeX"};                 // 0..NodeCountX+2
  BoundedArray<double> NodeY{"NodeY"};                 // 0..NodeCountY+2
  BoundedArray2<double> NodeValue{"NodeValue"};        // (-1..NodeCountY+2, -1..NodeCountX+2)
  BoundedArray2<std::int32_t> NodeBlank{"NodeBlank"};  // 1 = no value, same bounds

  // Derived extents.
  double RangeX = 0;
  double RangeY = 0;
  double DataMax = 0;
  double DataMin = 0;

  // The triangle list; entries 1..TriangleCount are in use, entry 0 is never filled.
  TriangleStore Triangles{"Triangles"};
  std::int32_t TriangleCount = 0;

  // Scattered observation points, 0..PointCount+2.
  std::int32_t PointCount = 0;
  BoundedArray<double> PointX{"PointX"};
  BoundedArray<double> PointY{"PointY"};
  BoundedArray<double> PointValue{"PointValue"};

  // Optimiser parameters read with the mesh.
  double MembraneWeight = 0;
  double CurvatureWeight = 0;
  double DataWeight = 0;
  double RelaxationFactor = 0;
  double ConvergenceLimit = 0;

  // Plot frame and background-map placement, in drawing-area pixels.
  std::int32_t FrameLeft = 0;
  std::int32_t FrameTop = 0;
  std::int32_t FrameWidth = 0;
  std::int32_t FrameHeight = 0;
  std::int32_t MapLeft = 0;
  std::int32_t MapTop = 0;
  std::int32_t MapWidth = 0;
  std::int32_t MapHeight = 0;
  std::int32_t MapLoaded = 0;

  // Colour-index tables, 0..20 each (0..17 filled by the colour scale).
  BoundedArray<std::int32_t> ColorRed{"ColorRed"};
  BoundedArray<std::int32_t> ColorGreen{"ColorGreen"};
  BoundedArray<std::int32_t> ColorBlue{"ColorBlue"};
  std::int32_t ColorCount = 0;
  double ColorStep = 0;

  // Modes chosen in the menus.
  std::int32_t ColorIndexMode = 0;
  std::int32_t InitialValueMode = 0;
  std::int32_t InfoDisplayMode = 0;

  // Working lists of the contour computation; their counts are SegmentCount, FlatCount and
  // FlatEdgeCount.
  GrowableList<SegmentRecord> Segments{"Segments"};
  GrowableList<TriangleRecord> FlatTriangles{"FlatTriangles"};
  GrowableList<TriangleRecord> FlatEdges{"FlatEdges"};
};

// Allocates the four mesh arrays anew for nx columns and ny rows, every element 0, and sets
// the counts. Error 6 when a bound leaves the 32-bit range, 9 for negative extents, 7 when
// the arrays cannot be held in memory. On error the model is unchanged.
void AllocateMesh(MeshModel& model, std::int32_t nx, std::int32_t ny);

// The triangle list's upper bound for the current mesh, 4*nx*ny+10; error 6 when it overflows.
std::int32_t TriangleListUpper(const MeshModel& model);

// Sizes the triangle list for the current mesh (0..4*nx*ny+10) with every entry empty and
// TriangleCount 0, and gives it a copy of the mesh its cell triangles are read from.
void ResetTriangles(MeshModel& model);

// Appends one triangle: TriangleCount grows by 1 and that entry is filled.
void AppendTriangle(MeshModel& model, const TriangleRecord& triangle);

// Appends triangle `side` of cell (i, j) as the list keeps it compactly: its centre value is
// the sum of the cell's corner values divided by `divisor` (4 for a cell with every value, 3
// or 2 for one with blank corners).
void AppendCellTriangle(MeshModel& model, std::int32_t i, std::int32_t j, std::int32_t side,
                        std::int32_t divisor);

}  // namespace ombrix
