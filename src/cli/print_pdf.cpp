#include "cli/print_pdf.h"

#include <unistd.h>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <span>

#include "model/run_error.h"
#include "platform/qt/qt_text.h"
#include "sheet/atomic_save.h"

namespace ombrix::cli {
namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw RunError(err::kPrinterError, "PDF ファイル \"" + path + "\" に出力できません: " + reason);
}

}  // namespace

PdfPrintJob::PdfPrintJob(const std::string& path) : path_(path) {
  // The target's folder is named by bytes the printer cannot take as a name: the printer
  // writes into the system's temporary folder, and the result is copied into place at the end.
  const std::filesystem::path target(path);
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    Fail(path, std::strerror(errno));
  }
  temporary_.setFileTemplate(QDir::temp().filePath(QStringLiteral("ombrix-print-XXXXXX.pdf")));
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
  QFile printed(temporary_.fileName());
  if (!printed.open(QIODevice::ReadOnly)) {
    Fail(path_, qt::ToStdString(printed.errorString()));
  }
  const QByteArray bytes = printed.readAll();
  try {
    sheet::CreateOrReplace(path_,
                           std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                     static_cast<std::size_t>(bytes.size())));
  } catch (const RunError& e) {
    Fail(path_, e.what());
  }
  return printer_->pages_printed();
}

}  // namespace ombrix::cli
