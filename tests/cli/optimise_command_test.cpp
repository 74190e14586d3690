#include "cli/optimise_command.h"

#include <gtest/gtest.h>

#include "fakes/fixture_path.h"

#include <sstream>

#include "cli/arguments.h"

namespace ombrix::cli {
namespace {

using ombrix::testing::Fixture;

struct Output {
  int status;
  std::string text;
};

Output Optimise(std::vector<std::string> args) {
  std::ostringstream out;
  const int status = PrintOptimisedMesh(args, out);
  return {status, out.str()};
}

TEST(OptimiseCommand, PrintsTheSweepsAndEveryNodeRowByRow) {
  const Output out = Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_small.lo.xls")});
  ASSERT_EQ(out.status, kExitOk) << out.text;
  std::istringstream lines(out.text);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line.rfind("sweeps,", 0), 0u);
  EXPECT_GT(std::stoi(line.substr(7)), 0);
  const char* const nodes[] = {"node,1,1,", "node,1,2,", "node,1,3,",
                               "node,2,1,", "node,2,2,", "node,2,3,"};
  for (const char* prefix : nodes) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
  }
  EXPECT_FALSE(std::getline(lines, line));
  // The same workbooks written by other programs give the same fit, bit for bit.
  EXPECT_EQ(Optimise({Fixture("mesh_small.openpyxl.xlsx"), Fixture("points_small.xlwt.xls")}).text,
            out.text);
  // The other initial values converge elsewhere, but to the same tolerance.
  const Output mean =
      Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_small.lo.xls"), "--initial", "mean"});
  EXPECT_EQ(mean.status, kExitOk);
  EXPECT_NE(mean.text, out.text);
}

TEST(OptimiseCommand, ErrorsAndUsage) {
  const Output none =
      Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_empty_count.lo.xls")});
  EXPECT_EQ(none.status, kExitRunError);
  EXPECT_EQ(none.text.rfind("error,", 0), 0u);
  EXPECT_EQ(none.text.find('\n'), none.text.size() - 1);
  EXPECT_THROW(Optimise({Fixture("mesh_small.lo.xls")}), UsageError);
  EXPECT_THROW(Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_small.lo.xls"), "--initial",
                         "median"}),
               UsageError);
}

}  // namespace
}  // namespace ombrix::cli
