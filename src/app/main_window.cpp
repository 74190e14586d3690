#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPalette>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>

#include "app/twips.h"
#include "contour/colour_legend.h"
#include "contour/contour_command.h"
#include "contour/mesh_divided_command.h"
#include "gis/line_save_command.h"
#include "import/mesh_import.h"
#include "import/point_import.h"
#include "model/form_load.h"
#include "model/modes.h"
#include "optimise/optimize_command.h"
#include "platform/qt/qt_child.h"
#include "platform/qt/qt_printer.h"
#include "sheet/atomic_save.h"
#include "view/background_map.h"
#include "view/colour_index.h"
#include "view/contour_image_save.h"
#include "view/map_keys.h"
#include "view/view_shrink.h"

namespace ombrix::app {
namespace {

// The drawing area "Picture1" in twips: left, top, width, height.
constexpr double kPictureLeft = 360;
constexpr double kPictureTop = 1080;
constexpr double kPictureWidth = 9372;
constexpr double kPictureHeight = 5412;
// The narrowest the window gets, in twips, and room below the drawing area.
constexpr double kMinWindowWidthTwips = 9972;
constexpr double kBottomMarginTwips = 240;

void EndByClosingEverything() {
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

// Room a window manager's title bar takes besides the caption: icon, buttons, margins.
constexpr int kTitleBarExtraPixels = 110;

// Where a window made on first use opens: beside `main` on the right where the screen has room,
// else on its left, else against the screen's right edge; level with its top.
void PlaceBeside(QWidget* window, const QWidget* main) {
  const QScreen* screen = main->screen();
  const QRect room = screen != nullptr ? screen->availableGeometry() : QRect();
  const QRect beside = main->frameGeometry();
  const int width = window->frameGeometry().width();
  constexpr int kGap = 8;
  int left = beside.right() + 1 + kGap;
  if (!room.isEmpty() && left + width > room.right() + 1) {
    left = beside.left() - kGap - width;
    if (left < room.left()) {
      left = std::max(room.left(), room.right() + 1 - width);
    }
  }
  window->move(left, beside.top());
}

std::unique_ptr<QWidget> MakeToolWindow(const char* name, const char* caption) {
  auto window = std::make_unique<QWidget>(nullptr, Qt::Window);
  window->setObjectName(QString::fromLatin1(name));
  window->setWindowTitle(QString::fromUtf8(caption));
  window->setAttribute(Qt::WA_QuitOnClose, false);
  return window;
}

}  // namespace

MainWindow::MainWindow(std::function<void()> end_program)
    : end_program_(end_program ? std::move(end_program) : EndByClosingEverything) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(kMainWindowCaption));

  QWidget* client = qt::MakeChild<QWidget>(this);
  client->setObjectName(QStringLiteral("Form1Client"));
  setCentralWidget(client);
  panel_ = BuildSettingsPanel(client);

  const QRect area = TwipsRect(kPictureLeft, kPictureTop, kPictureWidth, kPictureHeight);
  surface_ = std::make_unique<qt::QtSurface>(area.width(), area.height());
  // The picture is saved as the command line saves its images: under the name's own bytes, with
  // the saves' temporary-file cleanup on signals.
  surface_->SetFileSaver(&sheet::CreateOrReplace);
  drawing_area_ = qt::MakeChild<qt::SurfaceView>(client, *surface_);
  drawing_area_->setObjectName(QStringLiteral("Picture1"));
  drawing_area_->setGeometry(area);

  menus_ = BuildMenuTree(menuBar());
  statusBar()->setObjectName(QStringLiteral("StatusBar"));

  dialogs_ = std::make_unique<qt::QtDialogs>(this);
  active_dialogs_ = dialogs_.get();
  events_ = std::make_unique<qt::QtEventPump>();
  window_ops_ = std::make_unique<qt::QtWindowOps>(this, drawing_area_, statusBar());
  // The legend's drawing exists from the start; its window shows it once made.
  legend_surface_ = std::make_unique<qt::QtSurface>(
      TwipsToPixels(kLegendClientWidthTwips, ScreenTwipsPerPixelX()),
      TwipsToPixels(kLegendClientHeightTwips, ScreenTwipsPerPixelY()),
      1440.0 / ScreenTwipsPerPixelY());
  window_ops_->SetFactory(WindowId::Legend, [this] {
    legend_window_ = MakeToolWindow("Form2", "IndexColor");
    legend_view_ = qt::MakeChild<qt::SurfaceView>(legend_window_.get(), *legend_surface_);
    legend_view_->setObjectName(QStringLiteral("Form2Picture"));
    legend_view_->move(0, 0);
    legend_window_->resize(legend_surface_->image().size());
    // Narrow as the legend is, its caption stays readable in the title bar; the room that
    // leaves beside the drawing is as white as the drawing.
    legend_window_->setAutoFillBackground(true);
    QPalette white = legend_window_->palette();
    white.setColor(QPalette::Window, Qt::white);
    legend_window_->setPalette(white);
    legend_window_->setMinimumWidth(
        legend_window_->fontMetrics().horizontalAdvance(legend_window_->windowTitle()) +
        kTitleBarExtraPixels);
    return legend_window_.get();
  });
  window_ops_->SetFactory(WindowId::Result, [this] {
    QWidget* result = result_form_.Window();
    PlaceBeside(result, this);
    return result;
  });

  resize(TwipsToPixels(kMinWindowWidthTwips, ScreenTwipsPerPixelX()),
         TwipsToPixels(kPictureTop + kPictureHeight + kBottomMarginTwips, ScreenTwipsPerPixelY()) +
             menuBar()->sizeHint().height() + statusBar()->sizeHint().height());

  ConnectOption("WeightedFivePoint", OptionItem::WeightedFivePoint);
  ConnectOption("Average", OptionItem::Average);
  ConnectOption("InfomationDisp0", OptionItem::InfomationDisp0);
  ConnectOption("InfomationDisp1", OptionItem::InfomationDisp1);
  ConnectOption("InfomationDisp2", OptionItem::InfomationDisp2);
  connect(menus_.item(QStringLiteral("ExactSolver")), &QAction::triggered, this, [this] {
    model_.OptimizeSolver =
        model_.OptimizeSolver == kSolverExact ? kSolverRelaxation : kSolverExact;
    SyncOptionChecks();
  });
  connect(menus_.item(QStringLiteral("TheEnd")), &QAction::triggered, this,
          [this] { end_program_(); });
  ConnectCommand("MeshDataLoad", MeshDataLoad_Click);
  ConnectCommand("RandomDataLoad", RandomDataLoad_Click);
  ConnectCommand("ContourLine", ContourLine_Click, Prints::WhenTicked);
  ConnectCommand("MeshDivided", MeshDivided_Click, Prints::WhenTicked);
  ConnectCommand("RelativeColorIndex", RelativeColorIndex_Click);
  ConnectCommand("AbsoluteColorIndex", AbsoluteColorIndex_Click);
  ConnectCommand("MeshOptimizing", MeshOptimizing_Click);
  ConnectCommand("SaveContour", SaveContour_Click);
  ConnectCommand("SaveContourLines", gis::SaveContourLines_Click);
  ConnectCommand("LoadMap", LoadMap_Click);
  ConnectCommand("Sprite", Sprite_Click);
  // The map keys work whatever control has the focus, but not while another command runs.
  map_keys_ = std::make_unique<MapKeyFilter>(this, [this](std::int16_t key, std::int16_t shift) {
    if (command_running_) {
      return false;
    }
    CommandContext ctx = Context();
    return Form_KeyDown(ctx, key, shift);
  });
  qApp->installEventFilter(map_keys_.get());
  connect(panel_.Command1, &QPushButton::clicked, this, [this] {
    if (command_running_) {
      return;
    }
    CommandContext ctx = Context();
    Command1_Click(ctx);
  });

  // Form_Load: the modes and their check marks.
  FormLoad(model_, state_);
  SyncOptionChecks();
}

MainWindow::~MainWindow() = default;

void MainWindow::ConnectOption(const char* item_name, OptionItem item) {
  connect(menus_.item(QString::fromLatin1(item_name)), &QAction::triggered, this, [this, item] {
    SelectOption(model_, item);
    SyncOptionChecks();  // also restores the mark Qt toggled off on a checked item
  });
}

CommandContext MainWindow::Context() {
  CommandContext ctx{
      model_,           state_,       ReadPanel(), *surface_,          nullptr,
      *active_dialogs_, *window_ops_, *events_,    *active_workbooks_, legend_surface_.get()};
  ctx.result = &result_form_;
  ctx.writer = active_writer_;
  ctx.pictures = &picture_files_;
  return ctx;
}

void MainWindow::ConnectCommand(const char* item_name, void (*command)(CommandContext&),
                                Prints prints) {
  QAction* action = menus_.item(QString::fromLatin1(item_name));
  action->setEnabled(true);
  connect(action, &QAction::triggered, this, [this, command, prints] {
    // Long commands let events run while they work: keep every other command out meanwhile,
    // the shrink button too (it would resize the area under a running drawing).
    SetCommandsEnabled(false);
    CommandContext ctx = Context();
    // A drawing with "Printer" ticked prints on the system's default printer, or into a PDF
    // beside the mesh workbook where the system has none; nothing else touches a printer.
    std::unique_ptr<qt::QtPrinter> printer;
    if (prints == Prints::WhenTicked && IsTicked(ctx.panel.Check4)) {
      const std::string fallback =
          std::filesystem::path(state_.MeshFileName).replace_extension(".pdf").string();
      printer = qt::QtPrinter::SystemDefault(fallback, model_.FrameWidth > model_.FrameHeight);
      ctx.printer = printer.get();
    }
    command(ctx);
    if (printer && printer->is_pdf() && printer->pages_printed() > 0) {
      window_ops_->ShowStatus("印刷コピーを PDF に保存しました: " + printer->name());
    }
    SetCommandsEnabled(true);
    SyncOptionChecks();  // a command may change a mode; a checkable item toggled itself
  });
}

void MainWindow::SetCommandsEnabled(bool enabled) {
  command_running_ = !enabled;
  menuBar()->setEnabled(enabled);
  panel_.Command1->setEnabled(enabled);
}

void MainWindow::SyncOptionChecks() {
  const std::pair<const char*, OptionItem> options[] = {
      {"WeightedFivePoint", OptionItem::WeightedFivePoint},
      {"Average", OptionItem::Average},
      {"InfomationDisp0", OptionItem::InfomationDisp0},
      {"InfomationDisp1", OptionItem::InfomationDisp1},
      {"InfomationDisp2", OptionItem::InfomationDisp2},
  };
  for (const auto& [name, item] : options) {
    menus_.item(QString::fromLatin1(name))->setChecked(IsOptionChecked(model_, item));
  }
  menus_.item(QStringLiteral("ExactSolver"))->setChecked(model_.OptimizeSolver == kSolverExact);
  menus_.item(QStringLiteral("RelativeColorIndex"))
      ->setChecked(model_.ColorIndexMode == kRelativeColorIndex);
  menus_.item(QStringLiteral("AbsoluteColorIndex"))
      ->setChecked(model_.ColorIndexMode == kAbsoluteColorIndex);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program, the other windows with it.
  event->accept();
  for (WindowId id : {WindowId::Legend, WindowId::Result}) {
    if (QWidget* window = window_ops_->Existing(id)) {
      window->close();
    }
  }
}

}  // namespace ombrix::app
