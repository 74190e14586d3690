#pragma once
// Dialogs that answer from queues and record everything they were asked. An unexpected
// question (an empty queue) fails the test instead of blocking it.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace ombrix::testing {

struct ShownMessage {
  std::string text;
  std::string title;
  MessageIcon icon = MessageIcon::None;
};

class ScriptedDialogs : public Dialogs {
 public:
  std::deque<bool> yes_no_answers;
  std::deque<std::string> input_answers;
  std::deque<std::optional<std::string>> file_answers;

  std::vector<ShownMessage> messages;
  std::vector<std::string> questions;    // "title|text"
  std::vector<std::string> input_boxes;  // "title|prompt|default"
  std::vector<std::string> file_filters;
  std::vector<std::string> file_titles;

  void Message(std::string_view text, std::string_view title, MessageIcon icon) override;
  bool AskYesNo(std::string_view text, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override;
  std::optional<std::string> OpenFile(std::string_view filter,
                                      std::string_view title = {}) override;
  // Answers from file_answers too.
  std::optional<std::string> SaveFile(std::string_view filter) override { return OpenFile(filter); }
};

}  // namespace ombrix::testing
