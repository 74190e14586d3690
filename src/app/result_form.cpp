#include "app/result_form.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

#include "app/twips.h"
#include "optimise/fit_captions.h"
#include "platform/qt/qt_child.h"

namespace ombrix::app {
namespace {

// The client area, twips.
constexpr double kClientWidthTwips = 9144;
constexpr double kClientHeightTwips = 6960;

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, double left, double top, double width,
             double height) {
  Widget* widget = qt::MakeChild<Widget>(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(TwipsRect(left, top, width, height));
  return widget;
}

}  // namespace

int ListExtentPixels(double twips_per_pixel) {
  const auto per_pixel = static_cast<int>(std::nearbyint(twips_per_pixel));
  return per_pixel > 0 ? kListExtentTwips / per_pixel : kListExtentTwips;
}

ResultForm::ResultForm() = default;
ResultForm::~ResultForm() = default;

QWidget* ResultForm::Window() {
  if (window_) {
    return window_.get();
  }
  window_ = std::make_unique<QWidget>(nullptr, Qt::Window);
  QWidget* w = window_.get();
  w->setObjectName(QStringLiteral("Form3"));
  w->setWindowTitle(QString::fromLatin1(kResultWindowCaption));
  w->setAttribute(Qt::WA_QuitOnClose, false);
  w->resize(TwipsToPixels(kClientWidthTwips, ScreenTwipsPerPixelX()),
            TwipsToPixels(kClientHeightTwips, ScreenTwipsPerPixelY()));

  label1_ = Make<QLabel>(w, "Label1", 840, 280, 1692, 252);
  label1_->setText(QString::fromUtf8(kRelaxationCaptions.count.data(),
                                     static_cast<qsizetype>(kRelaxationCaptions.count.size())));
  text1_ = Make<QLineEdit>(w, "Text1", 2640, 240, 972, 264);
  label2_ = Make<QLabel>(w, "Label2", 4320, 276, 1572, 252);
  label2_->setText(QString::fromUtf8(kRelaxationCaptions.residual.data(),
                                     static_cast<qsizetype>(kRelaxationCaptions.residual.size())));
  text2_ = Make<QLineEdit>(w, "Text2", 6120, 240, 1452, 264);
  // Twelve decimals and a few whole digits must show whole, not scrolled to their end.
  QStyleOptionFrame frame;
  frame.initFrom(text2_);
  const QSize wanted = text2_->style()->sizeFromContents(
      QStyle::CT_LineEdit, &frame,
      QSize(text2_->fontMetrics().horizontalAdvance(QStringLiteral("0000.000000000000")),
            text2_->fontMetrics().height()),
      text2_);
  text2_->resize(std::max(text2_->width(), wanted.width()), text2_->height());
  list1_ = Make<QListView>(w, "List1", 360, 840, 8412, 5808);

  // Form_Load: every row is as wide as the horizontal extent, so the list scrolls sideways
  // that far, however long its rows are.
  const int line_height = QFontMetrics(list1_->font()).height();
  rows_ = qt::MakeChild<qt::ListingModel>(
      list1_, QSize(ListExtentPixels(ScreenTwipsPerPixelX()), line_height));
  list1_->setModel(rows_);
  list1_->setUniformItemSizes(true);
  list1_->setTextElideMode(Qt::ElideNone);
  list1_->setWordWrap(false);
  list1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  w->installEventFilter(this);
  return w;
}

bool ResultForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.get() && event->type() == QEvent::Close) {
    text1_->clear();
    text2_->clear();
    rows_->SetRows(nullptr);
  }
  return QObject::eventFilter(watched, event);
}

void ResultForm::ShowListing(std::shared_ptr<const ListingRows> rows) {
  Window();
  rows_->SetRows(std::move(rows));
}

void ResultForm::ShowCaptions(std::string_view count, std::string_view residual) {
  Window();
  label1_->setText(QString::fromUtf8(count.data(), static_cast<qsizetype>(count.size())));
  label2_->setText(QString::fromUtf8(residual.data(), static_cast<qsizetype>(residual.size())));
}

void ResultForm::ShowProgress(std::string_view sweeps, std::string_view residual) {
  Window();
  text1_->setText(QString::fromUtf8(sweeps.data(), static_cast<qsizetype>(sweeps.size())));
  text2_->setText(QString::fromUtf8(residual.data(), static_cast<qsizetype>(residual.size())));
  text2_->setCursorPosition(0);  // a number too long to show whole shows its leading digits
}

}  // namespace ombrix::app
