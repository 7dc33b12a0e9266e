#include "event_printer.h"

#include <cstdio>

namespace cli {

EventPrinter::EventPrinter(Runtime& runtime, os::WindowHandle window) : runtime_(runtime), window_(window) {
  runtime_.SetHandler(window_, [this](uint32_t, uintptr_t, intptr_t) { Print(); });
}

void EventPrinter::OnEvent(const node::EventEntry& entry) {
  if (!node::WorthALine(entry)) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back("event: " + node::EventLine(entry));
  }
  runtime_.Post(window_, 1, 0, 0);
}

void EventPrinter::Print() {
  std::deque<std::string> lines;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lines.swap(lines_);
  }
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  if (!lines.empty()) std::fflush(stdout);
}

}  // namespace cli
