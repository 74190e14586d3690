#include "contour/level_buckets.h"

#include <algorithm>
#include <cmath>

namespace ombrix {
namespace {

struct LevelSpan {
  std::int64_t first = 0;  // inclusive level numbers
  std::int64_t last = -1;
};

// The level numbers k in [0, count) with lo <= first + k * interval <= hi, exactly.
LevelSpan SpanOf(double lo, double hi, std::int64_t first, std::int64_t interval,
                 std::int64_t count) {
  LevelSpan span;
  if (std::isnan(lo) || std::isnan(hi) || count <= 0 || interval == 0) {
    return span;
  }
  if (interval == 1) {
    // Whole-number levels one apart: lo <= L <= hi exactly when ceil(lo) <= L <= floor(hi).
    const double from = std::max(std::ceil(lo) - static_cast<double>(first), 0.0);
    const double to =
        std::min(std::floor(hi) - static_cast<double>(first), static_cast<double>(count - 1));
    if (from <= to) {
      span.first = static_cast<std::int64_t>(from);
      span.last = static_cast<std::int64_t>(to);
    }
    return span;
  }
  const auto level = [&](std::int64_t k) { return static_cast<double>(first + k * interval); };
  const auto inside = [&](std::int64_t k) { return lo <= level(k) && level(k) <= hi; };
  const double ka = (lo - static_cast<double>(first)) / static_cast<double>(interval);
  const double kb = (hi - static_cast<double>(first)) / static_cast<double>(interval);
  const double from = std::max(std::ceil(std::min(ka, kb)) - 1, 0.0);
  const double to = std::min(std::floor(std::max(ka, kb)) + 1, static_cast<double>(count - 1));
  if (!(from <= to)) {
    return span;
  }
  std::int64_t a = static_cast<std::int64_t>(from);
  std::int64_t b = static_cast<std::int64_t>(to);
  // The estimate is within one step; settle it with the exact test.
  while (a <= b && !inside(a))
    ++a;
  while (b >= a && !inside(b))
    --b;
  span.first = a;
  span.last = b;
  return span;
}

}  // namespace

bool LevelBuckets::MayMeet(const TriangleRecord& t, double level) {
  return std::min({t.Z[1], t.Z[2], t.Z[3]}) <= level && level <= std::max({t.Z[1], t.Z[2], t.Z[3]});
}

LevelBuckets::LevelBuckets(const MeshModel& m, const LevelSeries& series, std::int32_t interval,
                           std::int64_t level_count, const StopCheck& stop)
    : triangles_(&m) {
  if (level_count <= 0 || level_count > kMaxLevels) {
    return;
  }
  const std::int32_t n = m.TriangleCount;
  // The levels a triangle can meet. A NaN value makes every edge test false: such a triangle
  // never meets a level.
  const auto span_of = [&](const TriangleRecord& tri) {
    if (std::isnan(tri.Z[1]) || std::isnan(tri.Z[2]) || std::isnan(tri.Z[3])) {
      return LevelSpan{};
    }
    return SpanOf(std::min({tri.Z[1], tri.Z[2], tri.Z[3]}),
                  std::max({tri.Z[1], tri.Z[2], tri.Z[3]}), series.FirstLevel, interval,
                  level_count);
  };
  // Parts of a divided triangle that meets no level meet none either: they are not read.
  const auto meets_a_level = [&](double lo, double hi) {
    const LevelSpan s = SpanOf(lo, hi, series.FirstLevel, interval, level_count);
    return s.first <= s.last;
  };
  // Reads the list in strides with a stop check before each; false once stopped.
  const auto walk = [&](std::int64_t pass, const auto& visit) {
    for (std::int64_t from = 1; from <= n; from += kStopStride) {
      if (stop && stop(pass * n + from - 1, 2 * std::int64_t{n})) {
        cancelled_ = true;
        offsets_ = {};
        entries_ = {};
        return false;
      }
      m.Triangles.ForEachWanted(from, std::min<std::int64_t>(from + kStopStride - 1, n),
                                meets_a_level, visit);
    }
    return true;
  };
  // Two passes over the list, counting then filling, so the table needs no per-triangle store.
  offsets_.assign(static_cast<std::size_t>(level_count) + 1, 0);
  std::int64_t total = 0;
  bool too_many = false;
  const bool counted = walk(0, [&](std::int64_t, const TriangleRecord& tri) {
    const LevelSpan s = span_of(tri);
    total += s.last - s.first + 1;
    too_many = too_many || total > kMaxEntries;
    for (std::int64_t k = s.first; !too_many && k <= s.last; ++k) {
      ++offsets_[static_cast<std::size_t>(k) + 1];
    }
  });
  if (!counted) {
    return;
  }
  if (too_many) {
    offsets_ = {};
    return;
  }
  for (std::size_t k = 1; k < offsets_.size(); ++k) {
    offsets_[k] += offsets_[k - 1];
  }
  entries_.resize(static_cast<std::size_t>(total));
  std::vector<std::size_t> fill(offsets_.begin(), offsets_.end() - 1);
  // Ascending, so every bucket stays in index order.
  bucketed_ = walk(1, [&](std::int64_t t, const TriangleRecord& tri) {
    const LevelSpan s = span_of(tri);
    for (std::int64_t k = s.first; k <= s.last; ++k) {
      entries_[fill[static_cast<std::size_t>(k)]++] = static_cast<std::int32_t>(t);
    }
  });
}

}  // namespace ombrix
