// Writing every node of a 250 x 1000 mesh into an .xls workbook and filling 1,000 of them:
// the whole new file built in memory. The workbook is written once per run into the
// temporary folder.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "bench_workbooks.h"
#include "sheet/edit_workbook.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/ole_writer.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_writer.h"

namespace {

constexpr int kNx = 250;
constexpr int kNy = 1000;

double Node(int i, int j) {
  return 50 + 20 * std::sin(i * 0.02) * std::cos(j * 0.03);
}

const ombrix::bench::BenchFile& Workbook() {
  static const ombrix::bench::BenchFile book =
      ombrix::bench::WriteXls("write_mesh_250x1000", ombrix::bench::MeshCells(kNx, kNy, Node));
  return book;
}

// The benchmark workbook has no format table; a fill needs one to clone from. Adds the 16 XF
// records every workbook has (15 styles, then the default cell format 15) after the globals'
// BOF, and moves the sheet's BOUNDSHEET position past them.
std::vector<std::uint8_t> WithXfTable(const std::vector<std::uint8_t>& file) {
  std::vector<std::uint8_t> s = ombrix::sheet::xls::ReadWorkbookStream(file);
  const std::size_t bof_end = 4 + (s[2] | (s[3] << 8));
  std::vector<std::uint8_t> xfs;
  for (int i = 0; i < 16; ++i) {
    const std::uint16_t flags = i < 15 ? 0xFFF5 : 0x0001;  // style / cell XF under Normal
    const std::uint8_t rec[24] = {0xE0,
                                  0x00,
                                  20,
                                  0,
                                  0,
                                  0,
                                  0,
                                  0,
                                  static_cast<std::uint8_t>(flags),
                                  static_cast<std::uint8_t>(flags >> 8),
                                  0x20};
    xfs.insert(xfs.end(), rec, rec + 24);
  }
  s.insert(s.begin() + static_cast<std::ptrdiff_t>(bof_end), xfs.begin(), xfs.end());
  const std::size_t boundsheet = bof_end + xfs.size();  // right after the new XFs
  std::uint32_t pos = s[boundsheet + 4] | (s[boundsheet + 5] << 8) | (s[boundsheet + 6] << 16) |
                      (static_cast<std::uint32_t>(s[boundsheet + 7]) << 24);
  pos += static_cast<std::uint32_t>(xfs.size());
  for (int k = 0; k < 4; ++k) {
    s[boundsheet + 4 + k] = static_cast<std::uint8_t>(pos >> (8 * k));
  }
  return ombrix::sheet::xls::WriteCompoundFile({{"Workbook", s}});
}

// Every node gets a new number; 1,000 of them are marked.
std::vector<ombrix::sheet::CellEdit> Edits() {
  std::vector<ombrix::sheet::CellEdit> edits;
  edits.reserve(std::size_t{kNx} * kNy);
  for (int i = 1; i <= kNy; ++i) {
    for (int j = 1; j <= kNx; ++j) {
      ombrix::sheet::CellEdit e;
      e.row = i + 5;
      e.col = j + 6;
      e.value = Node(i, j) + 0.125;
      e.mark = (i * kNx + j) % 250 == 0;  // 1,000 marked cells
      edits.push_back(e);
    }
  }
  return edits;
}

// The workbook's bytes, with the cell-format table a mark needs.
std::vector<std::uint8_t> BookBytes(const ombrix::bench::BenchFile& book) {
  std::ifstream in(book.path, std::ios::binary);
  return WithXfTable(std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                               std::istreambuf_iterator<char>()));
}

void BM_EditXls250x1000(benchmark::State& state) {
  const ombrix::bench::BenchFile& book = Workbook();
  if (book.path.empty()) {
    state.SkipWithError("could not write the benchmark workbook");
    return;
  }
  const std::vector<std::uint8_t> bytes = BookBytes(book);
  const std::vector<ombrix::sheet::CellEdit> edits = Edits();
  std::size_t size = 0;
  for (auto _ : state) {
    const std::vector<std::uint8_t> out = ombrix::sheet::EditXlsBytes(bytes, book.path, edits);
    size = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  const auto check =
      ombrix::sheet::ReadXlsBytes(ombrix::sheet::EditXlsBytes(bytes, book.path, edits), book.path);
  if (check->Cell(kNy + 5, kNx + 6).number != Node(kNy, kNx) + 0.125) {
    state.SkipWithError("the last node did not read back as written");
  }
  state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_EditXls250x1000)->Unit(benchmark::kMillisecond);

// The same edits through the whole checked write-back: both contents read, marks included.
void BM_CheckedEditXls250x1000(benchmark::State& state) {
  const ombrix::bench::BenchFile& book = Workbook();
  if (book.path.empty()) {
    state.SkipWithError("could not write the benchmark workbook");
    return;
  }
  const std::vector<std::uint8_t> bytes = BookBytes(book);
  const std::vector<ombrix::sheet::CellEdit> edits = Edits();
  for (auto _ : state) {
    const std::vector<std::uint8_t> out = ombrix::sheet::EditWorkbookBytes(bytes, "b.xls", edits);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_CheckedEditXls250x1000)->Unit(benchmark::kMillisecond);

}  // namespace
