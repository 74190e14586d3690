#include "import/mesh_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <thread>

#include "fakes/error_capture.h"
#include "fakes/fake_context.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

using testing::FakeEnvironment;
using testing::MemoryWorkbook;

// The 3 x 2 sheet: x 0, 10, 20 along G4:I4, y 10, 0 down E6:E7, values in G6:I7.
MemoryWorkbook SmallMesh() {
  MemoryWorkbook book;
  book.Set("F3", 3).Set("D5", 2);
  book.Set("B13", 1).Set("B14", 2).Set("B15", 10).Set("B19", 1.5).Set("B20", 1e-6);
  book.Set("G4", 0).Set("H4", 10).Set("I4", 20);
  book.Set("E6", 10).Set("E7", 0);
  book.Set("G6", 1.5).Set("H6", 2).Set("I6", 3.25);
  book.Set("G7", 4).Set("H7", 0).Set("I7", 6);
  // Outside the layout: must change nothing.
  book.Set("A1", CellValue::Text("small mesh")).Set("B16", CellValue::Text("note"));
  book.Set("J6", CellValue::Text("not a node")).Set("G8", CellValue::Text("below the mesh"));
  return book;
}

class MeshImportTest : public ::testing::Test {
 protected:
  void Import(const MemoryWorkbook& book, const std::string& path = "/data/mesh.xlsx") {
    env.workbooks.books[path] = book;
    env.dialogs.file_answers.push_back(path);
    CommandContext ctx = env.Context();
    MeshDataLoad_Click(ctx);
  }

  FakeEnvironment env;
};

TEST_F(MeshImportTest, ReadsTheLayoutDrawsTheEmptyFrameAndHidesTheLegend) {
  env.model.MapLoaded = 1;
  env.window.MapPicture.width = 4;
  env.model.TriangleCount = 8;  // the old mesh's: a division must not find them
  MemoryWorkbook book = SmallMesh();
  book.Set("I7", CellValue::Boolean(true));  // TRUE reads -1
  Import(book);
  const MeshModel& m = env.model;
  EXPECT_EQ(env.dialogs.file_filters.at(0),
            "エクセル ファイル (*.xls *.xlsx)|*.xls;*.xlsx|"
            "ラスター格子 (*.tif *.tiff *.asc)|*.tif;*.tiff;*.asc|");
  EXPECT_EQ(m.TriangleCount, 0);
  EXPECT_EQ(m.NodeValue(1, 3), 3.25);
  EXPECT_EQ(m.NodeValue(2, 3), -1);
  EXPECT_EQ(m.NodeBlank(2, 2), 0);  // the number 0 is a value
  EXPECT_EQ(m.CurvatureWeight, 2);
  EXPECT_EQ(m.ConvergenceLimit, 1e-6);
  EXPECT_EQ(env.window.MeshFileName, "/data/mesh.xlsx");
  // Ranges 20 and 10: an 800 x 400 frame.
  const std::vector<std::string> tail(env.picture.calls.end() - 4, env.picture.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"ScaleMode 3", "Cls", "Box 30 20 830 420 #f0f000",
                                            "Refresh"}));
  EXPECT_EQ(m.MapLoaded, 0);
  EXPECT_TRUE(env.window.MapPicture.empty());
  ASSERT_GE(env.windows.log.size(), 2u);
  EXPECT_EQ(env.windows.log.end()[-2], "Hide Legend");
  EXPECT_EQ(env.windows.log.back(), "Status メッシュを読み込みました: 3 × 2 節点  /data/mesh.xlsx");
  EXPECT_NE(std::find(env.windows.log.begin(), env.windows.log.end(), "Pointer 11"),
            env.windows.log.end());  // busy while reading
}

TEST_F(MeshImportTest, AFailedOrStoppedImportChangesNothing) {
  Import(SmallMesh(), "/data/good.xls");
  env.picture.calls.clear();
  env.windows.log.clear();
  const auto assert_unchanged = [&] {
    EXPECT_EQ(env.window.MeshFileName, "/data/good.xls");
    EXPECT_EQ(env.model.NodeCountX, 3);  // data is committed whole or not at all
    EXPECT_TRUE(env.picture.calls.empty());
    EXPECT_EQ(env.windows.pointer, MousePointer::Default);
  };

  MemoryWorkbook text = SmallMesh();
  text.Set("H7", CellValue::Text("abc"));
  Import(text, "/data/bad.xls");
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text,
            "エラー番号： 13　セル H7 の値 \"abc\" は数値ではありません。\r読み込みを中断します。");
  assert_unchanged();

  env.dialogs.file_answers.push_back("/data/missing.xls");
  CommandContext ctx = env.Context();
  MeshDataLoad_Click(ctx);
  EXPECT_EQ(env.dialogs.messages.back().text.rfind("エラー番号： 53　", 0), 0u);
  assert_unchanged();

  env.dialogs.file_answers.push_back(std::nullopt);  // cancelled
  MeshDataLoad_Click(ctx);
  EXPECT_EQ(env.dialogs.messages.size(), 2u);
  assert_unchanged();

  // Esc while reading drops what was read (serving the window meanwhile is RunBeside's).
  std::atomic<int> seen{0};
  env.events.on_process = [&] {
    ++seen;
    env.events.cancel = true;
  };
  env.workbooks.on_open = [&seen] {  // a read kept busy until two rounds of events are served
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (seen.load() < 2 && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  Import(SmallMesh().Set("F3", 2).Set("I6", 99), "/data/other.xls");
  EXPECT_EQ(env.dialogs.messages.size(), 2u);
  assert_unchanged();
  EXPECT_EQ(env.windows.log.back(), "Status メッシュの読み込みを中止しました。");
}

TEST_F(MeshImportTest, NonFiniteValuesCoordinatesOutOfOrderAndOverflowingSpansNameTheCell) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* cell;
    double value;
    int number;
    const char* named;
    const char* other = "G6";  // a second cell, so that a span can overflow
    double other_value = 1.5;
  } cases[] = {{"G6", std::nan(""), 13, "セル G6 の節点の値 nan"},
               {"I4", inf, 13, "セル I4 の x 座標 inf"},
               {"E7", -inf, 13, "セル E7 の y 座標 -inf"},
               {"B19", inf, 13, "セル B19 のパラメーター inf"},
               {"H4", -5, 6, "セル H4 の -5 が左隣のセル G4 の 0"},
               {"H4", 0, 6,
                "x 座標は左から右へ増えていなければなりません: セル H4 の 0 が左隣のセル G4 の 0"},
               {"E7", 10, 6,
                "y 座標は上から下へ減っていなければなりません: セル E7 の 10 が上のセル E6 の 10"},
               {"G4", -1.7e308, 6, "x 座標の幅 (セル G4 から I4)", "I4", 1.7e308},
               {"I7", -1.7e308, 6, "セル I7 の -1.7e+308 からセル G6 の 1.7e+308", "G6", 1.7e308}};
  for (const auto& c : cases) {
    MemoryWorkbook book = SmallMesh();
    book.Set(c.other, c.other_value).Set(c.cell, c.value);
    const RunError e = ErrorOf([&] { ReadMeshWorkbook(book); });
    EXPECT_EQ(e.number(), c.number) << c.cell;
    EXPECT_NE(e.description().find(c.named), std::string::npos) << e.description();
  }
}

// Counts out of range name their cell, or both; none reserves gigabytes or reads a node.
TEST_F(MeshImportTest, CountsAreCheckedBeforeAnythingIsAllocated) {
  const struct {
    std::optional<double> f3;
    double d5;
    int number;
    const char* named;
    int most_reads;
  } cases[] = {
      {3, -1, 9, "セル D5 の行数 -1 ではメッシュになりません。メッシュの行数は 2 以上です。", 7},
      {std::nullopt, 198'905'700, 9, "セル F3 の列数 0 ではメッシュになりません", 7},
      {2, 198'905'700, 9, "セル D5 の行数 198905700 はメッシュの上限 12500000 を超えます", 7},
      {14'000'000, 2, 9, "セル F3 の列数 14000000 はメッシュの上限", 7},
      {6000, 5000, 7, "6000 × 5000 = 30000000 節点は上限 25000000 節点を超えます (セル F3, D5)", 7},
      {2, 12'000'000, 6, "セル E8 の 0 が上のセル E7 の 0 より小さくありません",
       7 + 2 + 12'000'000}};
  for (const auto& c : cases) {
    MemoryWorkbook book = SmallMesh();
    book.Set("D5", c.d5);
    book.Set("F3", c.f3 ? CellValue::Number(*c.f3) : CellValue::Empty());
    const RunError e = ErrorOf([&] { ReadMeshWorkbook(book); });
    EXPECT_EQ(e.number(), c.number) << c.named;
    EXPECT_NE(e.description().find(c.named), std::string::npos) << e.description();
    EXPECT_LE(book.reads, c.most_reads) << c.named;  // no node cell read
  }
}

// A 7 x 9 mesh with blanks and texts of numbers: two halves of rows read what one pass reads.
TEST(MeshImportHalves, RowHalvesReadWhatOnePassReads) {
  MemoryWorkbook book;
  book.Set("F3", 7).Set("D5", 9);
  for (int j = 1; j <= 7; ++j)
    book.Set(CellName(4, j + 6), j * 10.0);
  for (int i = 1; i <= 9; ++i) {
    book.Set(CellName(i + 5, 5), 100.0 - i);
    for (int j = 1; j <= 7; ++j) {
      if ((i * 7 + j) % 5 != 0)  // else a blank node
        book.Set(CellName(i + 5, j + 6), j % 3 == 0 ? CellValue::Text(std::to_string(i * 0.5 + j))
                                                    : CellValue::Number(i * 1.25 - j));
    }
  }
  const MeshData one = ReadMeshWorkbook(book, std::numeric_limits<std::int64_t>::max());
  const MeshData halves = ReadMeshWorkbook(book, 0);
  for (int i = -1; i <= 10; ++i) {
    for (int j = -1; j <= 8; ++j) {
      EXPECT_EQ(one.NodeValue(i, j), halves.NodeValue(i, j)) << i << " " << j;
      EXPECT_EQ(one.NodeBlank(i, j), halves.NodeBlank(i, j)) << i << " " << j;
    }
  }
  EXPECT_EQ(one.NodeBlank(9, 2), 1);             // (9 * 7 + 2) % 5 == 0
  EXPECT_EQ(one.NodeValue(9, 4), 9 * 1.25 - 4);  // a row of the second half

  // The halves rethrow the reading's own error: the cell it names is the first bad one.
  const auto refusal = [](const MemoryWorkbook& bad) {
    return ErrorOf([&] { ReadMeshWorkbook(bad, 0); }).description();
  };
  MemoryWorkbook bad = book;
  bad.Set("H13", CellValue::Text("x"));  // node row 8: the second half
  EXPECT_NE(refusal(bad).find("セル H13"), std::string::npos) << refusal(bad);
  bad.Set("I7", CellValue::Error("#N/A"));  // node row 2: the first half
  EXPECT_NE(refusal(bad).find("セル I7"), std::string::npos) << refusal(bad);
}

}  // namespace
}  // namespace ombrix
