#pragma once
// The scattered-point import: the count in A3, point k in row k + 2 with x in column C, y in D
// and the value in E.

#include <cstdint>

#include "model/bounded_array.h"
#include "model/mesh_model.h"
#include "platform/command_context.h"
#include "platform/workbook.h"

namespace ombrix {

// Most points a sheet can hold: one a row from row 3 to the last row of a sheet.
inline constexpr std::int32_t kMaxPoints = 1'048'576 - 2;

struct PointData {
  std::int32_t PointCount = 0;
  BoundedArray<double> PointX{"PointX"};
  BoundedArray<double> PointY{"PointY"};
  BoundedArray<double> PointValue{"PointValue"};
};

PointData ReadPointWorkbook(const Workbook& book);
void CommitPoints(MeshModel& model, PointData&& data);

// The menu command. Nothing is drawn; a cancelled dialog or a failed import changes nothing.
void RandomDataLoad_Click(CommandContext& ctx);

}  // namespace ombrix
