#include "model/triangle_store.h"

#include <cstring>
#include <new>

#include "model/bounded_array.h"

namespace ombrix {
namespace {

// Flag values a cell entry keeps in two bits; anything else makes the entry a whole record.
bool PackFlags(const std::array<std::int32_t, 4>& flags, std::uint8_t& packed) {
  if (flags[0] != 0) {
    return false;
  }
  std::uint8_t bits = 0;
  for (std::size_t v = 1; v <= 3; ++v) {
    std::uint8_t code = 0;
    if (flags[v] == 1) {
      code = 1;
    } else if (flags[v] == -1) {
      code = 2;
    } else if (flags[v] != 0) {
      return false;
    }
    bits = static_cast<std::uint8_t>(bits | (code << (2 * (v - 1))));
  }
  packed = bits;
  return true;
}

std::int32_t UnpackFlag(std::uint8_t packed, std::size_t v) {
  constexpr std::int32_t kValue[4] = {0, 1, -1, 0};
  return kValue[(packed >> (2 * (v - 1))) & 3];
}

TriangleRecord Piece(const DivisionPoint& p1, const DivisionPoint& p2, const DivisionPoint& p3) {
  TriangleRecord t;
  const DivisionPoint* const points[3] = {&p1, &p2, &p3};
  for (std::size_t v = 1; v <= 3; ++v) {
    t.Y[v] = points[v - 1]->y;
    t.X[v] = points[v - 1]->x;
    t.Z[v] = points[v - 1]->z;
    t.Flags[v] = points[v - 1]->flag;
  }
  return t;
}

}  // namespace

TriangleRecord DivisionPart(const TriangleRecord& t, std::int32_t digit) {
  const DivisionPoint p1 = DivisionVertex(t, 1);
  const DivisionPoint p2 = DivisionVertex(t, 2);
  const DivisionPoint p3 = DivisionVertex(t, 3);
  switch (digit) {
    case 0:
      return Piece(p1, DivisionMidpoint(p1, p2), DivisionMidpoint(p1, p3));
    case 1:
      return Piece(p2, DivisionMidpoint(p1, p2), DivisionMidpoint(p2, p3));
    case 2:
      return Piece(p3, DivisionMidpoint(p1, p3), DivisionMidpoint(p2, p3));
    default:
      return Piece(DivisionMidpoint(p1, p2), DivisionMidpoint(p2, p3), DivisionMidpoint(p1, p3));
  }
}

void TriangleStore::Allocate(std::int64_t lower, std::int64_t upper) {
  bounds::ExtentOf(name_, lower, upper);
  entries_ = {};
  whole_ = {};
  layers_ = {};
  nx_ = ny_ = 0;
  y_ = {};
  x_ = {};
  z_ = {};
  lower_ = static_cast<std::int32_t>(lower);
  upper_ = static_cast<std::int32_t>(upper);
  allocated_ = true;
}

void TriangleStore::AllocateForMesh(std::int64_t upper, std::vector<double> y,
                                    std::vector<double> x, std::vector<double> z) {
  Allocate(0, upper);
  ny_ = static_cast<std::int32_t>(y.size());
  nx_ = static_cast<std::int32_t>(x.size());
  // Stored from index 1, as the mesh counts its rows and columns.
  y.insert(y.begin(), 0.0);
  x.insert(x.begin(), 0.0);
  y_ = std::move(y);
  x_ = std::move(x);
  z_ = std::move(z);
  if (nx_ > 1 && ny_ > 1) {
    const std::size_t most =
        std::size_t{4} * static_cast<std::size_t>(nx_ - 1) * static_cast<std::size_t>(ny_ - 1) + 1;
    bounds::CheckAllocation(name_, most, sizeof(Entry));
    try {
      entries_.reserve(most);
    } catch (const std::bad_alloc&) {
      bounds::ThrowOutOfMemory(name_, most * sizeof(Entry));
    }
  }
}

std::int32_t TriangleStore::lower() const {
  if (!allocated_) {
    bounds::ThrowUnallocated(name_);
  }
  return lower_;
}

std::int32_t TriangleStore::upper() const {
  if (!allocated_) {
    bounds::ThrowUnallocated(name_);
  }
  return upper_;
}

void TriangleStore::CheckIndex(std::int64_t k) const {
  if (!allocated_) {
    bounds::ThrowUnallocated(name_);
  }
  if (k < lower_ || k > upper_) {
    bounds::ThrowOutOfRange(name_, k, lower_, upper_);
  }
}

TriangleRecord TriangleStore::operator()(std::int64_t k) const {
  CheckIndex(k);
  return Resolve(layers_.size(), k);
}

TriangleStore::CellValues TriangleStore::LoadCell(std::uint32_t ref) const {
  const std::uint32_t cols = static_cast<std::uint32_t>(nx_ - 1);
  CellValues c;
  c.i = static_cast<std::int32_t>(ref / cols) + 1;
  c.j = static_cast<std::int32_t>(ref % cols) + 1;
  const std::size_t i = static_cast<std::size_t>(c.i);
  const std::size_t j = static_cast<std::size_t>(c.j);
  const std::size_t row = (i - 1) * static_cast<std::size_t>(nx_) + (j - 1);
  const std::size_t below = row + static_cast<std::size_t>(nx_);
  c.y[0] = y_[i];
  c.y[1] = y_[i + 1];
  c.x[0] = x_[j];
  c.x[1] = x_[j + 1];
  c.z[0][0] = z_[row];
  c.z[0][1] = z_[row + 1];
  c.z[1][0] = z_[below];
  c.z[1][1] = z_[below + 1];
  c.centre_y = (c.y[0] + c.y[1]) / 2;
  c.centre_x = (c.x[0] + c.x[1]) / 2;
  // The corners summed in row order, as the list has always averaged them.
  c.sum = c.z[0][0] + c.z[0][1] + c.z[1][0] + c.z[1][1];
  return c;
}

void TriangleStore::FillCellTriangle(TriangleRecord& t, const CellValues& c, const Entry& e) {
  const SideCorners& corners = kSideCorners[e.side];
  const CornerOffset ends[2] = {corners.vertex1, corners.vertex2};
  for (std::size_t v = 0; v < 2; ++v) {
    const std::size_t r = static_cast<std::size_t>(ends[v].row);
    const std::size_t q = static_cast<std::size_t>(ends[v].col);
    t.Y[v + 1] = c.y[r];
    t.X[v + 1] = c.x[q];
    t.Z[v + 1] = c.z[r][q];
  }
  t.Y[3] = c.centre_y;
  t.X[3] = c.centre_x;
  t.Z[3] = c.sum / static_cast<double>(e.kind);
  t.CellRow = c.i;
  t.CellCol = c.j;
  t.Side = e.side;
  for (std::size_t v = 1; v <= 3; ++v) {
    t.Flags[v] = UnpackFlag(e.flags, v);
  }
}

TriangleRecord TriangleStore::FromEntry(const Entry& e) const {
  if (e.kind == kEmpty) {
    return {};
  }
  if (e.kind == kWhole) {
    return whole_[e.ref];
  }
  TriangleRecord t;
  FillCellTriangle(t, LoadCell(e.ref), e);
  return t;
}

TriangleRecord TriangleStore::Resolve(std::size_t layer, std::int64_t k) const {
  if (layer == 0) {
    const std::int64_t index = k - lower_;
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) {
      return {};
    }
    return FromEntry(entries_[static_cast<std::size_t>(index)]);
  }
  const Layer& l = layers_[layer - 1];
  if (!l.overrides.empty()) {
    const auto found = l.overrides.find(k);
    if (found != l.overrides.end()) {
      return whole_[found->second];
    }
  }
  const std::int32_t shift = 2 * l.passes;
  if (k >= 1 && k <= (std::int64_t{l.parents} << shift)) {
    TriangleRecord t = Resolve(layer - 1, ((k - 1) >> shift) + 1);
    for (std::int32_t pass = l.passes - 1; pass >= 0; --pass) {
      t = DivisionPart(t, static_cast<std::int32_t>(((k - 1) >> (2 * pass)) & 3));
    }
    return t;
  }
  if (k <= l.upper_before) {
    return Resolve(layer - 1, k);
  }
  return {};
}

TriangleStore::Entry* TriangleStore::EntryFor(std::int64_t k) {
  const std::size_t index = static_cast<std::size_t>(k - lower_);
  if (index == entries_.size() && entries_.size() < entries_.capacity()) {
    return &entries_.emplace_back();
  }
  if (index >= entries_.size()) {
    try {
      entries_.resize(index + 1);
    } catch (const std::bad_alloc&) {
      bounds::ThrowOutOfMemory(name_, (index + 1) * sizeof(Entry));
    }
  }
  return &entries_[index];
}

std::uint32_t TriangleStore::StoreWhole(const TriangleRecord& t) {
  try {
    whole_.push_back(t);
  } catch (const std::bad_alloc&) {
    bounds::ThrowOutOfMemory(name_, (whole_.size() + 1) * sizeof(TriangleRecord));
  }
  return static_cast<std::uint32_t>(whole_.size() - 1);
}

void TriangleStore::Set(std::int64_t k, const TriangleRecord& triangle) {
  CheckIndex(k);
  if (!layers_.empty()) {
    auto& overrides = layers_.back().overrides;
    const auto found = overrides.find(k);
    if (found != overrides.end()) {
      whole_[found->second] = triangle;
    } else {
      overrides.emplace(k, StoreWhole(triangle));
    }
    return;
  }
  Entry* e = EntryFor(k);
  if (e->kind == kWhole) {
    whole_[e->ref] = triangle;
    return;
  }
  const std::uint32_t ref = StoreWhole(triangle);
  e = EntryFor(k);
  *e = Entry{ref, 0, kWhole, 0, 0};
}

void TriangleStore::SetFlags(std::int64_t k, const std::array<std::int32_t, 4>& flags) {
  CheckIndex(k);
  if (layers_.empty()) {
    Entry* e = EntryFor(k);
    std::uint8_t packed = 0;
    if (e->kind >= 2 && PackFlags(flags, packed)) {
      e->flags = packed;
      return;
    }
  }
  TriangleRecord t = (*this)(k);
  t.Flags = flags;
  Set(k, t);
}

void TriangleStore::SetCellTriangle(std::int64_t k, std::int32_t i, std::int32_t j,
                                    std::int32_t side, std::int32_t divisor) {
  CheckIndex(k);
  if (i < 1 || i > ny_ - 1 || j < 1 || j > nx_ - 1) {
    bounds::ThrowOutOfRange2(name_, i, j, 1, ny_ - 1, 1, nx_ - 1);
  }
  const Entry cell{static_cast<std::uint32_t>(std::int64_t{i - 1} * (nx_ - 1) + (j - 1)),
                   static_cast<std::uint8_t>(side), static_cast<std::uint8_t>(divisor), 0, 0};
  if (!layers_.empty()) {
    Set(k, FromEntry(cell));
    return;
  }
  *EntryFor(k) = cell;
}

bool TriangleStore::HoldsCell(std::int32_t i, std::int32_t j,
                              const std::array<double, 8>& values) const {
  if (i < 1 || i > ny_ - 1 || j < 1 || j > nx_ - 1) {
    return false;
  }
  const std::size_t row = static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(nx_);
  const std::size_t below = row + static_cast<std::size_t>(nx_);
  const std::size_t col = static_cast<std::size_t>(j - 1);
  const std::array<double, 8> held = {y_[static_cast<std::size_t>(i)],
                                      y_[static_cast<std::size_t>(i) + 1],
                                      x_[static_cast<std::size_t>(j)],
                                      x_[static_cast<std::size_t>(j) + 1],
                                      z_[row + col],
                                      z_[row + col + 1],
                                      z_[below + col],
                                      z_[below + col + 1]};
  // Bit for bit, so that a NaN or a signed zero is kept as it was.
  return std::memcmp(held.data(), values.data(), sizeof(held)) == 0;
}

void TriangleStore::Divide(std::int32_t count, std::int32_t passes) {
  if (!allocated_) {
    bounds::ThrowUnallocated(name_);
  }
  Layer layer;
  layer.parents = count;
  layer.passes = passes;
  layer.upper_before = upper_;
  layers_.push_back(std::move(layer));
  upper_ = static_cast<std::int32_t>((std::int64_t{count} << (2 * passes)) + 2);
}

std::size_t TriangleStore::MemoryBytes() const {
  std::size_t bytes = entries_.capacity() * sizeof(Entry) +
                      whole_.capacity() * sizeof(TriangleRecord) +
                      (y_.capacity() + x_.capacity() + z_.capacity()) * sizeof(double);
  for (const Layer& l : layers_) {
    bytes += sizeof(Layer) + l.overrides.size() * (sizeof(TriangleRecord) + 48);
  }
  return bytes;
}

}  // namespace ombrix
