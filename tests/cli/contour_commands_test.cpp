#include "cli/contour_commands.h"

#include <gtest/gtest.h>

#include "fakes/fixture_path.h"

#include <algorithm>
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
  return {PrintSegments(args, out), out.str()};  // braced: the call runs first
}

Output Levels(std::vector<std::string> args) {
  std::ostringstream out;
  return {PrintLevels(args, out), out.str()};
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
}

TEST(SegmentsCommand, OptionsUsageAndRunTimeErrors) {
  const std::string mesh = Fixture("mesh_small.lo.xls");
  const Output wide = Segments({mesh, "--interval", "2"});
  EXPECT_EQ(wide.text.rfind("2,", 0), 0u);  // levels 2 and 4 only
  EXPECT_EQ(wide.text.find("\n3,"), std::string::npos);
  EXPECT_EQ(Segments({mesh, "--interval", "0"}).text, "");
  const Output thin = Segments({mesh, "--line-width", "0"});
  EXPECT_EQ(thin.status, kExitOk);
  EXPECT_EQ(thin.text, "");
  const std::vector<std::vector<std::string>> usage = {{},
                                                       {mesh, "--interval"},
                                                       {mesh, "--interval", "x"},
                                                       {mesh, "--divide"},
                                                       {mesh, "--divide", "0"},
                                                       {mesh, "--divide", "-1"},
                                                       {mesh, "--divide", "2.5"}};
  for (const auto& args : usage)
    EXPECT_THROW(Segments(args), UsageError) << args.size();
  // mesh_small has 8 triangles: 13 divisions would make 8 * 4^12 of them.
  const Output huge = Segments({mesh, "--divide", "13"});
  EXPECT_EQ(huge.status, kExitRunError);
  EXPECT_EQ(huge.text.rfind("error,", 0), 0u);
  EXPECT_NE(huge.text.find(" 134217728 個"), std::string::npos) << huge.text;
  const Output bad = Segments({Fixture("mesh_text_value.xlwt.xls")});
  EXPECT_EQ(bad.status, kExitRunError);
  EXPECT_EQ(bad.text, "error,セル H7 の値 \"n/a\" は数値ではありません。\n");
  EXPECT_EQ(Segments({Fixture("no_such_mesh.xlsx")}).text.rfind("error,", 0), 0u);
}

// A printed segment line: "L,m,X1,Y1,X2,Y2,State".
struct PrintedSegment {
  int level, index;
  double x1, y1, x2, y2;
  int state;
};

std::vector<PrintedSegment> Parse(const std::string& text) {
  std::vector<PrintedSegment> out;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    PrintedSegment s{};
    char c = 0;
    std::istringstream fields(line);
    fields >> s.level >> c >> s.index >> c >> s.x1 >> c >> s.y1 >> c >> s.x2 >> c >> s.y2 >> c >>
        s.state;
    EXPECT_TRUE(fields && fields.eof()) << line;
    out.push_back(s);
  }
  return out;
}

// Where the finer triangles' contours lie is fixed by the division's own tests (exact midpoint
// values, four triangles in each one's block, the flags they inherit) and the contour loop's
// slow reference; here what the command prints of a divided map.
TEST(SegmentsCommand, DividedMapsPrintOnlyTheDividedDrawingEachLevelOnce) {
  for (const char* mesh : {"mesh_small.lo.xls", "mesh_smooth_40x30.lo.xlsx"}) {
    const Output plain = Segments({Fixture(mesh)});
    ASSERT_EQ(plain.status, kExitOk);
    // One division leaves the triangles as they are.
    EXPECT_EQ(Segments({Fixture(mesh), "--divide", "1"}).text, plain.text) << mesh;
    const std::size_t undivided = Parse(plain.text).size();
    for (const char* divide : {"2", "3"}) {
      const Output out = Segments({Fixture(mesh), "--divide", divide});
      ASSERT_EQ(out.status, kExitOk) << out.text;
      const std::vector<PrintedSegment> divided = Parse(out.text);
      ASSERT_GT(divided.size(), undivided) << mesh << " " << divide;
      // Each level once, ascending, its segments numbered from 1.
      for (std::size_t k = 1; k < divided.size(); ++k) {
        const bool same_level = divided[k].level == divided[k - 1].level;
        ASSERT_TRUE(same_level || divided[k].level > divided[k - 1].level) << k;
        EXPECT_EQ(divided[k].index, same_level ? divided[k - 1].index + 1 : 1) << k;
      }
    }
  }
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
