#pragma once
// What every Bollard window needs: the options, the message seam, the trace.
#include <windows.h>

#include <cstdio>
#include <string>

#include "config_tool/command_line.h"
#include "config_tool/message_sink.h"

namespace bollard {

struct BollardContext {
  HINSTANCE instance = nullptr;
  BollardOptions options;
  IMessageSink* sink = nullptr;
  FILE* trace = stderr;  // "token = %s" lines of the report parser

  // The folder of the interface file: "c:\", the --file-dir folder, or the
  // temporary folder on a machine without drive C.
  std::string FileDirectory() const;
};

// Message boxes captioned "Bollard", owned by the active window.
class CMessageBoxSink : public IMessageSink {
 public:
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
};

}  // namespace bollard
