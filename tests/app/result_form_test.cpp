#include "app/result_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>

#include "app/twips.h"
#include "optimise/result_listings.h"
#include "optimise/system_terms.h"

namespace ombrix::app {
namespace {

TEST(ResultForm, MadeOnFirstUseWithItsControlsInTwipsAndEmptiedWhenClosed) {
  ResultForm form;
  EXPECT_EQ(form.Existing(), nullptr);
  QWidget* w = form.Window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->objectName(), QStringLiteral("Form3"));
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Result"));
  EXPECT_FALSE(w->isVisible());
  const auto at = [&](const char* name, double l, double t, double wd, double h) {
    const QWidget* c = w->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->geometry(), TwipsRect(l, t, wd, h)) << name;
  };
  at("Label1", 840, 280, 1692, 252);
  const auto* text2 = w->findChild<QLineEdit*>(QStringLiteral("Text2"));
  const QRect designed = TwipsRect(6120, 240, 1452, 264);
  EXPECT_EQ(text2->pos(), designed.topLeft());
  EXPECT_GE(text2->width(), designed.width());
  // Wide enough for a residual such as 0.000000987045 to show whole.
  EXPECT_GT(text2->width(),
            text2->fontMetrics().horizontalAdvance(QStringLiteral("0.000000987045")));
  at("List1", 360, 840, 8412, 5808);
  EXPECT_EQ(w->findChild<QLabel*>("Label2")->text(), QStringLiteral("ＳＯＲ法残差（比率）"));

  // Closed by the user, it comes back empty.
  form.ShowProgress("3", "0.250000000000");
  form.ShowListing(std::make_shared<VectorListing>(std::vector<double>{1, 2}));
  w->show();
  w->close();
  EXPECT_EQ(form.Window(), w);
  EXPECT_TRUE(w->findChild<QLineEdit*>("Text1")->text().isEmpty());
  EXPECT_TRUE(w->findChild<QLineEdit*>("Text2")->text().isEmpty());
  EXPECT_EQ(w->findChild<QListView*>("List1")->model()->rowCount(), 0);
  form.ShowCaptions("ＣＧ法繰り返し回数", "ＣＧ法残差（比率）");
  EXPECT_EQ(w->findChild<QLabel*>("Label1")->text(), QStringLiteral("ＣＧ法繰り返し回数"));
  EXPECT_EQ(w->findChild<QLabel*>("Label2")->text(), QStringLiteral("ＣＧ法残差（比率）"));
  form.ShowProgress("17", "0.000123000000");  // the next run fills it again
  EXPECT_EQ(w->findChild<QLineEdit*>("Text1")->text(), QStringLiteral("17"));
  EXPECT_EQ(w->findChild<QLineEdit*>("Text2")->text(), QStringLiteral("0.000123000000"));
}

TEST(ResultForm, AHugeListingScrollsSidewaysToItsExtentAndMakesOnlyShownRows) {
  ResultForm form;
  SparseMatrix system(300, 300);  // 90,000 rows of 90,000 numbers
  FillMembraneCurvature(system, 1, 1);
  form.ShowListing(std::make_shared<MatrixListing>(system));
  QWidget* w = form.Window();
  w->show();
  auto* list = w->findChild<QListView*>("List1");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->model()->rowCount(), 90000);
  const QString first = list->model()->index(0, 0).data().toString();
  EXPECT_EQ(first.toStdString(), MatrixRowText(system, nullptr, 1, first.size()));
  EXPECT_LT(first.size(), 10000);  // cut well before its 360,000 characters
  const QScrollBar* bar = list->horizontalScrollBar();
  EXPECT_EQ(bar->maximum() + list->viewport()->width(), ListExtentPixels(ScreenTwipsPerPixelX()));
  EXPECT_EQ(ListExtentPixels(12), 2020);  // twips divided by whole twips a pixel
  EXPECT_EQ(ListExtentPixels(7), 3462);   // 24240 / 7 = 3462.86, cut

  // A new listing replaces the old one.
  form.ShowListing(std::make_shared<VectorListing>(std::vector<double>{0.5, -1}));
  ASSERT_EQ(list->model()->rowCount(), 2);
  EXPECT_EQ(list->model()->index(1, 0).data().toString(), QStringLiteral("-1"));
}

}  // namespace
}  // namespace ombrix::app
