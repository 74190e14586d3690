#pragma once
// The settings panel along the top of the main window, with the controls' own names.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "model/panel_state.h"

namespace ombrix::app {

struct SettingsPanel {
  QPushButton* Command1 = nullptr;  // "画面縮小"
  QLineEdit* Text3 = nullptr;       // shrink factor
  QLabel* Picture3 = nullptr;       // holds the sprite picture (not shown)
  QCheckBox* Check1 = nullptr;      // "OutLine"
  QLabel* Picture2 = nullptr;       // holds the background map picture (not shown)
  QLineEdit* Text2 = nullptr;       // line width
  QGroupBox* Frame1 = nullptr;      // "Color"
  QRadioButton* Option3 = nullptr;  // "Normal"
  QRadioButton* Option2 = nullptr;  // "Easy"
  QRadioButton* Option1 = nullptr;  // "Nothing"
  QCheckBox* Check4 = nullptr;      // "Printer"
  QCheckBox* Check3 = nullptr;      // "RedLine"
  QCheckBox* Check2 = nullptr;      // "Level"
  QLineEdit* Text1 = nullptr;       // contour interval
  QLabel* Label2 = nullptr;         // "LineWidth"
  QLabel* Label1 = nullptr;         // "Interval"
};

// Creates the controls on `parent` at their places with their design-time values. The
// commands not built yet leave their controls disabled.
SettingsPanel BuildSettingsPanel(QWidget* parent);

// The part of a frame inside its border and below its caption, in the frame's coordinates.
QRect FrameInside(const QGroupBox& frame);

// What the panel shows now.
PanelState ReadPanelState(const SettingsPanel& panel);

}  // namespace ombrix::app
