// Reading a 1000 x 1000 numeric sheet from .xlsx: the time, and the peak memory the read adds
// next to the size of the unpacked sheet XML. The workbook is written once per run into the
// temporary folder.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>

#include "bench_workbooks.h"
#include "sheet/xlsx/xlsx_reader.h"

namespace {

using ombrix::bench::StatusKb;

constexpr int kRows = 1000;
constexpr int kCols = 1000;

double Value(int row, int col) {
  return 100 + 50 * std::sin(row * 0.01) * std::cos(col * 0.013) + row * 1e-3;
}

const ombrix::bench::BenchFile& Workbook() {
  static const ombrix::bench::BenchFile book = [] {
    std::vector<ombrix::bench::NumberCell> cells;
    cells.reserve(std::size_t{kRows} * kCols);
    for (int r = 1; r <= kRows; ++r) {
      for (int c = 1; c <= kCols; ++c) {
        cells.push_back({r, c, Value(r, c)});
      }
    }
    return ombrix::bench::WriteXlsx("read_1000x1000", cells);
  }();
  return book;
}

void BM_ReadXlsx1000x1000(benchmark::State& state) {
  const ombrix::bench::BenchFile& book = Workbook();
  if (book.path.empty()) {
    state.SkipWithError("could not write the benchmark workbook");
    return;
  }
  long peak_delta_kb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak (VmHWM) from now
    const long before_kb = StatusKb("VmRSS:");
    state.ResumeTiming();
    auto result = ombrix::sheet::ReadXlsx(book.path);
    benchmark::DoNotOptimize(result);
    state.PauseTiming();
    peak_delta_kb = std::max(peak_delta_kb, StatusKb("VmHWM:") - before_kb);
    if (result->cells().size() != std::size_t{kRows} * kCols ||
        result->Cell(kRows, kCols).number != Value(kRows, kCols) ||
        result->Cell(1, 1).number != Value(1, 1)) {
      state.SkipWithError("the sheet did not read back as written");
    }
    result.reset();
    state.ResumeTiming();
  }
  const double xml_mb = static_cast<double>(book.sheet_bytes) / (1024 * 1024);
  const double peak_mb = static_cast<double>(peak_delta_kb) / 1024;
  state.counters["sheet_xml_MiB"] = xml_mb;
  state.counters["peak_added_MiB"] = peak_mb;
  state.counters["peak_per_xml"] = peak_mb / xml_mb;
  state.counters["cells"] = static_cast<double>(kRows) * kCols;
}
BENCHMARK(BM_ReadXlsx1000x1000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
