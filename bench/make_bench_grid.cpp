// Writes one smooth test grid in the forms the whole-command comparison reads: the mesh
// workbook ombrix draws (NAME.xlsx), the same values as a NumPy array (NAME.npy, float64, row
// 1 of the mesh first) for matplotlib, and as an ESRI ASCII grid (NAME.asc) for gdal_contour.
//   make_bench_grid N FOLDER/NAME

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench_workbooks.h"

namespace {

// The field of the in-process drawing benchmarks: about 90 whole-number levels.
double Field(int i, int j) {
  return 100 + 45 * std::sin(j / 160.0) * std::cos(i / 190.0) + 0.004 * (i + j);
}

bool WriteNpy(const std::string& path, int n) {
  std::ofstream out(path, std::ios::binary);
  std::string header = "{'descr': '<f8', 'fortran_order': False, 'shape': (" + std::to_string(n) +
                       ", " + std::to_string(n) + "), }";
  // Magic, version 1.0, header length; the header padded with spaces to a multiple of 64.
  const std::size_t unpadded = 10 + header.size() + 1;
  header.append((64 - unpadded % 64) % 64, ' ');
  header += '\n';
  const std::uint16_t length = static_cast<std::uint16_t>(header.size());
  out.write("\x93NUMPY\x01\x00", 8);
  out.put(static_cast<char>(length & 0xff));
  out.put(static_cast<char>(length >> 8));
  out << header;
  std::vector<double> row(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      row[static_cast<std::size_t>(j - 1)] = Field(i, j);
    }
    out.write(reinterpret_cast<const char*>(row.data()),
              static_cast<std::streamsize>(row.size() * sizeof(double)));
  }
  return static_cast<bool>(out);
}

bool WriteAsciiGrid(const std::string& path, int n) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) {
    return false;
  }
  // Cell-centred nodes 10 apart, row 1 (the largest y) first, as the mesh lays them out.
  std::fprintf(f, "ncols %d\nnrows %d\nxllcenter 0\nyllcenter 0\ncellsize 10\n", n, n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      std::fprintf(f, j == n ? "%.17g\n" : "%.17g ", Field(i, j));
    }
  }
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::stoi(argv[1]) < 2) {
    std::cerr << "usage: make_bench_grid N FOLDER/NAME\n";
    return 2;
  }
  const int n = std::stoi(argv[1]);
  const std::string stem = argv[2];
  const bool ok = !ombrix::bench::WriteXlsxTo(stem + ".xlsx", ombrix::bench::MeshCells(n, n, Field))
                       .path.empty() &&
                  WriteNpy(stem + ".npy", n) && WriteAsciiGrid(stem + ".asc", n);
  if (!ok) {
    std::cerr << "could not write " << stem << ".*\n";
    return 3;
  }
  std::cout << stem << ".xlsx " << stem << ".npy " << stem << ".asc\n";
  return 0;
}
