#include "app/recordings/range_export_panel.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "app/recordings/recordings_resource.h"
#include "app/recordings/recordings_texts.h"
#include "app/view/file_chooser.h"
#include "os/local_time.h"
#include "os/win32/text.h"
#include "record/recording_names.h"
#include "settings/message_format.h"
#include "settings/win32/ini_handler.h"

namespace app::recordings {
namespace {

std::string Format(const settings::TextId& id, const std::vector<os::MessageArg>& args) {
  return settings::FormatUserMessage(settings::IniHandler::Instance().GetString(id), args);
}

std::string TimeText(int64_t ms) { return record::LocalTimeText(ms / 1000); }

}  // namespace

void RangeExportPanel::Create(HWND window, TimelineControl& timeline, UINT progress, UINT done) {
  window_ = window;
  timeline_ = &timeline;
  job_ = std::make_unique<RangeExportJob>(window, progress, done);
}

std::string RangeExportPanel::Text(int id) const {
  const HWND item = GetDlgItem(window_, id);
  const int n = GetWindowTextLengthW(item);
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
  const int got = GetWindowTextW(item, buf.data(), n + 1);
  return win32::Narrow(std::wstring_view(buf.data(), static_cast<size_t>(got)));
}

void RangeExportPanel::MarkAt(int button, int64_t position) {
  if (!position) return;
  SetDlgItemTextW(window_, button == IDC_REC_MARK_FROM ? IDC_REC_FROM : IDC_REC_TO,
                  win32::Widen(TimeText(position)).c_str());
  MarksTyped();
}

void RangeExportPanel::MarksTyped() {
  int64_t from = 0, to = 0;
  ReadMarks(&from, &to);
}

void RangeExportPanel::MarksMoved() {
  if (timeline_->markFrom()) SetDlgItemTextW(window_, IDC_REC_FROM, win32::Widen(TimeText(timeline_->markFrom())).c_str());
  if (timeline_->markTo()) SetDlgItemTextW(window_, IDC_REC_TO, win32::Widen(TimeText(timeline_->markTo())).c_str());
}

bool RangeExportPanel::ReadMarks(int64_t* from, int64_t* to) {
  int64_t f = 0, t = 0;
  const bool have_from = record::ParseLocalTimeText(Text(IDC_REC_FROM), &f);
  const bool have_to = record::ParseLocalTimeText(Text(IDC_REC_TO), &t);
  timeline_->SetMarks(have_from ? f * 1000 : 0, have_to ? t * 1000 : 0);
  *from = f * 1000;
  *to = t * 1000;
  return have_from && have_to && f < t;
}

void RangeExportPanel::ChooseAndExport() {
  int64_t from = 0, to = 0;
  const std::vector<std::string>& cameras = owner_.cameras();
  if (!ReadMarks(&from, &to) || cameras.empty()) {
    owner_.SetStatusText(settings::IniHandler::Instance().GetString(kRecordingsBadMarks));
    return;
  }
  // The first camera's file is named in the save dialog; the others go beside it.
  std::wstring file(MAX_PATH, L'\0');
  const std::string suggested = record::FileSafeCameraName(cameras[0]) +
                                os::FormatLocalTime("_%Y%m%d_%H%M%S", static_cast<std::time_t>(from / 1000)) + ".mp4";
  std::wstring wide = win32::Widen(suggested);
  wide.copy(file.data(), std::min(wide.size(), file.size() - 1));
  const std::wstring filter =
      view::DialogFilter(settings::IniHandler::Instance().GetString(kRecordingsExportFilter) + "|*.mp4||");
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = L"mp4";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return;
  std::string path = win32::Narrow(file.c_str());
  ExportTo(path.substr(0, path.find_last_of("\\/") + 1));
}

bool RangeExportPanel::ExportTo(const std::string& folder) {
  int64_t from = 0, to = 0;
  const std::vector<std::string>& cameras = owner_.cameras();
  if (!ReadMarks(&from, &to) || cameras.empty()) {
    owner_.SetStatusText(settings::IniHandler::Instance().GetString(kRecordingsBadMarks));
    return false;
  }
  std::vector<record::RangeExportRequest> requests;
  const std::string stamp = os::FormatLocalTime("_%Y%m%d_%H%M%S", static_cast<std::time_t>(from / 1000)) +
                            os::FormatLocalTime("-%H%M%S", static_cast<std::time_t>(to / 1000));
  for (const std::string& camera : cameras) {
    record::RangeExportRequest r;
    r.camera = camera;
    r.from = from;
    r.to = to;
    r.output = folder + record::FileSafeCameraName(camera) + stamp + ".mp4";
    r.matroska = IsDlgButtonChecked(window_, IDC_REC_MATROSKA) == BST_CHECKED;
    requests.push_back(std::move(r));
  }
  if (!job_->Start(owner_.catalog(), requests)) return false;
  owner_.SetStatusText(Format(kRecordingsExporting, {requests.front().output}));
  SendMessageW(GetDlgItem(window_, IDC_REC_PROGRESS), PBM_SETPOS, 0, 0);
  EnableWindow(GetDlgItem(window_, IDC_REC_EXPORT), FALSE);
  EnableWindow(GetDlgItem(window_, IDC_REC_CANCEL), TRUE);
  return true;
}

void RangeExportPanel::OnProgress() {
  SendMessageW(GetDlgItem(window_, IDC_REC_PROGRESS), PBM_SETPOS, job_->Percent(), 0);
}

void RangeExportPanel::OnDone() {
  std::string text;
  for (const record::RangeExportResult& r : job_->Collect()) {
    if (!text.empty()) text += "; ";
    if (!r.error.empty())
      text += r.error;
    else
      for (const std::string& f : r.files) text += Format(kRecordingsExported, {f});
  }
  owner_.SetStatusText(text);
  SendMessageW(GetDlgItem(window_, IDC_REC_PROGRESS), PBM_SETPOS, 0, 0);
  EnableWindow(GetDlgItem(window_, IDC_REC_EXPORT), TRUE);
  EnableWindow(GetDlgItem(window_, IDC_REC_CANCEL), FALSE);
}

}  // namespace app::recordings
