#include "import/point_import.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "fakes/error_capture.h"
#include "fakes/fake_context.h"
#include "import/mesh_import.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

using testing::FakeEnvironment;
using testing::MemoryWorkbook;

class PointImportTest : public ::testing::Test {
 protected:
  void Import(const MemoryWorkbook& book, const std::string& path = "/data/points.xls") {
    env.workbooks.books[path] = book;
    env.dialogs.file_answers.push_back(path);
    CommandContext ctx = env.Context();
    RandomDataLoad_Click(ctx);
  }
  FakeEnvironment env;
};

MemoryWorkbook TwoPoints() {
  MemoryWorkbook book;
  book.Set("A3", 2).Set("C3", 1).Set("D3", 2).Set("E3", 10).Set("C4", 3).Set("D4", 4).Set("E4", 20);
  book.Set("C2", CellValue::Text("x")).Set("C5", 99);  // outside the list
  return book;
}

// The values read are checked through the points command on the fixture workbooks.
TEST_F(PointImportTest, ReplacesThePointsAndFailuresOrEscLeaveTheOnesItHad) {
  Import(TwoPoints());
  EXPECT_EQ(env.model.PointX(2), 3);
  EXPECT_EQ(env.model.PointX.upper(), 4);

  MemoryWorkbook bad = TwoPoints();
  bad.Set("E4", CellValue::Text("n/a"));
  Import(bad);
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text,
            "エラー番号： 13　セル E4 の値 \"n/a\" は数値ではありません。\r読み込みを中断します。");
  EXPECT_EQ(env.model.PointCount, 2);

  MemoryWorkbook negative = TwoPoints();
  negative.Set("A3", -3);
  Import(negative);
  EXPECT_EQ(env.dialogs.messages.back().text,
            "エラー番号： 9　セル A3 の点数 -3 は負の数です。\r読み込みを中断します。");
  EXPECT_EQ(env.model.PointCount, 2);
  const RunError e = ErrorOf([] { ReadPointWorkbook(TwoPoints().Set("D4", INFINITY)); });
  EXPECT_EQ(e.number(), err::kTypeMismatch);
  EXPECT_EQ(e.description(), "点 2 (4 行目) のセル D4 の値 inf は有限の数ではありません。");

  // Esc while reading a third point drops what was read.
  std::atomic<bool> esc{false};
  env.events.on_process = [&] {
    env.events.cancel = true;
    esc = true;
  };
  env.workbooks.on_open = [&] {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!esc.load() && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  Import(TwoPoints().Set("A3", 3).Set("C5", 5).Set("D5", 6).Set("E5", 30), "/data/three.xls");
  EXPECT_EQ(env.dialogs.messages.size(), 2u);
  EXPECT_EQ(env.model.PointCount, 2);
  EXPECT_EQ(env.windows.log.back(), "Status ランダム数値データの読み込みを中止しました。");
  EXPECT_EQ(env.windows.pointer, MousePointer::Default);
}

}  // namespace
}  // namespace ombrix
