#pragma once
// The window seam of Bollard's logic: the messages the user must see. The
// program shows them in message boxes; tests record them.
#include <string>

namespace bollard {

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
};

}  // namespace bollard
