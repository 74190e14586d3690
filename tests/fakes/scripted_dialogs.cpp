#include "fakes/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace ombrix::testing {
namespace {

// The next queued answer; an empty queue means the test did not expect the question.
template <typename Answer>
Answer Next(std::deque<Answer>& answers, std::string_view what, std::string_view text) {
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected " << what << ": " << text;
    return Answer{};
  }
  Answer answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

void ScriptedDialogs::Message(std::string_view text, std::string_view title, MessageIcon icon) {
  messages.push_back({std::string(text), std::string(title), icon});
}

bool ScriptedDialogs::AskYesNo(std::string_view text, std::string_view title) {
  questions.push_back(std::string(title) + "|" + std::string(text));
  return Next(yes_no_answers, "question", text);
}

std::string ScriptedDialogs::InputBox(std::string_view prompt, std::string_view title,
                                      std::string_view default_text) {
  input_boxes.push_back(std::string(title) + "|" + std::string(prompt) + "|" +
                        std::string(default_text));
  return Next(input_answers, "input box", prompt);
}

std::optional<std::string> ScriptedDialogs::OpenFile(std::string_view filter,
                                                     std::string_view title) {
  file_filters.emplace_back(filter);
  file_titles.emplace_back(title);
  return Next(file_answers, "file dialog", filter);
}

}  // namespace ombrix::testing
