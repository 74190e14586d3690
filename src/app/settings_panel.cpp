#include "app/settings_panel.h"

#include <QStyle>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <limits>
#include <vector>

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

// Space kept between neighbouring controls, pixels.
constexpr int kControlGap = 4;

// Widens every captioned control of a row to its caption and moves the controls after it right
// as far as that needs; no control moves left of its place or loses width. Text boxes keep
// their widths (their size hint is no caption).
int FitRow(std::vector<QWidget*> row) {
  std::ranges::stable_sort(row, {}, [](const QWidget* w) { return w->x(); });
  int right = std::numeric_limits<int>::min() / 2;
  for (QWidget* w : row) {
    QRect place = w->geometry();
    if (qobject_cast<QLineEdit*>(w) == nullptr) {
      place.setWidth(std::max(place.width(), w->sizeHint().width()));
    }
    place.moveLeft(std::max(place.left(), right + kControlGap));
    w->setGeometry(place);
    right = place.right();
  }
  return right;
}

// The three option buttons on one line inside the frame's border, below its caption, and the
// frame as wide as they need.
void FitColourFrame(const SettingsPanel& p) {
  QGroupBox* frame = p.Frame1;
  const int height = std::max({p.Option1->sizeHint().height(), p.Option2->sizeHint().height(),
                               p.Option3->sizeHint().height()});
  QRect inside = FrameInside(*frame);
  if (inside.height() < height) {  // the frame grows downwards to hold them
    frame->resize(frame->width(), frame->height() + height - inside.height());
    inside = FrameInside(*frame);
  }
  const int top = inside.top() + (inside.height() - height) / 2;
  for (QRadioButton* option : {p.Option1, p.Option2, p.Option3}) {
    option->setGeometry(std::max(option->x(), inside.left()), top, option->width(), height);
  }
  const int right = FitRow({p.Option1, p.Option2, p.Option3});
  if (right > inside.right()) {
    frame->resize(frame->width() + right - inside.right(), frame->height());
  }
}

std::int32_t CheckValue(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

}  // namespace

QRect FrameInside(const QGroupBox& frame) {
  QStyleOptionGroupBox option;
  option.initFrom(&frame);
  option.text = frame.title();
  option.textAlignment = frame.alignment();
  option.lineWidth = 1;
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  return frame.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents,
                                       &frame);
}

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
  // The places above are the layout; captions wider than their boxes in this font push the
  // controls after them along, so that no caption is cut.
  FitColourFrame(p);
  // The two taller check boxes (room for a second caption line) stand in line with the others.
  for (QCheckBox* box : {p.Check3, p.Check1}) {
    box->setGeometry(box->x(), p.Check2->y(), box->width(), p.Check2->height());
  }
  const int right = std::max(FitRow({p.Frame1, p.Check2, p.Check3, p.Check1, p.Check4, p.Label1,
                                     p.Text1, p.Label2, p.Text2}),
                             FitRow({p.Frame1, p.Text3, p.Command1}));
  parent->setMinimumWidth(right + 1 + 2 * kControlGap);
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
