#include "app/recordings/recordings_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "app/recordings/recordings_texts.h"
#include "app/view/file_chooser.h"
#include "app/view/view_texts.h"
#include "os/file.h"
#include "os/local_time.h"
#include "os/win32/text.h"
#include "present/picture_file.h"
#include "record/recording_names.h"
#include "settings/message_format.h"
#include "settings/win32/ini_handler.h"

namespace app::recordings {
namespace {

constexpr const char* kSpeedNames[] = {"1/4x", "1/2x", "1x", "2x", "4x", "8x", "16x"};
constexpr int kButtonRow = 26;
constexpr int kGap = 6;

std::string Format(const settings::TextId& id, const std::vector<os::MessageArg>& args) {
  return settings::FormatUserMessage(settings::IniHandler::Instance().GetString(id), args);
}

std::string TimeText(int64_t ms) { return record::LocalTimeText(ms / 1000); }

}  // namespace

CRecordingsWindow::CRecordingsWindow(HINSTANCE instance) : CDialogBase(instance, IDD_RECORDINGS), export_(*this) {}

CRecordingsWindow::~CRecordingsWindow() {
  scan_.Stop();
  export_.Stop();
  // The player draws into the panes: it stops before they go.
  if (player_) player_->Stop();
  player_.reset();
  panes_.clear();
  timeline_.reset();
  if (hwnd()) DestroyWindow(hwnd());
}

void CRecordingsWindow::Show(HWND owner, RecordingsSources sources) {
  sources_ = std::move(sources);
  if (!hwnd()) Create(owner);
  if (!hwnd()) return;
  Scan();
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void CRecordingsWindow::ShowCamera(HWND owner, RecordingsSources sources, const std::vector<std::string>& names) {
  pending_names_ = names;
  Show(owner, std::move(sources));
}

BOOL CRecordingsWindow::OnInitDialog() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  SetWindowTextW(hwnd(), win32::Widen(ini.GetString(kRecordingsCaption)).c_str());
  rasteriser_ = std::make_unique<view::GdiTextRasteriser>(ini.Font());
  for (size_t i = 0; i < kMaxCameras; ++i)
    panes_.push_back(std::make_unique<PlaybackPane>(hwnd(), display_, *rasteriser_));
  timeline_ = std::make_unique<TimelineControl>(hwnd(), IDC_REC_TIMELINE);
  // The timeline comes after the lists in the Tab order.
  SetWindowPos(timeline_->hwnd(), Item(IDC_REC_DAYS), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (const char* name : kSpeedNames)
    SendMessageW(Item(IDC_REC_SPEED), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(name).c_str()));
  SendMessageW(Item(IDC_REC_SPEED), CB_SETCURSEL, speed_index_, 0);
  SetItemText(IDC_REC_PLAY, ini.GetString(kRecordingsPlay));
  SendMessageW(Item(IDC_REC_PROGRESS), PBM_SETRANGE32, 0, 100);
  sound_.Bind(sources_.sound);
  sound_.CreateBuffer();
  player_ = std::make_unique<node::RecordingPlayer>();
  player_->SetStatusListener([this](const node::PlayerStatus&) {
    if (!status_posted_.exchange(true)) PostMessageW(hwnd(), kWmStatus, 0, 0);
  });
  player_->Start();
  export_.Create(hwnd(), *timeline_, kWmExportProgress, kWmExportDone);
  RECT r{0, 0, 900, 640};
  AdjustWindowRectEx(&r, GetWindowLongW(hwnd(), GWL_STYLE), FALSE, GetWindowLongW(hwnd(), GWL_EXSTYLE));
  SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  Layout();
  RouteDialogKeys();
  return TRUE;
}

// ---- the folders ----------------------------------------------------------

void CRecordingsWindow::Scan() {
  if (scan_.Start(sources_.roots, sources_.event_folder, hwnd(), kWmCatalog))
    SetStatusText(settings::IniHandler::Instance().GetString(kRecordingsReading));
}

void CRecordingsWindow::OnCatalog() {
  std::shared_ptr<const record::RecordingsCatalog> catalog = scan_.Take();
  if (!catalog) return;
  catalog_ = catalog;
  player_->SetCatalog(catalog_);
  size_t files = 0;
  for (const record::CameraRecordings& c : catalog_->Cameras()) files += c.files.size();
  SetStatusText(Format(kRecordingsFound, {static_cast<long long>(files), static_cast<long long>(catalog_->Cameras().size())}));
  FillCameras();
  std::vector<std::string> keep;
  for (const std::string& c : chosen_)
    if (catalog_->Find(c)) keep.push_back(c);
  const record::CameraRecordings* wanted = nullptr;
  for (const std::string& name : pending_names_)
    for (const std::string& as : {name, record::FileSafeCameraName(name), os::SafeFileName(name, "camera")})
      if (!wanted && !name.empty()) wanted = catalog_->Find(as);
  if (wanted) {
    // "Play Back...": the camera's last minutes, playing.
    const record::CameraRecordings& camera = *wanted;
    ChooseCameras({camera.name});
    if (!camera.recorded.empty()) {
      const record::TimeSpan last = camera.recorded.back();
      Seek(std::max(last.begin, last.end - kLastMinutesMs));
      player_->SetPaused(false);
    }
  } else if (keep.empty() && !catalog_->Cameras().empty()) {
    ChooseCameras({catalog_->Cameras().front().name});
  } else {
    ChooseCameras(keep);
  }
  pending_names_.clear();
}

void CRecordingsWindow::FillCameras() {
  HWND list = Item(IDC_REC_CAMERAS);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  listed_.clear();
  for (const record::CameraRecordings& c : catalog_->Cameras()) {
    listed_.push_back(c.name);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(c.name).c_str()));
  }
}

void CRecordingsWindow::ChooseCameras(const std::vector<std::string>& cameras) {
  chosen_.clear();
  for (const std::string& c : cameras)
    if (chosen_.size() < kMaxCameras && catalog_ && catalog_->Find(c) &&
        std::find(chosen_.begin(), chosen_.end(), c) == chosen_.end())
      chosen_.push_back(c);
  HWND list = Item(IDC_REC_CAMERAS);
  for (size_t i = 0; i < listed_.size(); ++i) {
    const bool on = std::find(chosen_.begin(), chosen_.end(), listed_[i]) != chosen_.end();
    SendMessageW(list, LB_SETSEL, on, static_cast<LPARAM>(i));
  }
  std::vector<node::PlayerCamera> played;
  for (size_t i = 0; i < chosen_.size(); ++i) played.push_back({chosen_[i], panes_[i].get()});
  player_->SetCameras(played, sources_.sound ? &sound_ : nullptr);
  Layout();
  FillDays();
}

void CRecordingsWindow::FillDays() {
  std::vector<int> days;
  for (const std::string& name : chosen_)
    for (int d : catalog_->Find(name)->Days()) days.push_back(d);
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  days_ = days;
  HWND list = Item(IDC_REC_DAYS);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (int d : days_) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(record::DayText(d)).c_str()));
  int day = day_;
  const int64_t position = player_->Status().position;
  if (position) day = record::LocalDay(position / 1000);
  if (std::find(days_.begin(), days_.end(), day) == days_.end()) day = days_.empty() ? 0 : days_.back();
  if (day) ChooseDay(day);
}

void CRecordingsWindow::ChooseDay(int yyyymmdd) {
  const auto at = std::find(days_.begin(), days_.end(), yyyymmdd);
  if (at == days_.end()) return;
  SendMessageW(Item(IDC_REC_DAYS), LB_SETCURSEL, static_cast<WPARAM>(at - days_.begin()), 0);
  const bool new_day = day_ != yyyymmdd;
  day_ = yyyymmdd;
  ShowDay();
  // A new day starts at its first recording, unless the position is already in it.
  const int64_t position = player_->Status().position;
  if (new_day && (!position || record::LocalDay(position / 1000) != day_)) {
    int64_t first = 0;
    for (const std::string& name : chosen_) {
      const record::DayView view = record::RecordingsCatalog::Day(*catalog_->Find(name), day_);
      if (!view.recorded.empty() && (!first || view.recorded.front().begin < first)) first = view.recorded.front().begin;
    }
    if (first) Seek(first);
  }
}

void CRecordingsWindow::ShowDay() {
  std::vector<TimelineControl::Row> rows;
  int64_t begin = 0, end = 0;
  for (const std::string& name : chosen_) {
    const record::DayView view = record::RecordingsCatalog::Day(*catalog_->Find(name), day_);
    begin = view.begin;
    end = view.end;
    TimelineControl::Row row{name, view.recorded, view.motion, {}};
    for (const record::EventBand& e : view.events) row.events.push_back(e.end);
    rows.push_back(std::move(row));
  }
  if (begin == 0) {
    begin = record::LocalDayStart(day_) * 1000;
    end = record::LocalDayEnd(day_) * 1000;
  }
  timeline_->SetDay(begin, end);
  timeline_->SetRows(std::move(rows));
}

// ---- playing --------------------------------------------------------------

void CRecordingsWindow::Seek(int64_t wallMs) {
  if (!player_) return;
  player_->Seek(wallMs);
  timeline_->SetPosition(wallMs);
}

void CRecordingsWindow::SetSpeedIndex(int index) {
  speed_index_ = std::clamp(index, 0, static_cast<int>(std::size(record::kPlaySpeeds)) - 1);
  SendMessageW(Item(IDC_REC_SPEED), CB_SETCURSEL, speed_index_, 0);
  player_->SetSpeed(record::kPlaySpeeds[speed_index_]);
}

bool CRecordingsWindow::OnKey(UINT key) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  switch (key) {
    case VK_SPACE:
      player_->SetPaused(!player_->Status().paused);
      return true;
    case VK_LEFT:
      player_->Jump(ctrl ? -60'000 : -5'000);
      return true;
    case VK_RIGHT:
      player_->Jump(ctrl ? 60'000 : 5'000);
      return true;
    case VK_OEM_COMMA:
      player_->Step(-1);
      return true;
    case VK_OEM_PERIOD:
      player_->Step(1);
      return true;
    case VK_PRIOR:
      player_->PreviousMotion();
      return true;
    case VK_NEXT:
      player_->NextMotion();
      return true;
    case VK_ADD:
    case VK_OEM_PLUS:
      SetSpeedIndex(speed_index_ + 1);
      return true;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
      SetSpeedIndex(speed_index_ - 1);
      return true;
    default:
      return false;
  }
}

void CRecordingsWindow::OnStatus() {
  status_posted_ = false;
  const node::PlayerStatus s = player_->Status();
  if (s.position) {
    timeline_->SetPosition(s.position);
    if (record::LocalDay(s.position / 1000) != day_) ChooseDay(record::LocalDay(s.position / 1000));
  }
  settings::IniHandler& ini = settings::IniHandler::Instance();
  SetItemText(IDC_REC_PLAY, ini.GetString(s.paused ? kRecordingsPlay : kRecordingsPause));
  const int64_t second = s.position / 1000;
  if (second != last_second_shown_) {
    last_second_shown_ = second;
    SetItemText(IDC_REC_POSITION, s.position ? TimeText(s.position) + "  " + kSpeedNames[speed_index_] : "");
  }
  for (size_t i = 0; i < chosen_.size() && i < s.views.size(); ++i) {
    const node::PlayerStatus::View& v = s.views[i];
    panes_[i]->SetTexts(chosen_[i], v.noRecording ? "" : TimeText(v.pictureTime), v.noRecording);
  }
}

void CRecordingsWindow::Snapshot() {
  std::vector<uint8_t> picture;
  int width = 0, height = 0;
  if (chosen_.empty() || !panes_[0]->LastPicture(&picture, &width, &height)) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  const node::PlayerStatus s = player_->Status();
  const int64_t at = s.views.empty() ? s.position : s.views[0].pictureTime;
  const std::string name = os::SafeFileName(chosen_[0], "camera") + "_" +
                           os::FormatLocalTime("%Y%m%d_%H%M%S", static_cast<std::time_t>(at / 1000)) + ".png";
  std::string folder;
  if (!s.views.empty() && !s.views[0].file.empty()) {
    folder = s.views[0].file;
    folder.erase(folder.find_last_of("\\/") + 1);
  }
  std::string path;
  view::SaveDialogs chooser;
  if (!chooser.ChooseSnapshot(hwnd(), folder, name, &path)) return;
  const codec::DecodedPicture shown{picture.data(), width, height};
  const std::vector<uint8_t> file = present::PictureFormatFor(path) == present::PictureFormat::kBmp
                                        ? present::EncodeBmp(shown)
                                        : present::EncodePng(shown);
  if (!os::WriteWholeFile(path, file.data(), file.size()))
    settings::IniHandler::Instance().ShowMessage(view::kSnapshotWriteFail, {path});
}

// ---- export ---------------------------------------------------------------

bool CRecordingsWindow::ExportTo(const std::string& folder) { return export_.ExportTo(folder); }

void CRecordingsWindow::CancelExport() { export_.Cancel(); }

void CRecordingsWindow::SetStatusText(const std::string& text) { SetItemText(IDC_REC_STATUS, text); }

std::string CRecordingsWindow::RecordingAt(int row, int64_t time) const {
  if (!catalog_ || row < 0 || row >= static_cast<int>(chosen_.size())) return {};
  const record::CameraRecordings* camera = catalog_->Find(chosen_[static_cast<size_t>(row)]);
  const record::Segment* segment = camera ? camera->SegmentAt(time) : nullptr;
  return segment ? camera->files[segment->file].path : std::string();
}

void CRecordingsWindow::ShowRecordingMenu() {
  const std::string path = RecordingAt(timeline_->menuRow(), timeline_->menuTime());
  if (path.empty() || !sources_.is_kept || !sources_.set_keep) return;
  HMENU menu = CreatePopupMenu();
  constexpr UINT kKeep = 1;
  AppendMenuW(menu, MF_STRING | (sources_.is_kept(path) ? MF_CHECKED : 0), kKeep,
              win32::Widen(settings::IniHandler::Instance().GetString(kRecordingsKeep)).c_str());
  const POINT at = timeline_->menuPoint();
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x,
                                                       at.y, 0, hwnd(), nullptr));
  DestroyMenu(menu);
  if (chosen == kKeep) ToggleKeep(path);
}

void CRecordingsWindow::ToggleKeep(const std::string& path) {
  if (!sources_.is_kept || !sources_.set_keep) return;
  const bool keep = !sources_.is_kept(path);
  const std::string name = path.substr(path.find_last_of("\\/") + 1);
  if (!sources_.set_keep(path, keep))
    SetStatusText(Format(kRecordingsCannotKeep, {name}));
  else
    SetStatusText(Format(keep ? kRecordingsKept : kRecordingsNotKept, {name}));
}

// ---- placing --------------------------------------------------------------

void CRecordingsWindow::Layout() {
  if (!hwnd() || !timeline_) return;
  RECT c;
  GetClientRect(hwnd(), &c);
  const int left = 160, w = c.right - left - kGap;
  const int list_h = (c.bottom - 3 * kGap - 40) / 3;
  MoveWindow(Item(IDC_REC_CAMERAS_LABEL), kGap, kGap, left - 2 * kGap, 16, TRUE);
  MoveWindow(Item(IDC_REC_CAMERAS), kGap, kGap + 18, left - 2 * kGap, list_h, TRUE);
  MoveWindow(Item(IDC_REC_DAYS_LABEL), kGap, 2 * kGap + 18 + list_h, left - 2 * kGap, 16, TRUE);
  MoveWindow(Item(IDC_REC_DAYS), kGap, 2 * kGap + 36 + list_h, left - 2 * kGap, c.bottom - (3 * kGap + 36 + list_h), TRUE);
  // From the bottom up: the status line, the export row, the player's row, the timeline.
  int y = c.bottom - kGap - 18;
  MoveWindow(Item(IDC_REC_STATUS), left, y, w, 18, TRUE);
  y -= kButtonRow + 2;
  int x = left;
  auto put = [&](int id, int width) {
    MoveWindow(Item(id), x, y, width, kButtonRow - 4, TRUE);
    x += width + 4;
  };
  put(IDC_REC_MARK_FROM, 44);
  put(IDC_REC_FROM, 140);
  put(IDC_REC_MARK_TO, 44);
  put(IDC_REC_TO, 140);
  put(IDC_REC_MATROSKA, 110);
  put(IDC_REC_EXPORT, 70);
  put(IDC_REC_PROGRESS, std::max(40, static_cast<int>(c.right) - x - 70 - kGap));
  put(IDC_REC_CANCEL, 66);
  y -= kButtonRow + 2;
  x = left;
  for (int id : {IDC_REC_PREVIOUS_MOTION, IDC_REC_BACK60, IDC_REC_BACK5, IDC_REC_STEP_BACK})
    put(id, id == IDC_REC_BACK60 ? 44 : 36);
  put(IDC_REC_PLAY, 56);
  for (int id : {IDC_REC_STEP, IDC_REC_FORWARD5, IDC_REC_FORWARD60, IDC_REC_NEXT_MOTION})
    put(id, id == IDC_REC_FORWARD60 ? 44 : 36);
  MoveWindow(Item(IDC_REC_SPEED), x, y, 64, 200, TRUE);
  x += 68;
  put(IDC_REC_SNAPSHOT, 70);
  put(IDC_REC_POSITION, std::max(60, static_cast<int>(c.right) - x - kGap));
  const int rows = static_cast<int>(std::max<size_t>(chosen_.size(), 1));
  const int timeline_h = TimelineControl::kRulerHeight + rows * TimelineControl::kRowHeight + 8;
  y -= timeline_h + kGap;
  MoveWindow(timeline_->hwnd(), left, y, w, timeline_h, TRUE);
  PlacePanes(RECT{left, kGap, left + w, y - kGap});
}

// One camera fills the area, two share it side by side, three or four in a 2x2 grid.
void CRecordingsWindow::PlacePanes(const RECT& area) {
  const int n = static_cast<int>(chosen_.size());
  const int columns = n > 1 ? 2 : 1, lines = n > 2 ? 2 : 1;
  const int cw = (area.right - area.left - (columns - 1) * 2) / columns;
  const int ch = (area.bottom - area.top - (lines - 1) * 2) / lines;
  for (int i = 0; i < static_cast<int>(panes_.size()); ++i) {
    const int col = i % columns, line = i / columns;
    // The cameras' 4:3 pictures keep their shape, centred in their cell.
    const int w = std::min(cw, ch * 4 / 3), h = std::min(ch, cw * 3 / 4);
    const int x = area.left + col * (cw + 2) + (cw - w) / 2, y = area.top + line * (ch + 2) + (ch - h) / 2;
    panes_[i]->Place(RECT{x, y, x + w, y + h}, i < std::max(n, 1));
  }
}

// ---- messages -------------------------------------------------------------

bool CRecordingsWindow::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_REC_CAMERAS:
      if (code == LBN_SELCHANGE) {
        std::vector<std::string> cameras;
        for (size_t i = 0; i < listed_.size(); ++i)
          if (SendMessageW(Item(IDC_REC_CAMERAS), LB_GETSEL, i, 0) > 0) cameras.push_back(listed_[i]);
        ChooseCameras(cameras);
      }
      return true;
    case IDC_REC_DAYS:
      if (code == LBN_SELCHANGE) {
        const LRESULT at = SendMessageW(Item(IDC_REC_DAYS), LB_GETCURSEL, 0, 0);
        if (at >= 0 && at < static_cast<LRESULT>(days_.size())) ChooseDay(days_[static_cast<size_t>(at)]);
      }
      return true;
    case IDC_REC_TIMELINE:
      if (code == TimelineControl::kSeek) player_->Seek(timeline_->requested());
      if (code == TimelineControl::kMenu) ShowRecordingMenu();
      if (code == TimelineControl::kMarksMoved) export_.MarksMoved();
      return true;
    case IDC_REC_SPEED:
      if (code == CBN_SELCHANGE) SetSpeedIndex(static_cast<int>(SendMessageW(Item(IDC_REC_SPEED), CB_GETCURSEL, 0, 0)));
      return true;
    case IDC_REC_FROM:
    case IDC_REC_TO:
      if (code == EN_KILLFOCUS) export_.MarksTyped();
      return true;
    default:
      break;
  }
  if (code != BN_CLICKED) return false;
  // The player's buttons hand the focus back to the timeline, where the keys work.
  if ((id >= IDC_REC_BACK60 && id <= IDC_REC_FORWARD60) || id == IDC_REC_PREVIOUS_MOTION || id == IDC_REC_NEXT_MOTION)
    PostMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(timeline_->hwnd()), TRUE);
  switch (id) {
    case IDC_REC_PLAY:
      return OnKey(VK_SPACE);
    case IDC_REC_BACK60:
      player_->Jump(-60'000);
      return true;
    case IDC_REC_BACK5:
      player_->Jump(-5'000);
      return true;
    case IDC_REC_FORWARD5:
      player_->Jump(5'000);
      return true;
    case IDC_REC_FORWARD60:
      player_->Jump(60'000);
      return true;
    case IDC_REC_STEP_BACK:
      player_->Step(-1);
      return true;
    case IDC_REC_STEP:
      player_->Step(1);
      return true;
    case IDC_REC_PREVIOUS_MOTION:
      player_->PreviousMotion();
      return true;
    case IDC_REC_NEXT_MOTION:
      player_->NextMotion();
      return true;
    case IDC_REC_SNAPSHOT:
      Snapshot();
      return true;
    case IDC_REC_MARK_FROM:
    case IDC_REC_MARK_TO:
      export_.MarkAt(id, player_->Status().position);
      return true;
    case IDC_REC_CANCEL:
      CancelExport();
      return true;
    case IDC_REC_EXPORT:
      export_.ChooseAndExport();
      return true;
    default:
      return false;
  }
}

INT_PTR CRecordingsWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kWmCatalog:
      OnCatalog();
      return TRUE;
    case kWmStatus:
      OnStatus();
      return TRUE;
    case kWmExportProgress:
      export_.OnProgress();
      return TRUE;
    case kWmExportDone:
      export_.OnDone();
      return TRUE;
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {760, 480};
      return TRUE;
    }
    case WM_KEYDOWN:
      if (OnKey(static_cast<UINT>(wparam))) return TRUE;
      break;
    case WM_MOUSEWHEEL: {
      // The wheel goes to the focus; over the timeline it zooms whatever has it.
      POINT p{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      RECT r;
      GetWindowRect(timeline_->hwnd(), &r);
      if (PtInRect(&r, p)) {
        ScreenToClient(timeline_->hwnd(), &p);
        timeline_->Zoom(GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA, p.x);
        return TRUE;
      }
      break;
    }
    case WM_CLOSE:
      // Kept for the next time; the playing stops.
      player_->SetPaused(true);
      ShowWindow(hwnd(), SW_HIDE);
      return TRUE;
    default:
      break;
  }
  return CDialogBase::HandleMessage(message, wparam, lparam);
}

}  // namespace app::recordings
