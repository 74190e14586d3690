#include "fakes/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace ombrix::testing {

void ScriptedDialogs::Message(std::string_view text, std::string_view title, MessageIcon icon) {
  messages.push_back({std::string(text), std::string(title), icon});
}

bool ScriptedDialogs::AskYesNo(std::string_view text, std::string_view title) {
  questions.push_back(std::string(title) + "|" + std::string(text));
  if (yes_no_answers.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return false;
  }
  const bool answer = yes_no_answers.front();
  yes_no_answers.pop_front();
  return answer;
}

std::string ScriptedDialogs::InputBox(std::string_view prompt, std::string_view title,
                                      std::string_view default_text) {
  input_boxes.push_back(std::string(title) + "|" + std::string(prompt) + "|" +
                        std::string(default_text));
  if (input_answers.empty()) {
    ADD_FAILURE() << "unexpected input box: " << prompt;
    return {};
  }
  std::string answer = input_answers.front();
  input_answers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogs::OpenFile(std::string_view filter,
                                                     std::string_view title) {
  file_filters.emplace_back(filter);
  file_titles.emplace_back(title);
  if (file_answers.empty()) {
    ADD_FAILURE() << "unexpected file dialog: " << filter;
    return std::nullopt;
  }
  std::optional<std::string> answer = file_answers.front();
  file_answers.pop_front();
  return answer;
}

}  // namespace ombrix::testing
