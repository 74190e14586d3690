#include "platform/qt/qt_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return QMessageBox::NoIcon;
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtDialogs::Message(std::string_view text, std::string_view title, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), ToQString(title), MessageText(text), QMessageBox::Ok, parent_);
  box.exec();
}

bool QtDialogs::AskYesNo(std::string_view text, std::string_view title) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(title), MessageText(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  return box.exec() == QMessageBox::Yes;
}

std::string QtDialogs::InputBox(std::string_view prompt, std::string_view title,
                                std::string_view default_text) {
  QInputDialog dialog(parent_);
  dialog.setWindowTitle(ToQString(title));
  // Wide enough for its whole title in the title bar, buttons beside it.
  dialog.setMinimumWidth(dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 140);
  dialog.setLabelText(MessageText(prompt));
  dialog.setTextValue(ToQString(default_text));
  if (dialog.exec() != QDialog::Accepted) {
    return {};
  }
  return ToStdString(dialog.textValue());
}

std::optional<std::string> QtDialogs::OpenFile(std::string_view filter, std::string_view title) {
  const QString path =
      QFileDialog::getOpenFileName(parent_, ToQString(title), QString(), DialogFilter(filter));
  if (path.isEmpty()) {
    return std::nullopt;
  }
  return ToStdString(path);
}

std::optional<std::string> QtDialogs::SaveFile(std::string_view filter) {
  QString selected;
  QString path =
      QFileDialog::getSaveFileName(parent_, QString(), QString(), DialogFilter(filter), &selected);
  if (path.isEmpty()) {
    return std::nullopt;
  }
  // A name typed without an extension takes the chosen type's: "Name (*.gpkg)" gives ".gpkg".
  const qsizetype star = selected.indexOf(QStringLiteral("*."));
  if (QFileInfo(path).suffix().isEmpty() && star >= 0) {
    const qsizetype end = selected.indexOf(QRegularExpression(QStringLiteral("[ ;)]")), star);
    path += selected.mid(star + 1, end < 0 ? -1 : end - star - 1);
  }
  return ToStdString(path);
}

}  // namespace ombrix::qt
