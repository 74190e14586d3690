// No command writes over one of its inputs, whatever names or links lead to it; names are
// bytes, written and reported as given.

#include "cli/output_identity.h"

#include <gtest/gtest.h>

#include <QImage>

#include "cli/contour_commands.h"
#include "cli_files.h"
#include "fakes/temp_folder.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;
using ombrix::testing::Call;
using ombrix::testing::Content;
using ombrix::testing::Fixture;
using ombrix::testing::Printed;

TEST(OutputIdentity, AnInputIsNeverOverwrittenThroughAnyNameOrLink) {
  ombrix::testing::TempFolder dir;
  const std::string mesh = dir / "m.xlsx";
  fs::copy_file(Fixture("mesh_small.lo.xlsx"), mesh);
  const std::string original = Content(mesh);
  fs::create_hard_link(mesh, dir / "hard.png");
  fs::create_symlink(mesh, dir / "soft.png");
  fs::create_directory(dir / "sub");
  const std::vector<std::vector<std::string>> runs = {
      {mesh, "-o", dir / "hard.png"},
      {mesh, "-o", dir / "soft.png"},
      {mesh, "-o", dir / "sub/../out.png", "--print-pdf", mesh},
      {mesh, "-o", dir / "out.png", "--print-pdf", dir / "sub/../hard.png"},
      {mesh, "-o", dir / "same.png", "--print-pdf", dir / "sub/../same.png"}};
  for (const auto& run : runs) {
    const Printed out = Call(RenderMap, run);
    EXPECT_EQ(out.status, kExitRunError) << run[2];
    EXPECT_EQ(out.text.rfind("error,出力先 \"", 0), 0u) << out.text;
    EXPECT_NE(out.text.find("同じファイルです"), std::string::npos) << out.text;
    EXPECT_EQ(Content(mesh), original);
  }
  const Printed legend = Call(RenderLegend, {mesh, "-o", dir / "hard.png"});
  EXPECT_EQ(legend.status, kExitRunError);
  EXPECT_NE(legend.text.find("\"" + mesh + "\""), std::string::npos) << legend.text;
  EXPECT_NE(legend.text.find("\"" + (dir / "hard.png") + "\""), std::string::npos) << legend.text;
  EXPECT_EQ(Content(mesh), original);
  EXPECT_FALSE(fs::exists(dir / "out.png"));
  EXPECT_FALSE(fs::exists(dir / "same.png"));
}

TEST(OutputIdentity, NamesThatAreNotUtf8AreWrittenAndReadAsTheirBytes) {
  ombrix::testing::TempFolder dir;
  const std::string map = dir / "map\xff.bmp";
  {
    QImage picture(8, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.path().string().append("/plain.bmp").c_str(), "BMP"));
    fs::rename(dir / "plain.bmp", map);
  }
  const std::string image = dir / "o\xff.png";
  const std::string pdf = dir / "p\xfe.pdf";
  const Printed out = Call(
      RenderMap, {Fixture("mesh_small.lo.xlsx"), "-o", image, "--map", map, "--print-pdf", pdf});
  ASSERT_EQ(out.status, kExitOk) << out.text;
  EXPECT_EQ(out.text.rfind("image," + image + ",", 0), 0u) << out.text;
  EXPECT_NE(out.text.find("pdf," + pdf + ",1"), std::string::npos) << out.text;
  EXPECT_EQ(Content(image).substr(1, 3), "PNG");
  EXPECT_EQ(Content(pdf).substr(0, 5), "%PDF-");
  // The map, the image and the PDF: no stray names.
  EXPECT_EQ(ombrix::testing::Entries(dir.path()), 3);
}

}  // namespace
}  // namespace ombrix::cli
