#pragma once
// The triangle list in compact form. A triangle of a cell is kept as its cell, its side, how
// its centre value is averaged and its three flags (8 bytes); its coordinates and values are
// worked out when it is read, from a copy of the mesh taken when the list was sized, with the
// same arithmetic that made them. A divided list keeps no triangles at all: a part is worked
// out from the triangle it came from and the position of the part in its block. Triangles of
// any other shape (and parts whose flags were changed) are kept whole beside them. Reading
// entry k gives exactly the record a list of whole records would hold there.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/triangle_record.h"

namespace ombrix {

// A vertex as a division pass sees it.
struct DivisionPoint {
  double y = 0, x = 0, z = 0;
  std::int32_t flag = 0;
};

inline DivisionPoint DivisionVertex(const TriangleRecord& t, std::size_t v) {
  return {t.Y[v], t.X[v], t.Z[v], t.Flags[v]};
}

// The midpoint of a side, as DivisionPart makes it.
inline DivisionPoint DivisionMidpoint(const DivisionPoint& a, const DivisionPoint& b) {
  return {(a.y + b.y) / 2, (a.x + b.x) / 2, (a.z + b.z) / 2,
          static_cast<std::int32_t>((std::int64_t{a.flag} + b.flag) / 2)};
}

class TriangleStore {
 public:
  explicit TriangleStore(std::string name) : name_(std::move(name)) {}

  // Sizes the list as lower..upper with every entry empty, and forgets the mesh copy.
  void Allocate(std::int64_t lower, std::int64_t upper);
  // Sizes the list and copies the mesh its cell triangles are read from: node rows 1..ny
  // (y(i)), columns 1..nx (x(j)) and values z(i, j) given row by row.
  void AllocateForMesh(std::int64_t upper, std::vector<double> y, std::vector<double> x,
                       std::vector<double> z);

  bool allocated() const { return allocated_; }
  std::int32_t lower() const;
  std::int32_t upper() const;

  // Entry k as a whole record; error 9 outside the bounds.
  TriangleRecord operator()(std::int64_t k) const;

  // Writes entry k whole.
  void Set(std::int64_t k, const TriangleRecord& triangle);
  // Writes the flags of entry k.
  void SetFlags(std::int64_t k, const std::array<std::int32_t, 4>& flags);
  // Writes entry k as triangle `side` (1..4) of cell (i, j), its centre value the sum of the
  // cell's four corner values divided by `divisor` (2, 3 or 4), flags 0. The cell must lie in
  // the copied mesh.
  void SetCellTriangle(std::int64_t k, std::int32_t i, std::int32_t j, std::int32_t side,
                       std::int32_t divisor);

  // Whether the mesh copy holds cell (i, j) with exactly these values: y(i), y(i+1), x(j),
  // x(j+1), then z at (i, j), (i, j+1), (i+1, j), (i+1, j+1).
  bool HoldsCell(std::int32_t i, std::int32_t j, const std::array<double, 8>& values) const;

  // Cuts entries 1..count into 4^passes parts each, as the mesh division describes; the bound
  // becomes count * 4^passes + 2 (the caller has checked that it fits 32 bits). Entries past
  // the parts keep what they held, as far as the new bound reaches.
  void Divide(std::int32_t count, std::int32_t passes);

  // Calls visit(k, record) for k = first..last ascending; faster than reading one by one.
  template <typename Visit>
  void ForEach(std::int64_t first, std::int64_t last, Visit&& visit) const {
    Walk(
        first, last, [](double, double) { return true; }, visit);
  }
  // ForEach for a caller that only wants triangles with some value in a range: the parts of a
  // divided triangle are passed over together when wanted(least, greatest) is false for the
  // values of the triangle they come from. A part's values lie between those (midpoints of
  // finite values below 1e300 in size neither overflow nor leave the side), so nothing is
  // passed over that wanted would have taken; other triangles are all visited.
  template <typename Wanted, typename Visit>
  void ForEachWanted(std::int64_t first, std::int64_t last, Wanted&& wanted, Visit&& visit) const {
    Walk(first, last, wanted, visit);
  }

  // Bytes the list holds, for the memory reports.
  std::size_t MemoryBytes() const;

 private:
  // One entry of the undivided list.
  struct Entry {
    std::uint32_t ref = 0;   // cell index (row-major from cell (1, 1)) or whole-record index
    std::uint8_t side = 0;   // 1..4
    std::uint8_t kind = 0;   // kEmpty, kWhole, or the centre divisor 2, 3, 4
    std::uint8_t flags = 0;  // two bits a vertex: 0, 1 or 2 for -1
    std::uint8_t unused = 0;
  };
  static constexpr std::uint8_t kEmpty = 0;
  static constexpr std::uint8_t kWhole = 1;

  // A division: entries 1..parents * 4^passes are parts; up to upper_before the entries are
  // those of the list below; overrides hold parts written since.
  struct Layer {
    std::int32_t parents = 0;
    std::int32_t passes = 0;
    std::int32_t upper_before = 0;
    std::map<std::int64_t, std::uint32_t> overrides;  // entry -> whole-record index
  };

  // What the triangles of one cell are made of, read from the mesh copy.
  struct CellValues {
    std::int32_t i = 0, j = 0;
    double y[2] = {}, x[2] = {}, z[2][2] = {};
    double centre_y = 0, centre_x = 0, sum = 0;
  };
  CellValues LoadCell(std::uint32_t ref) const;
  // Writes vertices 1..3, cell, side and flags of the cell triangle `e` into t.
  static void FillCellTriangle(TriangleRecord& t, const CellValues& c, const Entry& e);

  void CheckIndex(std::int64_t k) const;
  TriangleRecord Resolve(std::size_t layer, std::int64_t k) const;
  TriangleRecord FromEntry(const Entry& e) const;
  Entry* EntryFor(std::int64_t k);
  std::uint32_t StoreWhole(const TriangleRecord& t);
  template <typename Wanted, typename Visit>
  void Walk(std::int64_t first, std::int64_t last, const Wanted& wanted, Visit& visit) const;
  template <typename Visit>
  static void EmitParts(const TriangleRecord& t, std::int32_t passes, std::int64_t first,
                        Visit& visit);
  template <typename Visit>
  static void EmitPoints(const DivisionPoint& p1, const DivisionPoint& p2, const DivisionPoint& p3,
                         std::int32_t passes, std::int64_t first, TriangleRecord& part,
                         Visit& visit);

  std::string name_;
  bool allocated_ = false;
  std::int32_t lower_ = 0;
  std::int32_t upper_ = -1;
  std::vector<Entry> entries_;  // by k - lower_, only as far as written
  std::vector<TriangleRecord> whole_;
  std::vector<Layer> layers_;
  // The mesh copy.
  std::int32_t nx_ = 0;
  std::int32_t ny_ = 0;
  std::vector<double> y_, x_, z_;
};

// The part of `t` numbered `digit` (0..3) by one division pass: (P1, M12, M13), (P2, M12, M23),
// (P3, M13, M23), (M12, M23, M13); a midpoint takes the means of the side's coordinates and
// values and the integer mean of its flags truncated toward zero; every other field is 0.
TriangleRecord DivisionPart(const TriangleRecord& t, std::int32_t digit);

template <typename Visit>
void TriangleStore::EmitParts(const TriangleRecord& t, std::int32_t passes, std::int64_t first,
                              Visit& visit) {
  if (passes == 0) {
    visit(first, t);
    return;
  }
  // Only the vertices change from part to part; every other field stays 0.
  TriangleRecord part;
  EmitPoints(DivisionVertex(t, 1), DivisionVertex(t, 2), DivisionVertex(t, 3), passes, first, part,
             visit);
}

// The parts of triangle p1 p2 p3 in the order repeated DivisionPart numbers them; each
// midpoint is worked out once for the four parts that share it.
template <typename Visit>
void TriangleStore::EmitPoints(const DivisionPoint& p1, const DivisionPoint& p2,
                               const DivisionPoint& p3, std::int32_t passes, std::int64_t first,
                               TriangleRecord& part, Visit& visit) {
  if (passes == 0) {
    const DivisionPoint* const points[3] = {&p1, &p2, &p3};
    for (std::size_t v = 1; v <= 3; ++v) {
      part.Y[v] = points[v - 1]->y;
      part.X[v] = points[v - 1]->x;
      part.Z[v] = points[v - 1]->z;
      part.Flags[v] = points[v - 1]->flag;
    }
    visit(first, static_cast<const TriangleRecord&>(part));
    return;
  }
  const DivisionPoint m12 = DivisionMidpoint(p1, p2);
  const DivisionPoint m13 = DivisionMidpoint(p1, p3);
  const DivisionPoint m23 = DivisionMidpoint(p2, p3);
  const std::int64_t block = std::int64_t{1} << (2 * (passes - 1));
  EmitPoints(p1, m12, m13, passes - 1, first, part, visit);
  EmitPoints(p2, m12, m23, passes - 1, first + block, part, visit);
  EmitPoints(p3, m13, m23, passes - 1, first + 2 * block, part, visit);
  EmitPoints(m12, m23, m13, passes - 1, first + 3 * block, part, visit);
}

// Whether a block of parts of `t` can be passed over: its values are safe to bound and
// wanted() has no use for them.
template <typename Wanted>
bool PartsUnwanted(const TriangleRecord& t, const Wanted& wanted) {
  constexpr double kSafe = 1e300;
  const double a = t.Z[1], b = t.Z[2], c = t.Z[3];
  // False for NaN too.
  if (!(std::abs(a) <= kSafe && std::abs(b) <= kSafe && std::abs(c) <= kSafe)) {
    return false;
  }
  return !wanted(std::min({a, b, c}), std::max({a, b, c}));
}

template <typename Wanted, typename Visit>
void TriangleStore::Walk(std::int64_t first, std::int64_t last, const Wanted& wanted,
                         Visit& visit) const {
  if (first > last) {
    return;
  }
  CheckIndex(first);
  CheckIndex(last);
  if (layers_.empty()) {
    // Neighbouring entries share their cell: it is read once for all its triangles.
    TriangleRecord t;
    CellValues cell;
    std::uint32_t cell_ref = 0;
    bool have_cell = false;
    for (std::int64_t k = first; k <= last; ++k) {
      const std::size_t index = static_cast<std::size_t>(k - lower_);
      if (index >= entries_.size() || entries_[index].kind <= kWhole) {
        visit(k, Resolve(0, k));
        continue;
      }
      const Entry& e = entries_[index];
      if (!have_cell || e.ref != cell_ref) {
        cell = LoadCell(e.ref);
        cell_ref = e.ref;
        have_cell = true;
      }
      FillCellTriangle(t, cell, e);
      visit(k, static_cast<const TriangleRecord&>(t));
    }
    return;
  }
  if (!layers_.back().overrides.empty() || layers_.back().passes == 0) {
    for (std::int64_t k = first; k <= last; ++k) {
      visit(k, Resolve(layers_.size(), k));
    }
    return;
  }
  // Parts of one triangle are made together, each midpoint once.
  const Layer& top = layers_.back();
  const std::int32_t shift = 2 * top.passes;
  const std::int64_t parts_end = std::int64_t{top.parents} << shift;
  std::int64_t k = first;
  while (k <= last && k <= parts_end && k >= 1) {
    const std::int64_t parent = ((k - 1) >> shift) + 1;
    const std::int64_t block_first = ((parent - 1) << shift) + 1;
    const std::int64_t block_last = parent << shift;
    if (k != block_first || block_last > last) {
      visit(k, Resolve(layers_.size(), k));
      ++k;
      continue;
    }
    const TriangleRecord whole = Resolve(layers_.size() - 1, parent);
    if (!PartsUnwanted(whole, wanted)) {
      EmitParts(whole, top.passes, block_first, visit);
    }
    k = block_last + 1;
  }
  for (; k <= last; ++k) {
    visit(k, Resolve(layers_.size(), k));
  }
}

}  // namespace ombrix
