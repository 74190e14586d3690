#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <vector>

#include "app/twips.h"
#include "fakes/memory_workbook.h"
#include "fakes/scripted_dialogs.h"
#include "fakes/temp_folder.h"
#include "gis/gdal_handles.h"
#include "optimise/optimise_fixture.h"

namespace ombrix::app {
namespace {

// A 2 x 2 mesh 1000 wide and 1500 high: a frame of 400 x 600.
void FillTallMesh(testing::MemoryWorkbook& book) {
  book.Set("F3", 2).Set("D5", 2).Set("G4", 0).Set("H4", 1000).Set("E6", 1500).Set("E7", 0);
  book.Set("G6", 1).Set("H6", 2).Set("G7", 3).Set("H7", 4);
}

// A 3 x 2 mesh 20 wide and 10 high with values from 0 to 6.
void FillWideMesh(testing::MemoryWorkbook& book) {
  book.Set("F3", 3).Set("D5", 2).Set("G4", 0).Set("H4", 10).Set("I4", 20).Set("E6", 10);
  book.Set("E7", 0).Set("G6", 1.5).Set("H6", 2).Set("I6", 3.25).Set("G7", 4).Set("H7", 0);
  book.Set("I7", 6);
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : window([this] { ++end_calls; }) {
    window.UseDialogs(dialogs);
    window.UseWorkbookOpener(books);
  }

  QAction* Item(const char* name) {
    QAction* action = window.findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
  }
  void Click(const char* name) { Item(name)->trigger(); }
  bool Checked(const char* name) { return Item(name)->isChecked(); }
  // Loads a mesh through the menu, as the user would.
  void LoadMesh(void (*fill)(testing::MemoryWorkbook&),
                const std::string& path = "/data/mesh.xls") {
    fill(books.books[path]);
    dialogs.file_answers.push_back(path);
    Click("MeshDataLoad");
  }

  int end_calls = 0;
  testing::ScriptedDialogs dialogs;
  testing::MemoryWorkbookOpener books;
  MainWindow window;
};

TEST_F(MainWindowTest, StartsWithItsCaptionsMenusDefaultsAndOneCheckMarkPerGroup) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Ombrix  ver.4.23"));
  EXPECT_EQ(window.objectName(), QStringLiteral("Form1"));
  EXPECT_FALSE(window.model().NodeX.allocated());
  const std::pair<const char*, const char*> items[] = {
      {"MeshDataLoad", "メッシュ数値データ"},    {"Sprite", "スプライト処理"},
      {"WeightedFivePoint", "重み付５点平均値"}, {"InfomationDisp2", "残差情報"},
      {"MeshOptimizing", "メッシュ最適化"},      {"AbsoluteColorIndex", "絶対カラーインデックス"},
      {"SaveContour", "コンター画像"},           {"TheEnd", "終了"},
      {"SaveContourLines", "等高線データ"},      {"ExactSolver", "高速解法（厳密解）"},
  };
  for (const auto& [name, caption] : items)
    EXPECT_EQ(Item(name)->text(), QString::fromUtf8(caption)) << name;
  QStringList bar;
  for (const QAction* action : window.menuBar()->actions())
    bar << action->text();
  EXPECT_EQ(bar, QStringList({QStringLiteral("ファイル読込"), QStringLiteral("コンター図"),
                              QStringLiteral("最適化"), QStringLiteral("色設定"),
                              QStringLiteral("ファイル書込"), QStringLiteral("終了")}));
  EXPECT_TRUE(Checked("WeightedFivePoint"));
  EXPECT_TRUE(Checked("InfomationDisp0"));
  EXPECT_TRUE(Checked("RelativeColorIndex"));
  EXPECT_FALSE(Checked("ExactSolver"));  // the relaxation is the default
  // Each option group keeps exactly one check mark.
  Click("Average");
  Click("Average");  // clicking the checked item changes nothing
  EXPECT_TRUE(Checked("Average"));
  EXPECT_FALSE(Checked("WeightedFivePoint"));
  EXPECT_EQ(window.model().InitialValueMode, 1);
  Click("InfomationDisp2");
  EXPECT_FALSE(Checked("InfomationDisp0"));
  EXPECT_EQ(window.model().InfoDisplayMode, 2);
  Click("ExactSolver");
  Click("ExactSolver");
  EXPECT_FALSE(Checked("ExactSolver"));
  EXPECT_EQ(window.model().OptimizeSolver, 0);
  // The colour index items ask for bounds and move their check marks.
  dialogs.input_answers = {"-5", "20"};
  Click("AbsoluteColorIndex");
  EXPECT_EQ(window.model().ColorIndexMode, 1);
  EXPECT_FALSE(Checked("RelativeColorIndex"));

  dialogs.input_answers = {"10", "10"};
  Click("AbsoluteColorIndex");  // refused: the warning, and the absolute index stays
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(Checked("AbsoluteColorIndex"));  // Qt's toggle is undone

  Click("RelativeColorIndex");
  dialogs.input_answers = {""};
  Click("AbsoluteColorIndex");  // cancelled
  EXPECT_EQ(window.model().ColorIndexMode, 0);
  EXPECT_TRUE(Checked("RelativeColorIndex"));
  EXPECT_FALSE(Checked("AbsoluteColorIndex"));
  Click("TheEnd");
  EXPECT_EQ(end_calls, 1);
}

TEST_F(MainWindowTest, MeshMapShiftArrowsShrinkButtonPrinterCopyAndImageSaveWorkFromTheWindow) {
  testing::TempFolder folder;
  LoadMesh(FillTallMesh, folder / "mesh.xls");
  EXPECT_EQ(window.drawing_area().size(), QSize(470, 650));
  EXPECT_EQ(window.surface().image().pixel(430, 620), qRgb(240, 240, 0));  // the frame
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  const std::string picture = folder / "map.bmp";
  QImage map(4, 3, QImage::Format_RGB32);
  map.fill(qRgb(10, 200, 30));
  ASSERT_TRUE(map.save(QString::fromStdString(picture), "BMP"));
  dialogs.file_answers.push_back(picture);
  Click("LoadMap");
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
  EXPECT_EQ(window.surface().image().pixel(31, 21) & 0xFFFFFF, 0x0AC81Eu);  // at the frame

  // The key goes to whatever control has the focus; the window still sees it.
  window.show();
  window.panel().Text3->setFocus();
  QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::ShiftModifier);
  QApplication::sendEvent(window.panel().Text3, &up);
  EXPECT_EQ(window.model().MapTop, 15);
  EXPECT_EQ(window.panel().Text3->text(), QStringLiteral("2/3"));  // the text box got nothing

  Click("ContourLine");
  window.panel().Command1->click();  // "2/3" as the panel starts
  EXPECT_EQ(window.model().FrameWidth, 267);

  // With "Printer" ticked and no printer here, the copy goes to a PDF beside the workbook.
  window.panel().Check4->setChecked(true);
  Click("ContourLine");
  window.panel().Check4->setChecked(false);
  if (QPrinterInfo::defaultPrinterName().isEmpty()) {
    EXPECT_GT(std::filesystem::file_size(folder / "mesh.pdf"), 0u);
    EXPECT_TRUE(window.statusBar()->currentMessage().contains(QStringLiteral("mesh.pdf")));
  }

  // A name that is not UTF-8 is saved under its own bytes.
  dialogs.input_answers.push_back("map\xff");
  Click("SaveContour");
  EXPECT_TRUE(dialogs.messages.empty());  // none from any step of this case
  const std::string saved_path = folder / "map\xff.BMP";
  EXPECT_TRUE(window.statusBar()->currentMessage().endsWith(QString::fromStdString(saved_path)));
  EXPECT_GT(std::filesystem::file_size(saved_path), 0u);  // the bitmap: the surface save tests
}

// Dialogs that look at the window while a command asks its question.
class WatchingDialogs : public testing::ScriptedDialogs {
 public:
  std::function<void()> on_input;
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override {
    if (on_input)
      on_input();
    return ScriptedDialogs::InputBox(prompt, title, default_text);
  }
};

TEST_F(MainWindowTest, ContourAndDivisionCommandsDrawTheMapAndInTheNormalModeTheLegendBeside) {
  LoadMesh(FillWideMesh);
  Click("ContourLine");
  EXPECT_TRUE(dialogs.messages.empty());
  // Level 1 crosses the side x = 10 at y = 5: pixel (431, 219), a blue segment's first end.
  EXPECT_EQ(window.surface().image().pixel(431, 219) & 0xFFFFFF, 0x0000FFu);

  // The division keeps commands out while it asks, cancels silently, and Esc puts the list back.
  WatchingDialogs watching;
  window.UseDialogs(watching);
  bool shrink_enabled = true, menus_enabled = true;
  watching.on_input = [&] {
    shrink_enabled = window.panel().Command1->isEnabled();
    menus_enabled = window.menuBar()->isEnabled();
  };
  // Cancel (an empty answer) says nothing and changes nothing.
  watching.input_answers.push_back("");
  Click("MeshDivided");
  EXPECT_FALSE(shrink_enabled);
  EXPECT_FALSE(menus_enabled);
  EXPECT_TRUE(watching.messages.empty());
  EXPECT_TRUE(window.panel().Command1->isEnabled());

  // Esc while the divided list is drawn: the list as it was, the status line says so.
  watching.on_input = [&] {
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  };
  watching.input_answers.push_back("3");
  Click("MeshDivided");
  EXPECT_TRUE(watching.messages.empty());
  EXPECT_EQ(window.model().TriangleCount, 8);
  EXPECT_EQ(window.state().DividedMesh, 0);
  EXPECT_EQ(window.statusBar()->currentMessage(), QStringLiteral("メッシュ分割を中断しました。"));
  EXPECT_TRUE(window.menuBar()->isEnabled());
  EXPECT_TRUE(window.panel().Command1->isEnabled());
  window.UseDialogs(dialogs);

  qt::QtWindowOps& ops = window.window_ops();
  window.panel().Option3->setChecked(true);
  const WindowRect main = ops.Geometry(WindowId::Main);
  Click("ContourLine");
  EXPECT_EQ(window.state().ColorMode, 2);
  EXPECT_NE(window.surface().image().pixel(200, 300) & 0xFFFFFF, 0xFFFFFFu);  // filled
  QWidget* legend = ops.Existing(WindowId::Legend);
  ASSERT_NE(legend, nullptr);
  EXPECT_EQ(legend->objectName(), QStringLiteral("Form2"));
  EXPECT_TRUE(legend->isVisible());
  EXPECT_TRUE(legend->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // The drawing is 1740 x 7068 twips; the window is as high and wide enough for its caption.
  const QSize client(TwipsToPixels(1740, ScreenTwipsPerPixelX()),
                     TwipsToPixels(7068, ScreenTwipsPerPixelY()));
  EXPECT_EQ(window.legend_surface().image().size(), client);
  EXPECT_EQ(legend->height(), client.height());
  EXPECT_GE(legend->width(), client.width());
  EXPECT_GT(legend->width(), legend->fontMetrics().horizontalAdvance(legend->windowTitle()));
  EXPECT_NEAR(ops.Geometry(WindowId::Legend).top, main.top + 600, ops.Screen().twips_per_pixel_y);
  Click("ContourLine");  // drawn again in the same window
  EXPECT_EQ(ops.Existing(WindowId::Legend), legend);
  LoadMesh(FillWideMesh);
  EXPECT_FALSE(legend->isVisible());  // a new mesh hides it

  // Another window, placed in twips and kept on top, is still not shown.
  ops.SetGeometry(WindowId::Result, {1500, 3000, 1860, 7500});
  EXPECT_NEAR(ops.Geometry(WindowId::Result).left, 1500, ops.Screen().twips_per_pixel_x);
  ops.KeepOnTop(WindowId::Result);
  EXPECT_FALSE(ops.Existing(WindowId::Result)->isVisible());
}

TEST_F(MainWindowTest, LinesOfTheDrawnMapAreSavedAndAPointsWorkbookIsNoMeshFromTheMenu) {
  testing::TempFolder folder;
  const std::string path = folder / "lines.geojson";
  Click("SaveContourLines");  // no mesh yet
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "データがありません。ファイルを読み込んで下さい。");
  LoadMesh(FillWideMesh);
  Click("SaveContourLines");  // nothing drawn yet
  EXPECT_EQ(dialogs.messages.size(), 2u);

  Click("ContourLine");
  std::vector<std::array<std::int32_t, 4>> flags;
  for (int t = 1; t <= window.model().TriangleCount; ++t)
    flags.push_back(window.model().Triangles(t).Flags);
  dialogs.file_answers.push_back(path);
  Click("SaveContourLines");
  EXPECT_EQ(dialogs.messages.size(), 2u);
  for (int t = 1; t <= window.model().TriangleCount; ++t)  // a later division reads them
    EXPECT_EQ(window.model().Triangles(t).Flags, flags[static_cast<std::size_t>(t - 1)]);
  gis::EnsureGdal();
  const gis::Dataset lines(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
  ASSERT_TRUE(lines);
  // Levels 1 to 5 of the values 0 .. 6, each with its lines.
  OGRLayerH layer = GDALDatasetGetLayer(lines.get(), 0);
  std::set<int> levels;
  for (OGRFeatureH f; (f = OGR_L_GetNextFeature(layer)) != nullptr; OGR_F_Destroy(f))
    levels.insert(OGR_F_GetFieldAsInteger(f, OGR_F_GetFieldIndex(f, "level")));
  EXPECT_EQ(levels, std::set<int>({1, 2, 3, 4, 5}));

  dialogs.file_answers.push_back(folder / "lines.kml");  // a type it cannot write
  Click("SaveContourLines");
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_NE(dialogs.messages[2].text.find("書き込みを中断します。"), std::string::npos);

  // A points workbook is refused by the mesh import, and nothing changes.
  const QImage drawn = window.surface().image().copy();
  const QSize area = window.drawing_area().size();
  testing::MemoryWorkbook& points = books.books["/data/points.xls"];
  points.Set("A3", 2).Set("C3", 1).Set("D3", 2).Set("E3", 3).Set("C4", 4).Set("D4", 5);
  dialogs.file_answers.push_back("/data/points.xls");
  Click("MeshDataLoad");
  ASSERT_EQ(dialogs.messages.size(), 4u);
  EXPECT_NE(dialogs.messages[3].text.find("セル F3"), std::string::npos)
      << dialogs.messages[3].text;
  EXPECT_EQ(dialogs.file_titles.back(), "メッシュ数値データを開く");
  EXPECT_EQ(window.state().MeshFileName, "/data/mesh.xls");
  EXPECT_EQ(window.model().NodeCountX, 3);
  EXPECT_EQ(window.drawing_area().size(), area);
  EXPECT_EQ(window.surface().image(), drawn);

  dialogs.file_answers.push_back("/data/points.xls");
  Click("RandomDataLoad");  // where it belongs it loads, and the status line says so
  EXPECT_EQ(dialogs.file_titles.back(), "ランダム数値データを開く");
  EXPECT_EQ(window.model().PointCount, 2);
  EXPECT_TRUE(window.statusBar()->currentMessage().contains(QStringLiteral("/data/points.xls")));
}

TEST_F(MainWindowTest, ExactOptimisationIsListedAndItsWriteBackRefusedWhileLibreOfficeHasTheBook) {
  // The window's own writer on a real workbook that LibreOffice has open.
  testing::TempFolder folder;
  const std::string book = folder / "mesh.xlsx";
  std::filesystem::copy_file(std::string(OMBRIX_FIXTURES_DIR) + "/mesh_small.lo.xlsx", book);
  std::filesystem::permissions(
      book, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const std::string lock = folder / ".~lock.mesh.xlsx#";
  std::ofstream(lock) << "Jiro,jiro,office-pc,07.12.2026 11:00,file:///home/jiro/.config/lo/4;";
  const auto original = std::filesystem::last_write_time(book);
  window.model() = testing::MakeModel({0, 1, 2}, {1, 0}, {{0.5, 0.5, 2}, {1.5, 0.25, 4}}, 1, 1, 10,
                                      1.5, 1e-6, 0);
  window.state().MeshFileName = book;
  Click("ExactSolver");  // a relaxation would leave a residual far above the one checked below
  Click("InfomationDisp1");
  dialogs.yes_no_answers = {true, true};
  Click("MeshOptimizing");
  const auto says = [&](const char* text) {
    return std::ranges::any_of(dialogs.messages,
                               [&](const auto& m) { return m.text.find(text) != m.text.npos; });
  };
  EXPECT_TRUE(says("Jiro (jiro@office-pc"));
  EXPECT_EQ(std::filesystem::last_write_time(book), original);

  // Closed there: the same write-back goes through.
  std::filesystem::remove(lock);
  dialogs.messages.clear();
  dialogs.yes_no_answers = {true, true};
  Click("MeshOptimizing");
  EXPECT_FALSE(says("エラー"));
  EXPECT_NE(std::filesystem::last_write_time(book), original);
  QWidget* form = window.window_ops().Existing(WindowId::Result);
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->isVisible());
  auto* list = form->findChild<QListView*>(QStringLiteral("List1"));
  EXPECT_EQ(list->model()->rowCount(), 6);  // the solution, one node a row
  EXPECT_GE(form->findChild<QLineEdit*>(QStringLiteral("Text1"))->text().toInt(), 1);
  EXPECT_LE(form->findChild<QLineEdit*>(QStringLiteral("Text2"))->text().toDouble(), 1e-12);
  EXPECT_EQ(window.model().NodeBlank(1, 1), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesWithEveryCaptionWholeAndNoneCoveringAnother) {
  const auto expect_at = [](const QWidget* widget, double left, double top, double width,
                            double height) {
    ASSERT_NE(widget, nullptr);
    const double tx = ScreenTwipsPerPixelX(), ty = ScreenTwipsPerPixelY();
    EXPECT_EQ(widget->geometry(), QRect(TwipsToPixels(left, tx), TwipsToPixels(top, ty),
                                        TwipsToPixels(width, tx), TwipsToPixels(height, ty)))
        << widget->objectName().toStdString();
  };
  expect_at(window.panel().Text3, 3840, 660, 492, 264);
  expect_at(window.panel().Check2, 3600, 240, 732, 252);
  expect_at(window.findChild<QWidget*>(QStringLiteral("Picture1")), 360, 1080, 9372, 5412);

  window.show();
  const SettingsPanel& p = window.panel();
  const QWidget* client = window.centralWidget();
  std::vector<const QWidget*> controls;
  for (const QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isVisible() && w != &window.drawing_area())
      controls.push_back(w);
  }
  ASSERT_EQ(controls.size(), 11u);
  for (const QWidget* w : controls) {
    const std::string name = w->objectName().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
    } else if (qobject_cast<const QLineEdit*>(w) == nullptr) {
      EXPECT_LE(w->sizeHint().width(), w->width()) << name;
    }
    EXPECT_LE(w->geometry().right(), client->width()) << name << " is cut by the window";
    for (const QWidget* other : controls) {
      if (other != w) {
        EXPECT_FALSE(w->geometry().intersects(other->geometry()))
            << name << " covers " << other->objectName().toStdString();
      }
    }
  }
  // The option buttons: whole, on one line, inside the frame's border below its caption.
  const QRect inside = FrameInside(*p.Frame1);
  for (const QRadioButton* option : {p.Option1, p.Option2, p.Option3}) {
    EXPECT_LE(option->sizeHint().width(), option->width());
    EXPECT_TRUE(inside.contains(option->geometry())) << option->objectName().toStdString();
    EXPECT_EQ(option->y(), p.Option1->y());
    EXPECT_EQ(option->height(), p.Option1->height());
  }
  EXPECT_LT(p.Option1->geometry().right(), p.Option2->x());
  EXPECT_LT(p.Option2->geometry().right(), p.Option3->x());
}

}  // namespace
}  // namespace ombrix::app
