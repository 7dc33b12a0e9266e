#pragma once
// Message boxes captured instead of shown; questions answered with `answer`.
#include <string>
#include <vector>

#include "config_tool/message_sink.h"

namespace bollard {

class RecordingSink : public IMessageSink {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return answer;
  }
  std::vector<std::string> messages, questions;
  bool answer = true;
};

}  // namespace bollard
