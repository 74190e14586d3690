#pragma once
// The data range of the valued nodes and the whole-number contour levels drawn through it.

#include <cstdint>

#include "model/mesh_model.h"

namespace ombrix {

struct DataRange {
  double min = 0;
  double max = 0;
};

// Over the valued nodes, rows then columns; both 0 when no node has a value.
DataRange FindDataRange(const MeshModel& model);

struct LevelSeries {
  std::int32_t FirstLevel = 0;
  std::int32_t TopLevel = 0;
  std::int32_t LabelUnit = 5;
};

// First level above the minimum (moved up to a multiple of the interval when the interval is
// above 1), top level at the maximum's integer part, and the label unit from the maximum's
// digit count. Error 6 when a level or the label divisor leaves the 32-bit range.
LevelSeries ChooseLevels(const DataRange& range, std::int32_t interval);

// The levels the loop visits: FirstLevel, FirstLevel + interval, ... while L <= TopLevel for a
// positive interval and L >= TopLevel for a negative one. 0 for an interval of 0.
std::int64_t LevelCount(const LevelSeries& series, std::int32_t interval);

}  // namespace ombrix
