#include "cli/contour_commands.h"

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

Output Segments(std::vector<std::string> args) {
  std::ostringstream out;
  const int status = PrintSegments(args, out);
  return {status, out.str()};
}

Output Levels(std::vector<std::string> args) {
  std::ostringstream out;
  const int status = PrintLevels(args, out);
  return {status, out.str()};
}

TEST(SegmentsCommand, PrintsEveryLevelsSegmentsInListOrder) {
  const Output out = Segments({Fixture("mesh_small.lo.xls")});
  ASSERT_EQ(out.status, kExitOk);
  // Level 1 first meets the third triangle of cell (1, 1) (x 10, z 2 -> 0, centre 1.875):
  // crossings at (y 5, x 10) and (y 2.666..., x 7.333...), mapped at 40 pixels a unit.
  EXPECT_EQ(out.text.substr(0, out.text.find('\n')),
            "1,1,431,219,324.33333333333337,312.33333333333337,-1");
  EXPECT_NE(out.text.find("\n5,2,764.3333333333335,419,768.2549019607843,356.2549019607843,-1\n"),
            std::string::npos);
  EXPECT_EQ(std::count(out.text.begin(), out.text.end(), '\n'), 17);
  // The same workbook written by another program gives the same segments.
  EXPECT_EQ(Segments({Fixture("mesh_small.openpyxl.xlsx")}).text, out.text);
}

TEST(SegmentsCommand, PlateausPrintTheirSuppressedInnerEdges) {
  // mesh_counts_halves has the integer-valued rows 1, 2 / 3, 4 / ...: levels run through nodes.
  const Output out = Segments({Fixture("mesh_counts_halves.lo.xls")});
  ASSERT_EQ(out.status, kExitOk);
  EXPECT_NE(out.text.find(",-1\n"), std::string::npos);
}

TEST(SegmentsCommand, OptionsAndTheirEdges) {
  const Output wide = Segments({Fixture("mesh_small.lo.xls"), "--interval", "2"});
  EXPECT_EQ(wide.text.rfind("2,", 0), 0u);  // levels 2 and 4 only
  EXPECT_EQ(wide.text.find("\n1,"), std::string::npos);
  EXPECT_EQ(wide.text.find("\n3,"), std::string::npos);
  EXPECT_EQ(Segments({Fixture("mesh_small.lo.xls"), "--interval", "0"}).text, "");
  const Output thin = Segments({Fixture("mesh_small.lo.xls"), "--line-width", "0"});
  EXPECT_EQ(thin.status, kExitOk);
  EXPECT_EQ(thin.text, "");
  EXPECT_THROW(Segments({Fixture("mesh_small.lo.xls"), "--divide", "2"}), UsageError);
  EXPECT_THROW(Segments({Fixture("mesh_small.lo.xls"), "--interval"}), UsageError);
  EXPECT_THROW(Segments({Fixture("mesh_small.lo.xls"), "--interval", "x"}), UsageError);
  EXPECT_THROW(Segments({}), UsageError);
}

TEST(SegmentsCommand, RunTimeErrorsPrintOneLine) {
  const Output bad = Segments({Fixture("mesh_text_value.xlwt.xls")});
  EXPECT_EQ(bad.status, kExitRunError);
  EXPECT_EQ(bad.text, "error,セル H7 の値 \"n/a\" は数値ではありません。\n");
  const Output missing = Segments({Fixture("no_such_mesh.xlsx")});
  EXPECT_EQ(missing.status, kExitRunError);
  EXPECT_EQ(missing.text.rfind("error,", 0), 0u);
}

TEST(LevelsCommand, PrintsTheSeriesAndTheColourThresholds) {
  const Output out = Levels({Fixture("mesh_small.lo.xls")});
  ASSERT_EQ(out.status, kExitOk);
  EXPECT_EQ(out.text.substr(0, out.text.find("colorlevel")),
            "first,1\ntop,6\nlabelunit,5\ndatamin,0\ndatamax,6\n");
  // Low 1, high 6, step 5/16: thresholds cut down to one decimal.
  EXPECT_NE(out.text.find("colorlevel,0,6\ncolorlevel,1,5.6\ncolorlevel,2,5.3\n"),
            std::string::npos);
  EXPECT_NE(out.text.find("colorlevel,16,1\n"), std::string::npos);
  const Output stepped = Levels({Fixture("mesh_smooth_40x30.lo.xlsx"), "--interval", "5"});
  EXPECT_NE(stepped.text.find("labelunit,10\n"), std::string::npos);
  const std::string first = stepped.text.substr(6, stepped.text.find('\n') - 6);
  EXPECT_EQ(std::stoi(first) % 5, 0) << stepped.text;
}

}  // namespace
}  // namespace ombrix::cli
