#pragma once
// The triangle list in compact form. A triangle of a cell is kept as its cell, its side, how
// its centre value is averaged and its three flags (8 bytes); its coordinates and values are
// worked out when it is read, from a copy of the mesh taken when the list was sized, with the
// same arithmetic that made them. A divided list keeps no triangles at all: a part is worked
// out from the triangle it came from and the position of the part in its block. Triangles of
// any other shape (and parts whose flags were changed) are kept whole beside them. Reading
// entry k gives exactly the record a list of whole records would hold there.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/triangle_record.h"

namespace ombrix {

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
  void ForEach(std::int64_t first, std::int64_t last, Visit&& visit) const;

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

  void CheckIndex(std::int64_t k) const;
  TriangleRecord Resolve(std::size_t layer, std::int64_t k) const;
  TriangleRecord FromEntry(const Entry& e) const;
  Entry* EntryFor(std::int64_t k);
  std::uint32_t StoreWhole(const TriangleRecord& t);
  template <typename Visit>
  static void EmitParts(const TriangleRecord& t, std::int32_t passes, std::int64_t first,
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
  const std::int64_t block = std::int64_t{1} << (2 * (passes - 1));
  for (std::int32_t digit = 0; digit < 4; ++digit) {
    EmitParts(DivisionPart(t, digit), passes - 1, first + digit * block, visit);
  }
}

template <typename Visit>
void TriangleStore::ForEach(std::int64_t first, std::int64_t last, Visit&& visit) const {
  if (first > last) {
    return;
  }
  CheckIndex(first);
  CheckIndex(last);
  if (layers_.empty() || !layers_.back().overrides.empty() || layers_.back().passes == 0) {
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
    EmitParts(Resolve(layers_.size() - 1, parent), top.passes, block_first, visit);
    k = block_last + 1;
  }
  for (; k <= last; ++k) {
    visit(k, Resolve(layers_.size(), k));
  }
}

}  // namespace ombrix
