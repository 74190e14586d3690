#pragma once

#include <QWidget>

#include "platform/dialogs.h"

namespace ombrix::qt {

// Modal Qt dialogs over a parent window; their buttons follow the installed translation.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}

  void Message(std::string_view text, std::string_view title, MessageIcon icon) override;
  bool AskYesNo(std::string_view text, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override;
  std::optional<std::string> OpenFile(std::string_view filter,
                                      std::string_view title = {}) override;
  std::optional<std::string> SaveFile(std::string_view filter) override;

 private:
  QWidget* parent_;
};

}  // namespace ombrix::qt
