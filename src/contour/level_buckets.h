#pragma once
// Which triangles can meet each level: a triangle whose values span [min, max] is cut only at
// the levels inside that span, so each level visits its candidates alone, in index order.
// Built once per drawing; when the table would be too large, every level scans all triangles.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "contour/level_series.h"
#include "model/mesh_model.h"

namespace ombrix {

class LevelBuckets {
 public:
  // Asked every few thousand triangles, with the triangles read so far out of all the passes
  // will read; returning true stops the building and leaves the table cancelled.
  using StopCheck = std::function<bool(std::int64_t done, std::int64_t total)>;

  LevelBuckets(const MeshModel& model, const LevelSeries& series, std::int32_t interval,
               std::int64_t level_count, const StopCheck& stop = {});

  // Calls visit(t, triangle) for every triangle t that may meet level number k (0-based),
  // ascending.
  template <typename Visit>
  void ForEachCandidate(std::int64_t k, double level, Visit&& visit) const {
    if (bucketed_) {
      for (std::size_t e = offsets_[static_cast<std::size_t>(k)];
           e < offsets_[static_cast<std::size_t>(k) + 1]; ++e) {
        visit(entries_[e], triangles_->Triangles(entries_[e]));
      }
      return;
    }
    triangles_->Triangles.ForEachWanted(
        1, triangles_->TriangleCount,
        [level](double lo, double hi) { return lo <= level && level <= hi; },
        [&](std::int64_t t, const TriangleRecord& tri) {
          if (MayMeet(tri, level)) {
            visit(static_cast<std::int32_t>(t), tri);
          }
        });
  }

  // Whether level number k has no candidate at all (always false when not bucketed).
  bool Empty(std::int64_t k) const {
    return bucketed_ &&
           offsets_[static_cast<std::size_t>(k)] == offsets_[static_cast<std::size_t>(k) + 1];
  }
  bool bucketed() const { return bucketed_; }
  // Bytes the table holds, for the memory reports.
  std::size_t MemoryBytes() const {
    return offsets_.capacity() * sizeof(offsets_[0]) + entries_.capacity() * sizeof(entries_[0]);
  }
  // Whether the stop check ended the building; such a table must not be used.
  bool cancelled() const { return cancelled_; }

  // Limits of the table.
  static constexpr std::int64_t kMaxLevels = 16'000'000;
  static constexpr std::int64_t kMaxEntries = 200'000'000;
  // Triangles read between two stop checks.
  static constexpr std::int64_t kStopStride = 16384;

 private:
  // Whether the level lies within the triangle's values.
  static bool MayMeet(const TriangleRecord& t, double level);

  const MeshModel* triangles_;
  bool bucketed_ = false;
  bool cancelled_ = false;
  std::vector<std::size_t> offsets_;
  std::vector<std::int32_t> entries_;
};

}  // namespace ombrix
