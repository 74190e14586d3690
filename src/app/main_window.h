#pragma once
// The main window "Form1": settings panel, drawing area and menus. It owns the model and
// turns menu clicks into calls of the core.

#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/map_key_filter.h"
#include "app/menu_tree.h"
#include "app/result_form.h"
#include "app/settings_panel.h"
#include "gis/mesh_file_opener.h"
#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "model/option_groups.h"
#include "platform/command_context.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_events.h"
#include "platform/qt/qt_picture_loader.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_window_ops.h"
#include "platform/qt/surface_view.h"
#include "sheet/edit_workbook.h"
#include "sheet/open_workbook.h"

namespace ombrix::app {

inline constexpr const char* kMainWindowCaption = "Ombrix  ver.4.23";

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `end_program` ends the run at once; by default it closes every window and quits.
  explicit MainWindow(std::function<void()> end_program = {});
  ~MainWindow() override;

  MeshModel& model() { return model_; }
  MainWindowState& state() { return state_; }
  const SettingsPanel& panel() const { return panel_; }
  const MenuTree& menus() const { return menus_; }
  qt::QtSurface& surface() { return *surface_; }
  qt::SurfaceView& drawing_area() { return *drawing_area_; }
  qt::QtWindowOps& window_ops() { return *window_ops_; }
  // The legend window's drawing, and its view once the window "Form2" exists.
  qt::QtSurface& legend_surface() { return *legend_surface_; }
  qt::SurfaceView* legend_view() { return legend_view_; }
  Dialogs& dialogs() { return *dialogs_; }
  // The result window "Form3" and its fields, made on first use.
  ResultForm& result_form() { return result_form_; }

  // The panel's values now, for a command that starts.
  PanelState ReadPanel() const { return ReadPanelState(panel_); }
  // What a command works with, the panel read now.
  CommandContext Context();

  // Tests answer the dialogs and serve the workbooks themselves.
  void UseDialogs(Dialogs& dialogs) { active_dialogs_ = &dialogs; }
  void UseWorkbookOpener(WorkbookOpener& opener) { active_workbooks_ = &opener; }
  void UseWorkbookWriter(WorkbookWriter& writer) { active_writer_ = &writer; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ConnectOption(const char* item_name, OptionItem item);
  // Whether a command draws the map, and so prints it when "Printer" is ticked.
  enum class Prints { Never, WhenTicked };
  void ConnectCommand(const char* item_name, void (*command)(CommandContext&),
                      Prints prints = Prints::Never);
  void SyncOptionChecks();
  // Menus and the shrink button: off while a command runs.
  void SetCommandsEnabled(bool enabled);

  MeshModel model_;
  MainWindowState state_;
  std::unique_ptr<qt::QtSurface> surface_;
  qt::SurfaceView* drawing_area_ = nullptr;
  SettingsPanel panel_;
  MenuTree menus_;
  std::unique_ptr<qt::QtDialogs> dialogs_;
  std::unique_ptr<qt::QtEventPump> events_;
  std::unique_ptr<qt::QtWindowOps> window_ops_;
  gis::MeshFileOpener file_workbooks_;  // workbooks, or rasters in place of a mesh workbook
  Dialogs* active_dialogs_ = nullptr;
  WorkbookOpener* active_workbooks_ = &file_workbooks_;
  sheet::FileWorkbookWriter file_writer_;
  WorkbookWriter* active_writer_ = &file_writer_;
  std::function<void()> end_program_;
  std::unique_ptr<qt::QtSurface> legend_surface_;  // before its window: the view refers to it
  qt::SurfaceView* legend_view_ = nullptr;
  std::unique_ptr<QWidget> legend_window_;  // "Form2", made on first use
  ResultForm result_form_;
  qt::QtPictureLoader picture_files_;
  std::unique_ptr<MapKeyFilter> map_keys_;
  bool command_running_ = false;
};

}  // namespace ombrix::app
