// Writing back a 1000 x 1000 mesh into .xlsx: every node cell gets a new number and 1,000 of
// them a grey fill; the time covers building the whole new file's bytes.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "bench_workbooks.h"
#include "sheet/cell_edit.h"
#include "sheet/edit_workbook.h"
#include "sheet/xlsx/xlsx_writer.h"

namespace {

constexpr int kNodes = 1000;

double Node(int i, int j) {
  return 100 + 50 * std::sin(i * 0.01) * std::cos(j * 0.013) + i * 1e-3;
}

const std::vector<std::uint8_t>& Original() {
  static const std::vector<std::uint8_t> bytes = [] {
    const ombrix::bench::BenchFile book =
        ombrix::bench::WriteXlsx("write_mesh_1000", ombrix::bench::MeshCells(kNodes, kNodes, Node));
    std::ifstream in(book.path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
  }();
  return bytes;
}

std::vector<ombrix::sheet::CellEdit> Edits() {
  std::vector<ombrix::sheet::CellEdit> edits;
  edits.reserve(std::size_t{kNodes} * kNodes);
  for (int i = 1; i <= kNodes; ++i) {
    for (int j = 1; j <= kNodes; ++j) {
      // every thousandth node is marked, spread over the whole block
      const bool mark = (i * kNodes + j) % 1000 == 0;
      edits.push_back({i + 5, j + 6, Node(i, j) * 1.0001 + 0.125, mark});
    }
  }
  return edits;
}

void BM_EditXlsx1000x1000(benchmark::State& state) {
  const std::vector<std::uint8_t>& original = Original();
  if (original.empty()) {
    state.SkipWithError("the workbook could not be written");
    return;
  }
  const std::vector<ombrix::sheet::CellEdit> edits = Edits();
  std::size_t out_bytes = 0;
  for (auto _ : state) {
    const std::vector<std::uint8_t> result =
        ombrix::sheet::EditXlsxBytes(original, "bench.xlsx", edits);
    out_bytes = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["in_bytes"] = static_cast<double>(original.size());
  state.counters["out_bytes"] = static_cast<double>(out_bytes);
}
BENCHMARK(BM_EditXlsx1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole write-back as a save makes it: the old content read, the new one built, read back
// and checked cell by cell, marks included.
void BM_CheckedEditXlsx1000x1000(benchmark::State& state) {
  const std::vector<std::uint8_t>& original = Original();
  if (original.empty()) {
    state.SkipWithError("the workbook could not be written");
    return;
  }
  const std::vector<ombrix::sheet::CellEdit> edits = Edits();
  for (auto _ : state) {
    const std::vector<std::uint8_t> result =
        ombrix::sheet::EditWorkbookBytes(original, "bench.xlsx", edits);
    benchmark::DoNotOptimize(result.data());
  }
}
BENCHMARK(BM_CheckedEditXlsx1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
