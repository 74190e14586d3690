#include "platform/qt/qt_printer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <string>

#include "fakes/error_capture.h"
#include "fakes/temp_folder.h"

namespace ombrix::qt {
namespace {

namespace fs = std::filesystem;

TEST(QtPrinter, PrinterPixelsAreDevicePixelsAndScaleModesConvertThroughThem) {
  const testing::TempFolder folder;
  const auto printer = QtPrinter::PdfFile(folder / "a.pdf", true);
  EXPECT_EQ(printer->TwipsPerPixelX(), 2.4);
  EXPECT_EQ(printer->ScaleWidth(), 7017);  // 842 points at 600 dpi
  EXPECT_EQ(printer->ScaleX(1440, ScaleMode::Twips, ScaleMode::Pixels), 600);
  printer->SetScaleMode(ScaleMode::Points);
  EXPECT_NEAR(printer->ScaleWidth(), 842.04, 1e-9);
  printer->SetScale(0, 0, 100, 50);
  EXPECT_EQ(printer->CurrentScaleMode(), ScaleMode::User);
  EXPECT_EQ(printer->ScaleX(100, ScaleMode::User, ScaleMode::Pixels), 7017);
  // Printing moves down one line, measured in the current scale.
  printer->SetCurrentY(5);
  printer->SetFontSize(16);
  printer->Print(" 5");
  EXPECT_GT(printer->CurrentY(), 5);
  EXPECT_LT(printer->CurrentY(), 5 + 50 * 0.1);  // a 16-point line is far less than 3 inches
}

TEST(QtPrinter, TheJobBeginsWithTheFirstOutputEndsOnceAndLeavesNoFileWhenWithdrawn) {
  const testing::TempFolder folder;
  const fs::path pdf = folder / "job.pdf";
  const auto printer = QtPrinter::PdfFile(pdf.string(), false);
  printer->SetDrawWidth(3);
  printer->SetFontSize(16);
  printer->EndDoc();  // nothing was printed: no job, no file
  EXPECT_FALSE(fs::exists(pdf));
  EXPECT_EQ(printer->pages_printed(), 0);

  printer->Line(0, 0, 100, 100, RGB(255, 0, 0));
  printer->EndDoc();
  printer->EndDoc();
  EXPECT_EQ(printer->pages_printed(), 1);
  EXPECT_GT(fs::file_size(pdf), 0u);

  const fs::path killed = folder / "killed.pdf";
  {
    const auto withdrawn = QtPrinter::PdfFile(killed.string(), false);
    withdrawn->Box(10, 10, 200, 200, RGB(0, 0, 255));
    withdrawn->KillDoc();
    EXPECT_EQ(withdrawn->pages_printed(), 0);
    EXPECT_FALSE(fs::exists(killed));
  }
  {
    // A printer dropped in the middle of a job withdraws it too.
    const auto dropped = QtPrinter::PdfFile(killed.string(), false);
    dropped->FilledBox(10, 10, 200, 200, RGB(0, 200, 0));
  }
  EXPECT_FALSE(fs::exists(killed));
}

TEST(QtPrinter, AnUnreachablePrinterFailsWithError482AndTheSystemsReason) {
  const testing::TempFolder folder;
  const fs::path pdf = folder.path() / "no such folder" / "map.pdf";
  const auto printer = QtPrinter::PdfFile(pdf.string(), true);
  const RunError error = ErrorOf([&] { printer->Line(0, 0, 10, 10, RGB(0, 0, 0)); });
  EXPECT_EQ(error.number(), 482);
  EXPECT_NE(error.description().find(pdf.string()), std::string::npos) << error.description();
  QFile file(QString::fromStdString(pdf.string()));  // the system's reason, as Qt words it
  ASSERT_FALSE(file.open(QIODevice::WriteOnly));
  EXPECT_NE(error.description().find(file.errorString().toStdString()), std::string::npos)
      << error.description();
  EXPECT_NO_THROW(printer->EndDoc());  // no job was begun
  EXPECT_FALSE(fs::exists(pdf.parent_path()));
}

}  // namespace
}  // namespace ombrix::qt
