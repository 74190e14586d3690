#include "cli/print_pdf.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "model/run_error.h"
#include "platform/qt/qt_text.h"

namespace ombrix::cli {
namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw RunError(err::kPrinterError, "PDF ファイル \"" + path + "\" に出力できません: " + reason);
}

}  // namespace

PdfPrintJob::PdfPrintJob(const std::string& path) : path_(path) {
  const QFileInfo target(qt::ToQString(path));
  temporary_.setFileTemplate(target.absoluteDir().filePath(QStringLiteral(".") + target.fileName() +
                                                           QStringLiteral(".XXXXXX")));
  if (!temporary_.open()) {
    Fail(path, qt::ToStdString(temporary_.errorString()));
  }
  temporary_.close();  // the printer writes the file itself; the name stays reserved
}

void PdfPrintJob::Attach(CommandContext& ctx) {
  const bool landscape = ctx.model.FrameWidth > ctx.model.FrameHeight;
  printer_ = qt::QtPrinter::PdfFile(qt::ToStdString(temporary_.fileName()), landscape);
  ctx.printer = printer_.get();
  ctx.panel.Check4 = 1;
}

int PdfPrintJob::Commit() {
  if (printer_ == nullptr || printer_->pages_printed() == 0) {
    Fail(path_, "印刷されたページがありません");
  }
  // A temporary file is private to its owner; the result is an ordinary file.
  temporary_.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup | QFileDevice::ReadOther);
  std::error_code error;
  std::filesystem::rename(qt::ToStdString(temporary_.fileName()), path_, error);
  if (error) {
    Fail(path_, error.message());
  }
  temporary_.setAutoRemove(false);
  return printer_->pages_printed();
}

}  // namespace ombrix::cli
