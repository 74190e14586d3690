#pragma once
// Workbooks the benchmarks write for themselves: a sheet of numbers as .xlsx (libzip) or as
// .xls (BIFF8 NUMBER records in a compound file), in the temporary folder.

#include <cstddef>
#include <string>
#include <vector>

namespace ombrix::bench {

struct NumberCell {
  int row;  // from 1
  int col;  // from 1
  double value;
};

struct BenchFile {
  std::string path;             // empty when the file could not be written
  std::size_t sheet_bytes = 0;  // the sheet XML (.xlsx) or the workbook stream (.xls)
};

// `cells` sorted by row, then column. The file is removed when the program ends.
BenchFile WriteXlsx(const std::string& name, const std::vector<NumberCell>& cells);
// The same .xlsx at `path`, kept after the program ends.
BenchFile WriteXlsxTo(const std::string& path, const std::vector<NumberCell>& cells);
BenchFile WriteXls(const std::string& name, const std::vector<NumberCell>& cells);

// The cells of a mesh sheet of nx columns and ny rows: counts in F3 and D5, parameters,
// coordinates along row 4 and column E, node values value(i, j) from G6.
std::vector<NumberCell> MeshCells(int nx, int ny, double (*value)(int i, int j));

// A field of /proc/self/status in kB, -1 when unknown.
long StatusKb(const char* field);

}  // namespace ombrix::bench
