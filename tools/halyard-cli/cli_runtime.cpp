#include "cli_runtime.h"

#include <cstdio>
#include <iterator>

namespace cli {

std::atomic<bool> Runtime::interrupted{false};

void Runtime::SetHandler(os::WindowHandle window, Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handlers_[window] = std::move(handler);
}

void Runtime::Forget(os::WindowHandle window) {
  std::lock_guard<std::mutex> lock(mutex_);
  handlers_.erase(window);
  for (auto it = timers_.begin(); it != timers_.end();) it = it->first.first == window ? timers_.erase(it) : std::next(it);
}

bool Runtime::Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return posted_.Post(window, message, wparam, lparam);
}

void Runtime::SetTimer(os::WindowHandle window, uint32_t id, int interval_ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_[{window, id}] = {interval_ms, std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_ms)};
}

void Runtime::KillTimer(os::WindowHandle window, uint32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.erase({window, id});
}

void Runtime::ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                          const std::vector<os::MessageArg>&) {
  std::lock_guard<std::mutex> lock(mutex_);
  shown_.push_back(section + "/" + key);
  std::fprintf(stderr, "halyard-cli: %s\n", default_text.c_str());
}

bool Runtime::Tell(const hosting::HostEvent& event) {
  if (hosting::Is<hosting::HostUnreachable>(event)) {
    ShowMessage("ERROR_MESSAGE", "ERROR_CONNREFUSED", "You cannot connect to the hosting server!!!", {});
    return true;
  }
  if (hosting::Is<hosting::HostLoginRefused>(event)) {
    ShowMessage("ERROR_MESSAGE", "ERROR_LOGIN_FAIL", "Login Fail : Please Insert Correct ID and Password", {});
    return true;
  }
  if (hosting::Is<hosting::ChannelNotFound>(event)) {
    ShowMessage("ERROR_MESSAGE", "ERROR_CAHNNEL_SETUP", "Error : We donot find a selected camera or file", {});
    return true;
  }
  return false;
}

std::vector<std::string> Runtime::shown() {
  std::lock_guard<std::mutex> lock(mutex_);
  return shown_;
}

bool Runtime::Shown(const std::string& key) {
  for (const auto& k : shown())
    if (k == key) return true;
  return false;
}

void Runtime::DeliverDueTimers() {
  const auto now = std::chrono::steady_clock::now();
  std::vector<os::PostedMessage> due;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [key, timer] : timers_) {
      if (timer.due > now) continue;
      due.push_back({key.first, os::kWmTimer, key.second, 0});
      timer.due = now + std::chrono::milliseconds(timer.interval_ms);
    }
  }
  for (const auto& m : due) Post(m.window, m.message, m.wparam, m.lparam);
}

bool Runtime::RunUntil(const std::function<bool()>& done, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    DeliverDueTimers();
    for (os::PostedMessage m; posted_.Take(&m);) {
      Handler handler;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = handlers_.find(m.window);
        if (it != handlers_.end()) handler = it->second;
      }
      if (handler) handler(m.message, m.wparam, m.lparam);
    }
    if (done()) return true;
    if (interrupted || std::chrono::steady_clock::now() >= end) return false;
    posted_.WaitForMessage(20);
  }
}

}  // namespace cli
