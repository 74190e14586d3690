// Importing a mesh from a workbook the bench writes itself: 1000 x 1000 nodes from .xlsx and
// 250 x 1000 nodes (all the columns an .xls sheet has room for) from .xls. Each iteration opens
// the file, reads the sheet and fills the mesh arrays, as the menu command does.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>

#include "bench_workbooks.h"
#include "import/mesh_import.h"
#include "sheet/open_workbook.h"
#include "sheet/xls/xls_reader.h"

namespace {

using ombrix::bench::BenchFile;
using ombrix::bench::StatusKb;

double Height(int i, int j) {
  return 100 + 40 * std::sin(i * 0.02) * std::cos(j * 0.017);
}

void ImportMesh(benchmark::State& state, const BenchFile& file, int nx, int ny) {
  if (file.path.empty()) {
    state.SkipWithError("could not write the benchmark workbook");
    return;
  }
  long peak_delta_kb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before_kb = StatusKb("VmRSS:");
    state.ResumeTiming();
    const std::unique_ptr<ombrix::Workbook> book = ombrix::sheet::OpenWorkbook(file.path);
    ombrix::MeshData mesh = ombrix::ReadMeshWorkbook(*book);
    benchmark::DoNotOptimize(mesh);
    state.PauseTiming();
    peak_delta_kb = std::max(peak_delta_kb, StatusKb("VmHWM:") - before_kb);
    if (mesh.NodeCountX != nx || mesh.NodeCountY != ny ||
        mesh.NodeValue(ny, nx) != Height(ny, nx) || mesh.ConvergenceLimit != 1e-6) {
      state.SkipWithError("the mesh did not read back as written");
    }
    state.ResumeTiming();
  }
  state.counters["nodes"] = static_cast<double>(nx) * ny;
  state.counters["sheet_MiB"] = static_cast<double>(file.sheet_bytes) / (1024 * 1024);
  state.counters["peak_added_MiB"] = static_cast<double>(peak_delta_kb) / 1024;
}

void BM_ImportMeshXlsx1000x1000(benchmark::State& state) {
  static const BenchFile file =
      ombrix::bench::WriteXlsx("mesh_1000x1000", ombrix::bench::MeshCells(1000, 1000, Height));
  ImportMesh(state, file, 1000, 1000);
}
BENCHMARK(BM_ImportMeshXlsx1000x1000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ImportMeshXls250x1000(benchmark::State& state) {
  static const BenchFile file =
      ombrix::bench::WriteXls("mesh_250x1000", ombrix::bench::MeshCells(250, 1000, Height));
  ImportMesh(state, file, 250, 1000);
}
BENCHMARK(BM_ImportMeshXls250x1000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ReadXls250x1000(benchmark::State& state) {
  static const BenchFile file =
      ombrix::bench::WriteXls("mesh_250x1000", ombrix::bench::MeshCells(250, 1000, Height));
  for (auto _ : state) {
    auto book = ombrix::sheet::ReadXls(file.path);
    benchmark::DoNotOptimize(book);
  }
}
BENCHMARK(BM_ReadXls250x1000)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
