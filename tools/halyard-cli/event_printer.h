#pragma once
// Prints each event of the log as "event: HH:MM:SS CAMERA TEXT" on standard
// output. OnEvent may come from the receive thread, so it only queues the
// line and wakes the console's message loop, which prints it.
#include <deque>
#include <mutex>
#include <string>

#include "cli_runtime.h"
#include "node/events/event_log.h"

namespace cli {

class EventPrinter : public node::EventListener {
 public:
  EventPrinter(Runtime& runtime, os::WindowHandle window);
  void OnEvent(const node::EventEntry& entry) override;
  // The loop's thread: prints what is queued.
  void Print();

 private:
  Runtime& runtime_;
  const os::WindowHandle window_;
  std::mutex mutex_;
  std::deque<std::string> lines_;
};

}  // namespace cli
