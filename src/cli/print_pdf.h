#pragma once
// The printed copy of a headless drawing, written as a PDF file: the printer prints into a
// temporary file beside the target, which is renamed over it only once the whole command has
// succeeded, so that a failure leaves no half-written file.

#include <QTemporaryFile>
#include <memory>
#include <string>

#include "platform/command_context.h"
#include "platform/qt/qt_printer.h"

namespace ombrix::cli {

class PdfPrintJob {
 public:
  // Error 482 with the system's reason when no file can be made in the target's folder.
  explicit PdfPrintJob(const std::string& path);

  // The next drawing in `ctx` prints: "Printer" ticked and this printer given, its page
  // turned to the shape of the plot frame.
  void Attach(CommandContext& ctx);
  // Puts the printed file in place; returns its page count. Error 482 when nothing was printed
  // or the file cannot be renamed.
  int Commit();

 private:
  std::string path_;
  QTemporaryFile temporary_;
  std::unique_ptr<qt::QtPrinter> printer_;
};

}  // namespace ombrix::cli
