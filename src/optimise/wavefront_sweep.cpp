#include "optimise/wavefront_sweep.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "optimise/relaxation.h"
#include "optimise/stencil_offsets.h"

namespace ombrix {
namespace {

constexpr std::int32_t kLanes = 4;
constexpr int kTerms = static_cast<int>(kStencilOffsets.size());
// A row of the table: the 13 coefficients in column order, the diagonal, the right side.
constexpr int kRowWidth = 16;
constexpr int kDiagonalSlot = 13;
constexpr int kRightSlot = 14;
constexpr std::uint32_t kNoNode = 0;
// Marks a vector whose four slots do not share a row of the table.
constexpr std::uint32_t kPacked = 0x80000000u;

constexpr const auto& kOffsets = kStencilOffsets;

// Below this many nodes a sweep is too short for threads to pay for their hand-over: a
// 300 x 300 sweep runs faster on one core than on two, and a 1000 x 1000 one gains a tenth.
constexpr std::int64_t kNodesPerThread = 250'000;
constexpr std::int32_t kRowsPerThread = 64;
constexpr int kMostThreads = 4;

void SpinPause(int& spins) {
  if (++spins > 256) {
    std::this_thread::yield();
  }
}

}  // namespace

struct WavefrontSweep::Shared {
  std::int32_t nx = 0, ny = 0;
  std::int64_t height = 0;   // padded rows per wavefront, a multiple of the lane count
  std::int64_t columns = 0;  // wavefronts, halo included
  std::vector<double> z;
  std::vector<std::uint32_t> row_of;  // table row of each slot, kNoNode where no node is
  std::vector<double> table;
  // Per vector of four slots, where its coefficients are: the table row all four share, or,
  // with kPacked, its pack in `packs`, the four rows interleaved lane by lane (entry e of
  // lane l at kLanes * e + l), so that a sweep loads vectors, never single lanes.
  std::vector<std::uint32_t> vector_code;
  std::vector<double> packs;
  std::array<std::int64_t, kTerms> offset{};
  bool avx2 = false;  // run the kernel built for AVX2

  // Threads: block b covers padded rows [block_start[b], block_start[b + 1]).
  std::vector<std::int64_t> block_start;
  std::vector<std::atomic<std::int64_t>> progress;  // last wavefront finished, per block
  std::vector<double> block_max;
  std::vector<std::int64_t> block_failure;  // first node number that overflowed, or 0
  std::vector<std::jthread> workers;
  std::atomic<int> generation{0};
  std::mutex start_mutex;
  std::condition_variable start;
  std::atomic<int> finished{0};
  std::atomic<bool> stopping{false};
  double omega = 1;
  std::int64_t sweep_base = 0;  // progress value of wavefront 0 in the current sweep

  std::int64_t Slot(std::int64_t r, std::int64_t c) const { return (c + 2 * r) * height + r; }

  void RunBlock(int b);
  // Wakes the workers for the next sweep (or to stop).
  void Start() {
    {
      std::lock_guard lock(start_mutex);
      generation.fetch_add(1, std::memory_order_acq_rel);
    }
    start.notify_all();
  }
  void Work(int b);
};

WavefrontSweep::WavefrontSweep(const SparseMatrix& a, const std::vector<double>& right_side,
                               const std::vector<double>& solution, int threads, bool avx2)
    : nx_(a.nx()), ny_(a.nx() == 0 ? 0 : a.size() / a.nx()), shared_(std::make_unique<Shared>()) {
  Shared& s = *shared_;
  s.avx2 = avx2 && __builtin_cpu_supports("avx2");
  s.nx = nx_;
  s.ny = ny_;
  s.height = (static_cast<std::int64_t>(ny_) + 4 + kLanes - 1) / kLanes * kLanes;
  s.columns = static_cast<std::int64_t>(nx_) + 4 + 2 * s.height + 2;
  const std::int64_t slots = s.columns * s.height;
  s.z.assign(static_cast<std::size_t>(slots), 0.0);
  s.row_of.assign(static_cast<std::size_t>(slots), kNoNode);
  for (int e = 0; e < kTerms; ++e) {
    s.offset[static_cast<std::size_t>(e)] = (kOffsets[static_cast<std::size_t>(e)].second +
                                             2 * kOffsets[static_cast<std::size_t>(e)].first) *
                                                s.height +
                                            kOffsets[static_cast<std::size_t>(e)].first;
  }
  // Row 0 of the table belongs to the empty slots: its diagonal 1 keeps them at 0.
  s.table.assign(kRowWidth, 0.0);
  s.table[6] = 1;
  s.table[kDiagonalSlot] = 1;
  std::map<std::array<std::uint64_t, kTerms + 1>, std::uint32_t> rows;
  for (std::int32_t i = 1; i <= ny_; ++i) {
    for (std::int32_t j = 1; j <= nx_; ++j) {
      const std::int32_t k = (i - 1) * nx_ + j;
      std::array<double, kTerms> row{};
      std::size_t e = a.begin(k);
      for (int t = 0; t < kTerms; ++t) {
        const auto [di, dj] = kOffsets[static_cast<std::size_t>(t)];
        if (i + di < 1 || i + di > ny_ || j + dj < 1 || j + dj > nx_) {
          continue;
        }
        row[static_cast<std::size_t>(t)] = a.value(e);
        ++e;
      }
      const double diagonal = a.value(a.diagonal(k));
      if (diagonal == 0) {
        usable_ = false;
      }
      std::array<std::uint64_t, kTerms + 1> key{};
      for (int t = 0; t < kTerms; ++t) {
        key[static_cast<std::size_t>(t)] =
            std::bit_cast<std::uint64_t>(row[static_cast<std::size_t>(t)]);
      }
      key[kTerms] = std::bit_cast<std::uint64_t>(right_side[static_cast<std::size_t>(k - 1)]);
      auto [it, added] = rows.try_emplace(key, static_cast<std::uint32_t>(rows.size() + 1));
      if (added) {
        s.table.insert(s.table.end(), row.begin(), row.end());
        s.table.push_back(diagonal);
        s.table.push_back(right_side[static_cast<std::size_t>(k - 1)]);
        s.table.push_back(0.0);
      }
      const std::int64_t slot = s.Slot(i + 1, j + 1);
      s.row_of[static_cast<std::size_t>(slot)] = it->second;
      s.z[static_cast<std::size_t>(slot)] = solution[static_cast<std::size_t>(k - 1)];
    }
  }
  s.vector_code.resize(static_cast<std::size_t>(slots / kLanes));
  for (std::size_t v = 0; v < s.vector_code.size(); ++v) {
    const std::uint32_t* ids = s.row_of.data() + v * kLanes;
    if (ids[0] == ids[1] && ids[1] == ids[2] && ids[2] == ids[3]) {
      s.vector_code[v] = ids[0];
      continue;
    }
    s.vector_code[v] = kPacked | static_cast<std::uint32_t>(s.packs.size() / (kLanes * kRowWidth));
    for (int e = 0; e < kRowWidth; ++e) {
      for (int l = 0; l < kLanes; ++l) {
        s.packs.push_back(s.table[std::size_t{ids[l]} * kRowWidth + static_cast<std::size_t>(e)]);
      }
    }
  }
  // Threads on blocks of rows, each at least kRowsPerThread high.
  const std::int64_t nodes = static_cast<std::int64_t>(nx_) * ny_;
  if (threads <= 0) {
    const int hardware = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads = nodes < kNodesPerThread ? 1 : std::min({hardware, kMostThreads});
    threads = static_cast<int>(
        std::max<std::int64_t>(1, std::min<std::int64_t>(threads, ny_ / kRowsPerThread)));
  }
  const std::int64_t vectors = s.height / kLanes;
  threads_ = static_cast<int>(std::max<std::int64_t>(1, std::min<std::int64_t>(threads, vectors)));
  for (int b = 0; b <= threads_; ++b) {
    s.block_start.push_back(vectors * b / threads_ * kLanes);
  }
  s.progress = std::vector<std::atomic<std::int64_t>>(static_cast<std::size_t>(threads_));
  for (auto& p : s.progress) {
    p.store(-1);
  }
  s.block_max.assign(static_cast<std::size_t>(threads_), 0.0);
  s.block_failure.assign(static_cast<std::size_t>(threads_), 0);
  for (int b = 1; b < threads_; ++b) {
    s.workers.emplace_back([&s, b] { s.Work(b); });
  }
}

WavefrontSweep::~WavefrontSweep() {
  shared_->stopping.store(true);
  shared_->Start();
  shared_->workers.clear();  // joins
}

void WavefrontSweep::Shared::Work(int b) {
  int seen = 0;
  for (;;) {
    // A short spin catches the next sweep of a fast run; otherwise sleep until it starts.
    for (int spins = 0; generation.load(std::memory_order_acquire) == seen && spins < 2000;
         ++spins) {
    }
    if (generation.load(std::memory_order_acquire) == seen) {
      std::unique_lock lock(start_mutex);
      start.wait(lock, [&] { return generation.load(std::memory_order_acquire) != seen; });
    }
    seen = generation.load(std::memory_order_acquire);
    if (stopping.load()) {
      return;
    }
    RunBlock(b);
    finished.fetch_add(1, std::memory_order_acq_rel);
  }
}

// The block kernel, built twice: for the baseline instruction set and for AVX2, chosen when
// the processor has it. Neither uses fused multiply-add, so both give the same bits.
// The kernels pass 4-double vectors between functions of this file only, so the calling
// convention clang warns about never crosses a boundary it could break.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wpsabi"
#endif
namespace {
namespace baseline {
#include "optimise/wavefront_kernel.inc"
}  // namespace baseline
}  // namespace
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

// GCC and clang spell "compile what follows for AVX2" differently.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace {
namespace avx2 {
#include "optimise/wavefront_kernel.inc"
}  // namespace avx2
}  // namespace
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

void WavefrontSweep::Shared::RunBlock(int b) {
  if (avx2) {
    avx2::RunBlock(*this, b);
  } else {
    baseline::RunBlock(*this, b);
  }
}

double WavefrontSweep::Sweep(double omega) {
  Shared& s = *shared_;
  s.omega = omega;
  if (threads_ > 1) {
    s.finished.store(0, std::memory_order_relaxed);
    s.Start();
  }
  s.RunBlock(0);
  if (threads_ > 1) {
    int spins = 0;
    while (s.finished.load(std::memory_order_acquire) < threads_ - 1) {
      SpinPause(spins);
    }
  }
  s.sweep_base += s.columns;
  double most = 0;
  std::int64_t failure = 0;
  for (int b = 0; b < threads_; ++b) {
    const auto bb = static_cast<std::size_t>(b);
    most = most < s.block_max[bb] ? s.block_max[bb] : most;
    if (s.block_failure[bb] != 0) {
      failure = failure == 0 ? s.block_failure[bb] : std::min(failure, s.block_failure[bb]);
    }
  }
  if (failure != 0) {
    ThrowNodeOverflow(static_cast<std::int32_t>(failure));
  }
  return most;
}

void WavefrontSweep::CopyOut(std::vector<double>& solution) const {
  const Shared& s = *shared_;
  solution.resize(static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_));
  for (std::int32_t i = 1; i <= ny_; ++i) {
    for (std::int32_t j = 1; j <= nx_; ++j) {
      solution[static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(nx_) +
               static_cast<std::size_t>(j - 1)] =
          s.z[static_cast<std::size_t>(s.Slot(i + 1, j + 1))];
    }
  }
}

}  // namespace ombrix
