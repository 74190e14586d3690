#include "contour/line_joining.h"

#include <bit>
#include <cstdint>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace ombrix {

namespace {

// Keys compare by bit pattern, so equality and hashing agree (0.0 and -0.0 differ, as the
// coordinates of one vertex never do).
using Bits = std::array<std::uint64_t, 4>;

Bits KeyBits(const EdgeKey& k) {
  return {std::bit_cast<std::uint64_t>(k.a.x), std::bit_cast<std::uint64_t>(k.a.y),
          std::bit_cast<std::uint64_t>(k.b.x), std::bit_cast<std::uint64_t>(k.b.y)};
}

std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  return h * 0xff51afd7ed558ccdULL;
}

struct BitsHash {
  std::size_t operator()(const Bits& b) const {
    std::uint64_t h = 0;
    for (const std::uint64_t v : b) {
      h = Mix(h, v);
    }
    return static_cast<std::size_t>(h ^ (h >> 33));
  }
};

struct PairHash {
  std::size_t operator()(const std::pair<std::int32_t, std::int32_t>& p) const {
    return static_cast<std::size_t>(
        Mix(static_cast<std::uint32_t>(p.first), static_cast<std::uint32_t>(p.second)));
  }
};

}  // namespace

EdgeKey MakeEdgeKey(MeshPoint p, MeshPoint q) {
  const auto order = [](MeshPoint m) {
    return std::make_tuple(std::bit_cast<std::uint64_t>(m.x), std::bit_cast<std::uint64_t>(m.y));
  };
  return order(q) < order(p) ? EdgeKey{q, p} : EdgeKey{p, q};
}

std::vector<ContourPolyline> JoinSegments(const GrowableList<SegmentRecord>& segments,
                                          const SegmentTrace& trace) {
  // Each distinct edge (or vertex) an end lies on becomes a node; each kept segment joins two.
  std::unordered_map<Bits, std::int32_t, BitsHash> node_of;
  node_of.reserve(trace.size() * 2);
  std::vector<std::array<std::int32_t, 2>> ends;  // per kept segment: its two nodes
  std::vector<std::int32_t> kept;                 // per kept segment: its index in the trace
  ends.reserve(trace.size());
  kept.reserve(trace.size());
  std::unordered_set<std::pair<std::int32_t, std::int32_t>, PairHash> vertex_edges;
  const auto node = [&](const EdgeKey& key) {
    const auto [it, added] =
        node_of.try_emplace(KeyBits(key), static_cast<std::int32_t>(node_of.size()));
    return it->second;
  };
  for (std::int32_t s = 1; s <= segments.count(); ++s) {
    if (segments(s).State != kSegmentDrawn) {
      continue;
    }
    const auto& t = trace.at(static_cast<std::size_t>(s - 1));
    const std::int32_t n1 = node(t[0].on);
    const std::int32_t n2 = node(t[1].on);
    if (t[0].on.a == t[0].on.b && t[1].on.a == t[1].on.b &&
        !vertex_edges.insert(std::minmax(n1, n2)).second) {
      continue;  // a mesh edge on the level, drawn already by the triangle across it
    }
    ends.push_back({n1, n2});
    kept.push_back(s - 1);
  }

  // Incidence lists in one block: node n's (segment, end) pairs at first[n]..first[n + 1].
  const std::size_t nodes = node_of.size();
  std::vector<std::int32_t> first(nodes + 1, 0);
  for (const auto& e : ends) {
    ++first[static_cast<std::size_t>(e[0]) + 1];
    ++first[static_cast<std::size_t>(e[1]) + 1];
  }
  for (std::size_t n = 0; n < nodes; ++n) {
    first[n + 1] += first[n];
  }
  std::vector<std::int32_t> incidence(static_cast<std::size_t>(first[nodes]));
  {
    std::vector<std::int32_t> fill(first.begin(), first.end() - 1);
    for (std::size_t k = 0; k < ends.size(); ++k) {
      for (std::int32_t side = 0; side < 2; ++side) {
        const auto n = static_cast<std::size_t>(ends[k][static_cast<std::size_t>(side)]);
        incidence[static_cast<std::size_t>(fill[n]++)] = static_cast<std::int32_t>(k * 2) + side;
      }
    }
  }
  std::vector<std::int32_t> next_unused(first.begin(), first.end() - 1);
  std::vector<std::int32_t> unused_degree(nodes);
  for (std::size_t n = 0; n < nodes; ++n) {
    unused_degree[n] = first[n + 1] - first[n];
  }
  std::vector<bool> used(ends.size(), false);

  // An unused segment end at node n, or -1.
  const auto take = [&](std::int32_t n) {
    const auto u = static_cast<std::size_t>(n);
    while (next_unused[u] < first[u + 1]) {
      const std::int32_t entry = incidence[static_cast<std::size_t>(next_unused[u])];
      if (!used[static_cast<std::size_t>(entry / 2)]) {
        return entry;
      }
      ++next_unused[u];
    }
    return -1;
  };

  std::vector<ContourPolyline> lines;
  // Walks from node n as long as an unused segment leaves the node reached.
  const auto walk = [&](std::int32_t start) {
    ContourPolyline line;
    std::int32_t at = start;
    for (std::int32_t entry = take(at); entry >= 0; entry = take(at)) {
      const auto k = static_cast<std::size_t>(entry / 2);
      const auto side = static_cast<std::size_t>(entry % 2);
      used[k] = true;
      --unused_degree[static_cast<std::size_t>(ends[k][0])];
      --unused_degree[static_cast<std::size_t>(ends[k][1])];
      const auto& t = trace[static_cast<std::size_t>(kept[k])];
      if (line.points.empty()) {
        line.points.push_back(t[side].at);
      }
      line.points.push_back(t[1 - side].at);
      at = ends[k][1 - side];
    }
    if (at == start && line.points.size() > 2) {
      line.closed = true;
      line.points.back() = line.points.front();  // the same point, not a rounding away from it
    }
    lines.push_back(std::move(line));
  };

  // Open lines first, from the points where an odd number of segments meet; what is left then
  // meets in pairs everywhere and comes back to its start.
  for (const bool open : {true, false}) {
    for (const auto& e : ends) {
      for (const std::int32_t n : e) {
        const auto u = static_cast<std::size_t>(n);
        while (unused_degree[u] > 0 && (!open || unused_degree[u] % 2 == 1)) {
          walk(n);
        }
      }
    }
  }
  return lines;
}

}  // namespace ombrix
