#include "cli/optimise_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/arguments.h"
#include "cli/import_commands.h"
#include "cli_files.h"
#include "fakes/temp_folder.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;
using ombrix::testing::Fixture;
using ombrix::testing::PrintedNodes;
using Output = ombrix::testing::Printed;

Output Optimise(const std::vector<std::string>& args) {
  return ombrix::testing::Call(PrintOptimisedMesh, args);
}

// The fit itself, each solver and each start, is checked against references by the
// optimiser's own tests; here the options reach it and the output has its form.
TEST(OptimiseCommand, PrintsTheSweepsOrTheIterationsAndEveryNodeOrOneErrorLine) {
  const std::string mesh = Fixture("mesh_small.lo.xls");
  const std::string points = Fixture("points_small.lo.xls");
  const Output out = Optimise({mesh, points});
  ASSERT_EQ(out.status, kExitOk) << out.text;
  EXPECT_EQ(out.text.rfind("sweeps,", 0), 0u);
  EXPECT_GT(std::stoi(out.text.substr(7)), 0);
  EXPECT_EQ(PrintedNodes(out.text).size(), 6u);
  EXPECT_LT(out.text.find("\nnode,1,3,"), out.text.find("\nnode,2,1,"));  // row by row
  const Output mean = Optimise({mesh, points, "--initial", "mean"});
  EXPECT_EQ(mean.status, kExitOk);
  EXPECT_NE(mean.text, out.text);  // other initial values converge elsewhere
  const Output exact = Optimise({mesh, points, "--solver", "exact"});
  ASSERT_EQ(exact.status, kExitOk) << exact.text;
  EXPECT_EQ(exact.text.rfind("iterations,", 0), 0u);
  const std::size_t residual = exact.text.find("\nresidual,");
  ASSERT_NE(residual, std::string::npos);
  EXPECT_LE(std::strtod(exact.text.c_str() + residual + 10, nullptr), 1e-12);
  EXPECT_EQ(PrintedNodes(exact.text).size(), 6u);
  const Output none = Optimise({mesh, Fixture("points_empty_count.lo.xls")});
  EXPECT_EQ(none.status, kExitRunError);
  EXPECT_EQ(none.text.rfind("error,", 0), 0u);
  EXPECT_EQ(none.text.find('\n'), none.text.size() - 1);
  EXPECT_THROW(Optimise({mesh}), UsageError);
  EXPECT_THROW(Optimise({mesh, points, "--initial", "median"}), UsageError);
  EXPECT_THROW(Optimise({mesh, points, "--solver", "direct"}), UsageError);
}

class OptimiseWrite : public ::testing::TestWithParam<const char*> {
 protected:
  OptimiseWrite() { ombrix::testing::PlaceFixture(GetParam(), copy_); }
  ombrix::testing::TempFolder dir_;
  const fs::path copy_ = dir_ / GetParam();
};

// Which cells are written and marked is the write-back's test; that the rest of the workbook
// stays as it was is the writers' and setcells_test's, on the same workbooks.
TEST_P(OptimiseWrite, WritesTheFittedValuesIntoTheNodeCellsOfAWritableWorkbook) {
  const std::string points = Fixture("points_small.lo.xls");
  const std::string original = ombrix::testing::Content(copy_);
  fs::permissions(copy_, fs::perms::owner_read);
  const Output refused = Optimise({copy_.string(), points, "--write"});
  EXPECT_EQ(refused.status, kExitRunError);
  EXPECT_EQ(refused.text.rfind("error,", 0), 0u) << refused.text;
  EXPECT_EQ(ombrix::testing::Content(copy_), original);
  fs::permissions(copy_, fs::perms::owner_read | fs::perms::owner_write);
  const Output plain = Optimise({copy_.string(), points});
  const Output written = Optimise({copy_.string(), points, "--write"});
  ASSERT_EQ(written.status, kExitOk) << written.text;
  EXPECT_EQ(written.text, plain.text);
  ASSERT_EQ(PrintedNodes(written.text).size(), 6u);
  EXPECT_EQ(PrintedNodes(ombrix::testing::Call(PrintMesh, copy_.string()).text),
            PrintedNodes(written.text));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OptimiseWrite,
                         ::testing::Values("mesh_small.lo.xls", "mesh_small.xlwt.xls",
                                           "mesh_small.lo.xlsx", "mesh_small.openpyxl.xlsx"));

}  // namespace
}  // namespace ombrix::cli
