// Writes the inputs of the side-by-side fit comparison (bench/optimise_vs_gmt.sh): an nx-by-ny
// mesh workbook over [0, 200] x [0, 200] (weights 1, 1, 10; factor 1.5; limit 1e-6), a point
// workbook of noisy samples of a smooth field, and the same points as x y z text for GMT.
//   make_fit_inputs NX NY POINTS SEED FOLDER

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_workbooks.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: make_fit_inputs NX NY POINTS SEED FOLDER\n");
    return 2;
  }
  const int nx = std::stoi(argv[1]);
  const int ny = std::stoi(argv[2]);
  const int count = std::stoi(argv[3]);
  std::mt19937_64 random(std::stoull(argv[4]));
  const std::filesystem::path folder = argv[5];
  constexpr double kSpan = 200;
  using ombrix::bench::NumberCell;

  std::vector<NumberCell> mesh{{3, 6, static_cast<double>(nx)}};
  for (int j = 1; j <= nx; ++j) {
    mesh.push_back({4, j + 6, kSpan * (j - 1) / (nx - 1)});
  }
  mesh.push_back({5, 4, static_cast<double>(ny)});
  // Weights and relaxation settings in column B, next to the rows they share.
  const std::vector<std::pair<int, double>> settings = {
      {13, 1.0}, {14, 1.0}, {15, 10.0}, {19, 1.5}, {20, 1e-6}};
  for (int i = 1; i <= ny; ++i) {
    const int row = i + 5;
    for (const auto& [at, value] : settings) {
      if (at == row) {
        mesh.push_back({row, 2, value});
      }
    }
    mesh.push_back({row, 5, kSpan * (ny - i) / (ny - 1)});
    for (int j = 1; j <= nx; ++j) {
      mesh.push_back({row, j + 6, 0.0});
    }
  }

  std::uniform_real_distribution<double> at(0, kSpan);
  std::normal_distribution<double> noise(0, 0.5);
  std::vector<NumberCell> points{{3, 1, static_cast<double>(count)}};
  std::ofstream xyz(folder / "points.xyz");
  xyz.precision(17);
  for (int k = 1; k <= count; ++k) {
    const double x = at(random), y = at(random);
    const double v = 100 + 30 * std::sin(x / 30) * std::cos(y / 25) + noise(random);
    points.push_back({k + 2, 3, x});
    points.push_back({k + 2, 4, y});
    points.push_back({k + 2, 5, v});
    xyz << x << ' ' << y << ' ' << v << '\n';
  }
  // The bench writer removes its files when the program ends: keep copies.
  for (const auto& [name, cells] :
       {std::pair{"mesh.xlsx", &mesh}, std::pair{"points.xlsx", &points}}) {
    const ombrix::bench::BenchFile file = ombrix::bench::WriteXlsx(name, *cells);
    if (file.path.empty()) {
      std::fprintf(stderr, "could not write %s\n", name);
      return 1;
    }
    std::filesystem::copy_file(file.path, folder / name,
                               std::filesystem::copy_options::overwrite_existing);
  }
  return xyz ? 0 : 1;
}
