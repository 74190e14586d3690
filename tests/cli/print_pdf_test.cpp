// The printed PDF read back, its streams inflated with zlib. Which labels go on the page, and in
// what order, is the printer copy's test; here the labels' fill colours show they were drawn.

#include <gtest/gtest.h>
#include <zlib.h>

#include "cli_files.h"
#include "fakes/temp_folder.h"

#include <algorithm>
#include <cmath>
#include <regex>
#include <set>
#include <tuple>

#include "cli/contour_commands.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;
using ombrix::testing::Fixture;
using Colour = std::tuple<int, int, int>;

// Every stream of the file joined, inflated where it is compressed (inflate fails otherwise).
std::string Streams(const std::string& pdf) {
  std::string all;
  for (std::size_t at = 0; (at = pdf.find("stream\n", at)) != std::string::npos;) {
    const std::size_t begin = at + 7;
    at = pdf.find("endstream", begin);
    std::string raw = pdf.substr(begin, at - begin);
    std::string out;
    z_stream zs{};
    zs.next_in = reinterpret_cast<Bytef*>(raw.data());
    zs.avail_in = static_cast<uInt>(raw.size());
    int status = inflateInit(&zs);
    for (char buffer[16384]; status == Z_OK; out.append(buffer, sizeof buffer - zs.avail_out)) {
      zs.next_out = reinterpret_cast<Bytef*>(buffer);
      zs.avail_out = sizeof buffer;
      status = inflate(&zs, Z_NO_FLUSH);
    }
    inflateEnd(&zs);
    all += (status == Z_STREAM_END ? out : raw) + "\n";
  }
  return all;
}

// The colours set by an operator ("SCN" for lines, "scn" for fills), as 0..255 components.
std::set<Colour> Colours(const std::string& content, const std::string& op) {
  std::set<Colour> out;
  const std::regex pattern("([0-9.]+) ([0-9.]+) ([0-9.]+) " + op + "\\b");
  const auto byte = [](const std::ssub_match& m) {
    return static_cast<int>(std::lround(std::stod(m) * 255));
  };
  for (std::sregex_iterator it(content.begin(), content.end(), pattern), end; it != end; ++it)
    out.emplace(byte((*it)[1]), byte((*it)[2]), byte((*it)[3]));
  return out;
}

int Occurrences(const std::string& text, const std::string& pattern) {
  const std::regex re(pattern);
  return static_cast<int>(
      std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

class PrintPdfTest : public ::testing::Test {
 protected:
  // Prints the small mesh (a 800 x 400 frame at (30, 20), levels 1..29, labels at multiples of
  // 5) and checks the page: A4 landscape drawn in printer pixels (600 an inch, 72/600 of a point
  // each, y downwards). Returns the page content.
  std::string Print(std::vector<std::string> options) {
    const fs::path pdf = dir_ / "map.pdf";
    std::vector<std::string> args = {Fixture("mesh_small.lo.xlsx"), "-o",
                                     (dir_ / "map.png").string(), "--print-pdf", pdf.string()};
    args.insert(args.end(), options.begin(), options.end());
    const ombrix::testing::Printed out = ombrix::testing::Call(RenderMap, args);
    EXPECT_EQ(out.status, kExitOk) << out.text;
    // One document of one page, and only the finished files are left.
    EXPECT_NE(out.text.find("\npdf," + pdf.string() + ",1\n"), std::string::npos) << out.text;
    EXPECT_TRUE(fs::exists(dir_ / "map.png"));
    EXPECT_EQ(ombrix::testing::Entries(dir_), 2);
    const std::string file = ombrix::testing::Content(pdf);
    const std::string content = Streams(file);
    EXPECT_NE(file.find("/Count 1"), std::string::npos);
    EXPECT_NE(file.find("/MediaBox [0 0 842.000000 595.000000]"), std::string::npos);
    EXPECT_NE(content.find("0.120000000 0 0 -0.120000000 0 595 cm"), std::string::npos);
    // The font is sized once, in printer pixels: 16 points at 600 dpi.
    EXPECT_GT(Occurrences(content, "/F[0-9]+ 133 Tf"), 0);
    EXPECT_EQ(Occurrences(content, " Tf"), Occurrences(content, "/F[0-9]+ 133 Tf"));
    return content;
  }

  ombrix::testing::TempFolder folder_;
  const fs::path dir_ = folder_.path();
};

TEST_F(PrintPdfTest, NothingModePrintsTheScreensColoursOnAPageOfPicturePixels) {
  const std::string content = Print({"--mode", "nothing"});
  // The frame, blue segments, red multiples of 5; the labels in green.
  EXPECT_EQ(Colours(content, "SCN"),
            (std::set<Colour>{{240, 240, 0}, {0, 0, 255}, {255, 0, 0}, {0, 150, 0}}));
  EXPECT_EQ(Colours(content, "scn"), (std::set<Colour>{{0, 150, 0}}));
  EXPECT_GT(Occurrences(content, "\\d+ \\d+ m\n\\d+ \\d+ l\nS"), 10);
  // The 7017 x 4958-pixel sheet spans 1123 x 793 picture pixels (15 twips each): the frame
  // (30, 20)-(830, 420) is scaled to it.
  EXPECT_NE(content.find("187 125 4999 2501 re\nS"), std::string::npos) << content.substr(0, 400);
}

TEST_F(PrintPdfTest, EasyModePrintsGreenShadesWhiteLinesAndMagentaLabels) {
  const std::string content = Print({"--mode", "easy"});
  // Points: the frame at (30, 20) points is (250, 167) printer pixels.
  EXPECT_NE(content.find("250 167 6667 3333 re\nS"), std::string::npos);
  EXPECT_EQ(Colours(content, "SCN"),
            (std::set<Colour>{{240, 240, 0}, {255, 255, 255}, {255, 255, 0}, {255, 0, 255}}));
  // Filled quarter cells in shades of pure green, and the magenta label text.
  const std::set<Colour> fills = Colours(content, "scn");
  EXPECT_TRUE(fills.count({255, 0, 255}));
  EXPECT_GT(std::count_if(fills.begin(), fills.end(),
                          [](const Colour& c) {
                            const auto& [r, g, b] = c;
                            return r == 0 && b == 0 && g >= 100;
                          }),
            1);
  EXPECT_EQ(Occurrences(content, " re\nf\n"), 8);  // 2 cells, 4 quarters each
}

TEST_F(PrintPdfTest, NormalModePrintsOnlyTheLastDividedDrawingsBandPolygons) {
  const std::string content = Print({"--mode", "normal", "--divide", "2"});
  // 2.4 twips per printer pixel: the frame from 72 to 72 + 1920.
  EXPECT_NE(content.find("72 48 1920 960 re\nS"), std::string::npos);
  const std::set<Colour> lines = Colours(content, "SCN");
  EXPECT_TRUE(lines.count({255, 255, 255}));
  EXPECT_TRUE(lines.count({255, 255, 0}));
  EXPECT_FALSE(lines.count({0, 0, 255}));
  // Polygons filled and outlined in one band colour (the "B" operator).
  EXPECT_GT(Occurrences(content, "\nh\nB\n"), 8);
  EXPECT_GT(Colours(content, "scn").size(), 5u);
  EXPECT_TRUE(Colours(content, "scn").count({255, 0, 255}));
}

TEST_F(PrintPdfTest, AnUnreachablePrinterIsAnErrorAndWritesNothing) {
  const fs::path pdf = dir_ / "missing" / "map.pdf";
  ombrix::testing::ExpectErrorLine(
      ombrix::testing::Call(RenderMap, {Fixture("mesh_small.lo.xlsx"), "-o",
                                        (dir_ / "map.png").string(), "--print-pdf", pdf.string()}),
      "error,PDF ファイル \"" + pdf.string() + "\" に出力できません: ");
  EXPECT_EQ(fs::directory_iterator(dir_), fs::directory_iterator());  // no image, no PDF
}

}  // namespace
}  // namespace ombrix::cli
