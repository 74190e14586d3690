#pragma once
// The modal dialogs the commands use.

#include <optional>
#include <string>
#include <string_view>

namespace ombrix {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A message box with only an OK button. A carriage return in the text starts a new line.
  virtual void Message(std::string_view text, std::string_view title,
                       MessageIcon icon = MessageIcon::None) = 0;
  // A question with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(std::string_view text, std::string_view title) = 0;
  // An input box; the empty string means the user cancelled (or confirmed an empty field).
  virtual std::string InputBox(std::string_view prompt, std::string_view title,
                               std::string_view default_text) = 0;
  // The file-open dialog with a filter of "description|pattern|..." pairs and a title that
  // says what it opens; nothing when cancelled.
  virtual std::optional<std::string> OpenFile(std::string_view filter,
                                              std::string_view title = {}) = 0;
  // The file-save dialog with the same kind of filter; the name gets the chosen type's
  // extension when it has none. Nothing when cancelled (or where no one can be asked).
  virtual std::optional<std::string> SaveFile(std::string_view /*filter*/) { return std::nullopt; }
};

}  // namespace ombrix
