#include "app/side_windows.h"

#include "app/resource.h"

namespace app {

void SideWindows::ShowEventLog(HWND owner) {
  if (!event_log_) event_log_ = std::make_unique<CEventLogWindow>(instance_, log_);
  event_log_->Show(owner);
}

void SideWindows::ShowRecordings(HWND owner) {
  if (!recordings_) recordings_ = std::make_unique<recordings::CRecordingsWindow>(instance_);
  recordings_->Show(owner, sources_());
}

void SideWindows::PlayBack(HWND owner, const std::vector<std::string>& names) {
  if (!recordings_) recordings_ = std::make_unique<recordings::CRecordingsWindow>(instance_);
  recordings_->ShowCamera(owner, sources_(), names);
}

bool SideWindows::OnCommand(HWND owner, UINT id) {
  if (id == ID_EVENT_LOG)
    ShowEventLog(owner);
  else if (id == ID_RECORDINGS)
    ShowRecordings(owner);
  else
    return false;
  return true;
}

void SideWindows::Close() {
  if (event_log_ && event_log_->hwnd()) DestroyWindow(event_log_->hwnd());
  recordings_.reset();
}

}  // namespace app
