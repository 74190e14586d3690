#include "app/settings_panel.h"

#include "app/twips.h"
#include "platform/qt/qt_child.h"

namespace ombrix::app {
namespace {

// A control on `parent` with its name, caption or text, and place in twips.
template <typename Widget>
Widget* Make(QWidget* parent, const char* name, const char* caption, double left, double top,
             double width, double height) {
  Widget* widget = qt::MakeChild<Widget>(parent, QString::fromUtf8(caption));
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(TwipsRect(left, top, width, height));
  return widget;
}

std::int32_t CheckValue(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

}  // namespace

SettingsPanel BuildSettingsPanel(QWidget* parent) {
  SettingsPanel p;
  // The controls are small (their places are fixed in twips): a compact font and tight
  // indicators keep the English captions readable.
  QFont font = parent->font();
  font.setPointSize(8);
  parent->setFont(font);
  parent->setStyleSheet(QStringLiteral(
      "QCheckBox, QRadioButton { spacing: 2px; }"
      "QCheckBox::indicator, QRadioButton::indicator { width: 10px; height: 10px; }"));
  // Created in the window's control order.
  p.Command1 = Make<QPushButton>(parent, "Command1", "画面縮小", 4560, 660, 1092, 252);
  p.Text3 = Make<QLineEdit>(parent, "Text3", "2/3", 3840, 660, 492, 264);
  p.Picture3 = Make<QLabel>(parent, "Picture3", "", 3240, 1200, 852, 732);
  p.Picture3->hide();
  p.Check1 = Make<QCheckBox>(parent, "Check1", "OutLine", 5160, 168, 612, 372);
  p.Picture2 = Make<QLabel>(parent, "Picture2", "", 1920, 1200, 852, 732);
  p.Picture2->hide();
  p.Text2 = Make<QLineEdit>(parent, "Text2", "1", 9120, 240, 612, 264);
  p.Frame1 = Make<QGroupBox>(parent, "Frame1", "Color", 120, 72, 3252, 612);
  p.Option3 = Make<QRadioButton>(p.Frame1, "Option3", "Normal", 2160, 240, 852, 252);
  p.Option2 = Make<QRadioButton>(p.Frame1, "Option2", "Easy", 1320, 240, 732, 252);
  p.Option1 = Make<QRadioButton>(p.Frame1, "Option1", "Nothing", 240, 240, 972, 180);
  p.Option1->setChecked(true);
  p.Check4 = Make<QCheckBox>(parent, "Check4", "Printer", 5880, 240, 852, 252);
  p.Check3 = Make<QCheckBox>(parent, "Check3", "RedLine", 4440, 168, 612, 372);
  p.Check3->setChecked(true);
  p.Check2 = Make<QCheckBox>(parent, "Check2", "Level", 3600, 240, 732, 252);
  p.Check2->setChecked(true);
  p.Text1 = Make<QLineEdit>(parent, "Text1", "1", 7560, 240, 612, 264);
  p.Label2 = Make<QLabel>(parent, "Label2", "LineWidth", 8280, 240, 732, 252);
  p.Label1 = Make<QLabel>(parent, "Label1", "Interval", 6840, 240, 612, 252);
  return p;
}

PanelState ReadPanelState(const SettingsPanel& panel) {
  PanelState state;
  state.Text1 = panel.Text1->text().toStdString();
  state.Text2 = panel.Text2->text().toStdString();
  state.Text3 = panel.Text3->text().toStdString();
  state.Check1 = CheckValue(panel.Check1);
  state.Check2 = CheckValue(panel.Check2);
  state.Check3 = CheckValue(panel.Check3);
  state.Check4 = CheckValue(panel.Check4);
  state.Option1 = panel.Option1->isChecked();
  state.Option2 = panel.Option2->isChecked();
  state.Option3 = panel.Option3->isChecked();
  return state;
}

}  // namespace ombrix::app
