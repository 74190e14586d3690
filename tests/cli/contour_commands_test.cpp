#include "cli/contour_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cli/arguments.h"
#include "cli_files.h"

namespace ombrix::cli {
namespace {

using ombrix::testing::Call;
using ombrix::testing::Fixture;
using ombrix::testing::Printed;

TEST(SegmentsCommand, PrintsEveryLevelsSegmentsInListOrderOptionsAndErrors) {
  const std::string mesh = Fixture("mesh_small.lo.xls");
  const Printed out = Call(PrintSegments, {mesh});
  ASSERT_EQ(out.status, kExitOk);
  // Level 1 first meets the third triangle of cell (1, 1) (x 10, z 2 -> 0, centre 1.875):
  // crossings at (y 5, x 10) and (y 2.666..., x 7.333...), mapped at 40 pixels a unit.
  EXPECT_EQ(out.text.substr(0, out.text.find('\n')),
            "1,1,431,219,324.33333333333337,312.33333333333337,-1");
  EXPECT_NE(out.text.find("\n5,2,764.3333333333335,419,768.2549019607843,356.2549019607843,-1\n"),
            std::string::npos);
  EXPECT_EQ(std::count(out.text.begin(), out.text.end(), '\n'), 17);
  const Printed wide = Call(PrintSegments, {mesh, "--interval", "2"});
  EXPECT_EQ(wide.text.rfind("2,", 0), 0u);  // levels 2 and 4 only
  EXPECT_EQ(wide.text.find("\n3,"), std::string::npos);
  EXPECT_EQ(Call(PrintSegments, {mesh, "--interval", "0"}).text, "");
  EXPECT_EQ(Call(PrintSegments, {mesh, "--line-width", "0"}).text, "");  // not even an error
  const std::vector<std::vector<std::string>> usage = {{},
                                                       {mesh, "--interval"},
                                                       {mesh, "--interval", "x"},
                                                       {mesh, "--divide"},
                                                       {mesh, "--divide", "0"},
                                                       {mesh, "--divide", "-1"},
                                                       {mesh, "--divide", "2.5"}};
  for (const auto& args : usage)
    EXPECT_THROW(Call(PrintSegments, args), UsageError) << args.size();
  // mesh_small has 8 triangles: 13 divisions would make 8 * 4^12 of them.
  ombrix::testing::ExpectErrorLine(Call(PrintSegments, {mesh, "--divide", "13"}), " 134217728 個");
  ombrix::testing::ExpectErrorLine(Call(PrintSegments, {Fixture("mesh_text_value.xlwt.xls")}),
                                   "error,セル H7 の値 \"n/a\" は数値ではありません。\n");
  EXPECT_EQ(Call(PrintSegments, {Fixture("no_such_mesh.xlsx")}).text.rfind("error,", 0), 0u);
}

// Where the finer triangles' contours lie is the division's and the contour loop's tests; here
// what the command prints of a divided map.
TEST(SegmentsCommand, DividedMapsPrintOnlyTheDividedDrawing) {
  for (const char* mesh : {"mesh_small.lo.xls", "mesh_smooth_40x30.lo.xlsx"}) {
    SCOPED_TRACE(mesh);
    const Printed plain = Call(PrintSegments, {Fixture(mesh)});
    // One division leaves the triangles as they are.
    EXPECT_EQ(Call(PrintSegments, {Fixture(mesh), "--divide", "1"}).text, plain.text);
    const Printed divided = Call(PrintSegments, {Fixture(mesh), "--divide", "3"});
    ASSERT_EQ(divided.status, kExitOk) << divided.text;
    EXPECT_GT(divided.text.size(), plain.text.size());
    // Each level's segments are numbered from 1 once: one drawing printed, not two.
    std::set<std::string> levels;
    int firsts = 0;
    std::istringstream lines(divided.text);
    for (std::string line; std::getline(lines, line);) {
      levels.insert(line.substr(0, line.find(',')));
      firsts += line.find(",1,") == line.find(',');
    }
    EXPECT_EQ(firsts, std::ssize(levels));
  }
}

TEST(LevelsCommand, PrintsTheSeriesAndTheColourThresholds) {
  const Printed out = Call(PrintLevels, {Fixture("mesh_small.lo.xls")});
  ASSERT_EQ(out.status, kExitOk);
  EXPECT_EQ(out.text.substr(0, out.text.find("colorlevel")),
            "first,1\ntop,6\nlabelunit,5\ndatamin,0\ndatamax,6\n");
  // Low 1, high 6, step 5/16: thresholds cut down to one decimal.
  EXPECT_NE(out.text.find("colorlevel,0,6\ncolorlevel,1,5.6\ncolorlevel,2,5.3\n"),
            std::string::npos);
  EXPECT_NE(out.text.find("colorlevel,16,1\n"), std::string::npos);
  const Printed stepped =
      Call(PrintLevels, {Fixture("mesh_smooth_40x30.lo.xlsx"), "--interval", "5"});
  EXPECT_NE(stepped.text.find("labelunit,10\n"), std::string::npos);
  EXPECT_EQ(std::stoi(stepped.text.substr(6)) % 5, 0) << stepped.text;  // after "first,"
}

}  // namespace
}  // namespace ombrix::cli
