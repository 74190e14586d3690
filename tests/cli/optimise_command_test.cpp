#include "cli/optimise_command.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
  ombrix::testing::ExpectErrorLine(Optimise({mesh, Fixture("points_empty_count.lo.xls")}));
  EXPECT_THROW(Optimise({mesh}), UsageError);
  EXPECT_THROW(Optimise({mesh, points, "--initial", "median"}), UsageError);
  EXPECT_THROW(Optimise({mesh, points, "--solver", "direct"}), UsageError);
}

// Which cells are written and marked is the write-back's test; that the rest of the workbook
// stays as it was is the writers' and setcells_test's, on the same workbooks.
TEST(OptimiseCommand, WritesTheFittedValuesIntoTheNodeCellsOfAWritableWorkbook) {
  const std::string points = Fixture("points_small.lo.xls");
  for (const char* name : {"mesh_small.lo.xls", "mesh_small.xlwt.xls", "mesh_small.lo.xlsx",
                           "mesh_small.openpyxl.xlsx"}) {
    SCOPED_TRACE(name);
    ombrix::testing::TempFolder dir;
    const std::string copy = dir / name;
    ombrix::testing::PlaceFixture(name, copy);
    const std::string original = ombrix::testing::Content(copy);
    fs::permissions(copy, fs::perms::owner_read);
    ombrix::testing::ExpectErrorLine(Optimise({copy, points, "--write"}));
    EXPECT_EQ(ombrix::testing::Content(copy), original);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
    const Output plain = Optimise({copy, points});
    const Output written = Optimise({copy, points, "--write"});
    ASSERT_EQ(written.status, kExitOk) << written.text;
    EXPECT_EQ(written.text, plain.text);
    ASSERT_EQ(PrintedNodes(written.text).size(), 6u);
    EXPECT_EQ(PrintedNodes(ombrix::testing::Call(PrintMesh, copy).text),
              PrintedNodes(written.text));
  }
}

}  // namespace
}  // namespace ombrix::cli
