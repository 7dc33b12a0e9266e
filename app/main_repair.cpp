#include "app/main_repair.h"

#include <algorithm>

#include "app/repair_texts.h"
#include "node/events/event_log.h"
#include "os/debug_log.h"
#include "os/win32/text.h"
#include "settings/message_format.h"
#include "settings/win32/ini_handler.h"

namespace app {
namespace {

using settings::IniHandler;

constexpr int kRepairStatusHeight = 16;  // pixels taken from the bottom of the tree

RECT ChildRect(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// One line per recording the user hears of, as the settings file words them.
std::string NoticeLines(const record::RepairReport& report) {
  IniHandler& ini = IniHandler::Instance();
  std::string lines;
  for (const record::RepairNoticeLine& line : record::RepairNotice(report)) {
    if (!lines.empty()) lines += "\r\n";
    lines += line.repaired ? settings::FormatUserMessage(ini.GetText(kRepairRepairedLine), {line.path, line.secondsKept})
                           : settings::FormatUserMessage(ini.GetText(kRepairFailedLine), {line.path});
  }
  return lines;
}

void LogRepair(const record::RepairReport& report) {
  for (const record::RepairResult& result : report.repaired)
    DebugLog("Recording repaired: %s (%s)\n", result.path.c_str(), result.message.c_str());
  for (const record::RepairResult& result : report.notRepaired)
    DebugLog("Recording not repaired: %s (%s)\n", result.path.c_str(), result.message.c_str());
}

}  // namespace

void MainRepair::Start(record::OpenRecordingList& list, const record::StartupRepairSources& sources,
                       os::WindowPoster& poster, HWND window, HWND tree) {
  window_ = window;
  tree_ = tree;
  repair_ = std::make_unique<record::StartupRepair>(list, sources, poster, reinterpret_cast<os::WindowHandle>(window),
                                                    record::StartupRepair::Messages{kWmRepairProgress, kWmRepairDone});
  repair_->Start();
}

void MainRepair::OnProgress(size_t left) {
  if (left == 0 || done_) {
    HideStatus();
    return;
  }
  IniHandler& ini = IniHandler::Instance();
  const std::string text = left == 1 ? ini.GetText(kRepairRunningOne)
                                     : settings::FormatUserMessage(ini.GetText(kRepairRunning),
                                                                   {static_cast<long long>(left)});
  if (!status_) {
    // The tree gives up its bottom line to the status while the repair runs.
    const RECT r = ChildRect(window_, tree_);
    const int height = std::min<int>(kRepairStatusHeight, (r.bottom - r.top) / 2);
    SetWindowPos(tree_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top - height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, r.left,
                              r.bottom - height, r.right - r.left, height, window_, nullptr, instance_, nullptr);
    if (HFONT font = ini.Font()) SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  SetWindowTextW(status_, win32::Widen(text).c_str());
}

void MainRepair::HideStatus() {
  if (!status_) return;
  const RECT line = ChildRect(window_, status_);
  DestroyWindow(status_);
  status_ = nullptr;
  const RECT r = ChildRect(window_, tree_);
  SetWindowPos(tree_, nullptr, 0, 0, r.right - r.left, line.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string MainRepair::status() const {
  if (!status_) return "";
  wchar_t text[256] = {};
  GetWindowTextW(status_, text, 256);
  return win32::Narrow(text);
}

void MainRepair::OnDone() {
  if (!repair_ || done_) return;
  done_ = true;
  HideStatus();
  const record::RepairReport report = repair_->TakeReport();
  LogRepair(report);
  if (!report.repaired.empty())
    log_.Add(node::EventKind::kRecordingsRepaired, "", std::to_string(report.repaired.size()) + " recordings repaired at start");
  const std::string lines = NoticeLines(report);
  if (!lines.empty()) IniHandler::Instance().ShowMessage(kRepairReport, {lines});
}

}  // namespace app
