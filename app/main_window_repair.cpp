// The repair of recordings the last run left cut off: started once the main
// window is up, run on a thread of its own, shown as a status line under
// the server tree while it runs and told to the user in one message.
#include "app/main_window.h"

#include <algorithm>

#include "app/repair_texts.h"
#include "app/resource.h"
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

void CMainWindow::StartRepair() {
  if (!setup_.open_recordings) return;
  repair_ = std::make_unique<record::StartupRepair>(*setup_.open_recordings, setup_.repair_sources, poster_,
                                                    reinterpret_cast<os::WindowHandle>(hwnd()),
                                                    record::StartupRepair::Messages{kWmRepairProgress, kWmRepairDone});
  repair_->Start();
}

void CMainWindow::ShowRepairStatus(size_t left) {
  if (left == 0 || repair_done_) {
    HideRepairStatus();
    return;
  }
  IniHandler& ini = IniHandler::Instance();
  const std::string text = left == 1 ? ini.GetText(kRepairRunningOne)
                                     : settings::FormatUserMessage(ini.GetText(kRepairRunning),
                                                                   {static_cast<long long>(left)});
  if (!repair_status_) {
    // The tree gives up its bottom line to the status while the repair runs.
    HWND tree = Item(IDC_TREE_SERVER);
    const RECT r = ChildRect(hwnd(), tree);
    const int height = std::min<int>(kRepairStatusHeight, (r.bottom - r.top) / 2);
    SetWindowPos(tree, nullptr, 0, 0, r.right - r.left, r.bottom - r.top - height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    repair_status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                     r.left, r.bottom - height, r.right - r.left, height, hwnd(), nullptr,
                                     setup_.instance, nullptr);
    if (HFONT font = ini.Font()) SendMessageW(repair_status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  SetWindowTextW(repair_status_, win32::Widen(text).c_str());
}

void CMainWindow::HideRepairStatus() {
  if (!repair_status_) return;
  const RECT line = ChildRect(hwnd(), repair_status_);
  DestroyWindow(repair_status_);
  repair_status_ = nullptr;
  HWND tree = Item(IDC_TREE_SERVER);
  const RECT r = ChildRect(hwnd(), tree);
  SetWindowPos(tree, nullptr, 0, 0, r.right - r.left, line.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string CMainWindow::repair_status() const {
  if (!repair_status_) return "";
  wchar_t text[256] = {};
  GetWindowTextW(repair_status_, text, 256);
  return win32::Narrow(text);
}

void CMainWindow::OnRepairDone() {
  if (!repair_ || repair_done_) return;
  repair_done_ = true;
  HideRepairStatus();
  const record::RepairReport report = repair_->TakeReport();
  LogRepair(report);
  if (!report.repaired.empty())
    event_log_.Add(node::EventKind::kRecordingsRepaired, "",
                   std::to_string(report.repaired.size()) + " recordings repaired at start");
  const std::string lines = NoticeLines(report);
  if (!lines.empty()) IniHandler::Instance().ShowMessage(kRepairReport, {lines});
}

}  // namespace app
