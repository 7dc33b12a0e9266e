// The view's life (open, link, close), its message dispatch and the state
// it shows: toggles, status line, overlay, alarm and selection frames.
#include "app/view/camera_view_window.h"

#include <atomic>

#include "app/program_core.h"
#include "app/view/frame_tips.h"
#include "app/view/registry_motion.h"
#include "app/view/view_resource.h"
#include "app/view/view_texts.h"
#include "dialogs/preset/win32/preset_dialog.h"
#include "hosting/hosting_service.h"
#include "node/events/event_log.h"
#include "os/clock.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/message_format.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app::view {

CViewWindow::CViewWindow(HINSTANCE instance, ViewHost& host, ViewRequest request, FileChooser& chooser)
    : CDialogBase(instance, IDD_CAMERA_VIEW), host_(host), request_(std::move(request)), chooser_(chooser) {}

CViewWindow::~CViewWindow() { Teardown(); }

bool CViewWindow::IsRelay() const { return request_.kind != ViewRequest::Kind::kDirect; }

std::string CViewWindow::CameraId() const { return binding_.node() ? binding_.node()->camera_id() : std::string(); }

std::string CViewWindow::Text(const settings::TextId& id) const {
  return settings::IniHandler::Instance().GetString(id);
}

std::string CViewWindow::DisplayName() const {
  if (request_.kind == ViewRequest::Kind::kDirect && !request_.display_name.empty()) return request_.display_name;
  if (request_.kind == ViewRequest::Kind::kFile) return request_.file_name;
  return request_.kind == ViewRequest::Kind::kRelay ? request_.camera_id : CameraId();
}

bool CViewWindow::Open() {
  if (!binding_.TakeSlot()) return false;
  if (!Create(nullptr)) return false;
  binding_.Bind(hwnd(), picture_, seam_, [this](std::string* path) { return chooser_.ChooseRecording(hwnd(), path); });
  key_timers_ = std::make_unique<MultimediaKeyTimers>(hwnd(), kWmKeyTimer);
  CameraSteering& steering = *this;
  keyboard_ = std::make_unique<KeyboardControl>(*key_timers_, steering);
  rasteriser_ = std::make_unique<GdiTextRasteriser>(settings::IniHandler::Instance().Font());
  SetWindowTextW(hwnd(), win32::Widen(DisplayName()).c_str());
  ApplySize(ScreenSize::k1x);
  Place(false);
  ShowWindow(hwnd(), SW_SHOW);
  SetTimer(hwnd(), kRefreshTimer, kRefreshMs, nullptr);
  binding_.StartLink();
  RefreshTips();
  Refresh();
  return true;
}

// Everything that runs on other threads stops before the window goes: the
// key timers, the node's link (off the hosting lists, connect threads
// ended, media worker stopped), the renderers.
void CViewWindow::Teardown() {
  keyboard_.reset();
  key_timers_.reset();
  preset_panel_.reset();
  seek_window_.reset();
  motion_settings_.reset();
  binding_.Unbind();
  if (hwnd()) DestroyWindow(hwnd());
  binding_.ReleaseSlot();
}

bool CViewWindow::OwnsWindow(HWND root) const {
  if (closing_ || !root) return false;
  return root == hwnd() || (binding_.full_screen_window() && root == binding_.full_screen_window()->hwnd());
}

HWND CViewWindow::ModelessDialog() const { return motion_settings_ ? motion_settings_->hwnd() : nullptr; }

void CViewWindow::PostClose() { PostMessageW(hwnd(), WM_COMMAND, kCommandClose, 0); }

// The close command: the node releases its channels and closes its link,
// the window goes, and the host, told last, deletes this object. Nothing
// may touch the object after ViewClosed.
void CViewWindow::CloseView() {
  if (closing_) return;
  closing_ = true;
  if (binding_.node()) binding_.node()->CloseCommand();
  LeaveFullScreen();
  DestroyWindow(hwnd());
  host_.ViewClosed(this);
}

INT_PTR CViewWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (node::IsNodeSelfMessage(message)) {
    ForwardToNode(message, wparam, lparam);
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (OnViewCommand(LOWORD(wparam), HIWORD(wparam))) return TRUE;
      if (OnCameraCommand(LOWORD(wparam))) Refresh();
      return TRUE;
    case os::kWmNodePictureWidth: {
      ScreenSize size;
      if (ScreenSizeForWidth(static_cast<int>(wparam), &size) && HasCamera()) ApplySize(size);
      return TRUE;
    }
    case WM_CLOSE:
      CloseView();
      return TRUE;
    case kWmMotionSettingsEnded:
      if (motion_settings_ && motion_settings_->result() != -1) motion_settings_.reset();
      RefreshOverlay();
      return TRUE;
    case WM_TIMER:
      OnTimer(wparam);
      return TRUE;
    case kWmSetTimer:
      SetTimer(hwnd(), wparam, static_cast<UINT>(lparam), nullptr);
      return TRUE;
    case kWmKillTimer:
      KillTimer(hwnd(), wparam);
      return TRUE;
    case kWmKeyTimer:
      if (keyboard_) keyboard_->TimerFired(static_cast<int>(wparam), static_cast<uintptr_t>(lparam));
      return TRUE;
    case os::kWmNodeChannelReady:
      OnChannelReady();
      return TRUE;
    case os::kWmNodeSetupRefused:
      settings::IniHandler::Instance().ShowMessage(settings::text::kSetupRefused);
      return TRUE;
    case os::kWmNodePosition:
      if (seek_window_) seek_window_->OnPosition(static_cast<uint32_t>(wparam));
      return TRUE;
    case os::kWmNodeMotion:
      if (binding_.video()) binding_.video()->SetMotion(lparam != 0);
      RefreshOverlay();
      if (lparam != 0 && HasCamera()) host_.MotionStarted(hwnd(), CameraId(), DisplayName());
      return TRUE;
    case os::kWmNodeOutage: {
      const std::string id = identified_camera_id_.empty() ? CameraId() : identified_camera_id_;
      if (!id.empty() && request_.kind != ViewRequest::Kind::kFile)
        host_.CameraOutage(hwnd(), id, DisplayName(), lparam != 0);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      return OnFrameMouse(message, lparam) ? TRUE : FALSE;
    case WM_CONTEXTMENU: {
      POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      if (p.x == -1 && p.y == -1) {
        // The context-menu key: over the picture, wherever the pointer is.
        RECT area{};
        GetWindowRect(picture_ ? picture_ : hwnd(), &area);
        p = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
      }
      ShowMenu(p);
      return TRUE;
    }
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wparam));
      return TRUE;
    case WM_ACTIVATE:
      // Activation changes inside the video output's own calls (full screen
      // shows and hides its window under its lock): decide afterwards.
      PostMessageW(hwnd(), kWmSelectionChanged, 0, 0);
      return FALSE;
    case kWmSelectionChanged:
      if (binding_.video()) binding_.video()->SetSelected(GetActiveWindow() == hwnd());
      RedrawPicture();
      return TRUE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(GetStockObject(DKGRAY_BRUSH));
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != IDC_VIEW_STATUS) return FALSE;
      DrawStatusLine(*item);
      return TRUE;
    }
    case WM_PAINT:
      PaintFrame();
      return TRUE;
    default:
      return FALSE;
  }
}

void CViewWindow::ForwardToNode(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!binding_.node()) return;
  binding_.node()->HandleMessage(message, static_cast<uintptr_t>(wparam), static_cast<intptr_t>(lparam));
  if (message == os::kWmNodeCameraIdentified && HasCamera()) identified_camera_id_ = CameraId();
  if (message == os::kWmNodeCameraIdentified && request_.display_name.empty() &&
      request_.kind == ViewRequest::Kind::kDirect)
    SetWindowTextW(hwnd(), win32::Widen(CameraId()).c_str());
  Refresh();
}

void CViewWindow::OnTimer(UINT_PTR id) {
  if (id == WheelZoom::kTimerId) {
    KillTimer(hwnd(), id);
    WheelZoom::Request request;
    if (wheel_.TimerFired(HasCamera(), &request) && binding_.node()) binding_.node()->Control().Lens(request.operation, request.speed);
    return;
  }
  if (id == kRefreshTimer) {
    const uint64_t shown = binding_.overlay_sink() ? binding_.overlay_sink()->shown() : 0;
    stream_idle_ = shown == shown_at_refresh_;
    shown_at_refresh_ = shown;
    if (binding_.video() && binding_.node()) binding_.video()->SetAlarmBlink(binding_.node()->notice_countdown());
    if (binding_.video()) binding_.video()->SetOffPrimaryMonitor(!win32::OnPrimaryMonitor(hwnd()));
    ApplyDrawPathTrial();
    MaybeStartRequestedRecording();
    Refresh();
    // A stalled stream shows no new pictures: the alarm frame's blinking
    // and the overlay's changes are drawn from here.
    if (stream_idle_) RedrawPicture();
    return;
  }
  if (binding_.node()) binding_.node()->HandleMessage(WM_TIMER, id, 0);
  if (id == node::kNoticeTimer && binding_.video() && binding_.node()) {
    // The alarm frame blinks with the notice's countdown.
    binding_.video()->SetAlarmBlink(binding_.node()->notice_countdown());
    if (stream_idle_) RedrawPicture();
  }
  Refresh();
}

// The node registered or toggled a channel, or a recording started or stopped.
void CViewWindow::OnChannelReady() {
  if (!binding_.node()) return;
  if (!motion_applied_ && HasCamera() && request_.kind != ViewRequest::Kind::kFile) {
    motion_applied_ = true;
    motion_ = MotionSettingsRemembered(CameraId());
    SetMotionDetection(MotionDetectionRemembered(CameraId()));
    const std::string folder = MotionRecordingRemembered(CameraId());
    if (!folder.empty()) StartMotionRecording(folder);
  }
  const node::ChannelEntry audio = binding_.node()->channel(node::CNodeWindow::kAudio);
  const node::ChannelEntry speaker = binding_.node()->channel(node::CNodeWindow::kSpeaker);
  const bool sound_on = audio.id != net::kChannelNotFound && audio.active;
  SetChecked(IDC_VIEW_AUDIO, sound_on);
  SetChecked(IDC_VIEW_SPEAKER, speaker.id != net::kChannelNotFound && speaker.active);
  EnableItem(IDC_VIEW_SPEAKER, !IsRelay());
  SetChecked(IDC_VIEW_RECORD, binding_.media()->recorder().IsRecording());
  // Sound stops at once when its channel is switched off.
  binding_.playback().SetMute(audio.id != net::kChannelNotFound && !audio.active);
  RefreshTips();
  Refresh();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CViewWindow::RefreshTips() {
  if (!binding_.node() || !binding_.media()) return;
  FrameTipState s;
  const ViewMenuState menu = MenuState();
  s.sound_on = menu.sound_on;
  s.speaker_on = menu.speaker_on;
  s.speaker_allowed = menu.speaker_allowed;
  s.recording = menu.recording;
  if (s.recording) s.recording_path = binding_.media()->recorder().Path();
  const FrameTips tips = MakeFrameTips(s, [this](const settings::TextId& id) { return Text(id); });
  SetTip(IDC_VIEW_AUDIO, tips.sound);
  SetTip(IDC_VIEW_SPEAKER, tips.speaker);
  SetTip(IDC_VIEW_RECORD, tips.record);
  SetTip(IDC_VIEW_RANDOM_ACCESS, tips.seek);
  SetTip(IDC_VIEW_CLOSE, tips.close);
}

void CViewWindow::Refresh() {
  RefreshStatus();
  RefreshOverlay();
}

void CViewWindow::RefreshStatus() {
  if (!binding_.node()) return;
  StatusState s;
  s.connect_status = binding_.node()->connect_status();
  s.camera_known = HasCamera();
  s.connecting = !IsRelay() && !binding_.node()->video_connect_done();
  s.now_ms = os::MonotonicMs();
  s.next_attempt_ms = IsRelay() ? 0 : binding_.node()->next_attempt_ms();
  s.attempt = IsRelay() ? 0 : binding_.node()->next_attempt_number();
  s.end_of_file = binding_.media()->path().EndOfFile();
  s.rate = binding_.media()->path().StatusText();
  s.recording_failure = RecordingFailureText(s.now_ms);
  StatusLine line = MakeStatusLine(s, [this](const settings::TextId& id) { return Text(id); });
  if (line == status_) return;
  status_ = line;
  InvalidateRect(Item(IDC_VIEW_STATUS), nullptr, TRUE);
}

// Motion detection on or off, with the camera's sensitivity and mask; a
// motion that lasts keeps its amber frame until it ends.
void CViewWindow::SetMotionDetection(bool on) {
  binding_.media()->path().motion().SetMotionDetection(on, motion_.sensitivity, motion_.mask);
  binding_.media()->path().motion().SetMotionRules(motion_.min_cells, motion_.min_duration_ms);
  if (!on && binding_.video()) binding_.video()->SetMotion(false);
  RefreshOverlay();
}

// Why the last recording (the user's or the one on motion) stopped, did not
// start or could not be finished, for ten minutes or until that recording
// starts again: a wall monitor's user may look only later.
std::string CViewWindow::RecordingFailureText(uint64_t now_ms) {
  constexpr uint64_t kShownMs = 10 * 60 * 1000;
  const node::RecordingFailureReport failure = binding_.media()->LastRecordingFailure();
  if (failure.serial != recording_failure_serial_) {
    recording_failure_serial_ = failure.serial;
    const settings::TextId& id = failure.kind == node::RecordingFailure::kWriteFailed    ? kRecordWriteFail
                                 : failure.kind == node::RecordingFailure::kInUse        ? kRecordInUse
                                 : failure.kind == node::RecordingFailure::kFinishFailed ? kRecordFinishFail
                                                                                         : kRecordCreateFail;
    recording_failure_ = settings::FormatUserMessage(Text(id), {failure.path});
    recording_failure_until_ms_ = now_ms + kShownMs;
  }
  // A file that could not be finished is told even while the recording goes on in the next.
  const node::NodeRecorder& recorder = failure.motion ? binding_.media()->motion_recorder().recorder() : binding_.media()->recorder();
  const bool again = recorder.IsRecording() && failure.kind != node::RecordingFailure::kFinishFailed;
  if (again || now_ms >= recording_failure_until_ms_) recording_failure_.clear();
  return recording_failure_;
}

void CViewWindow::RefreshOverlay() {
  if (!binding_.node() || !binding_.overlay_sink()) return;
  OverlayContent c;
  c.text_height = win32::ScaledPixels(c.text_height);
  // Pictures are stretched to the area before the texts go in, so the
  // texts keep one size on every view; a hardware overlay stretches itself.
  RECT area;
  if (FullScreen()) {
    const ScreenRect monitor = win32::MonitorOf(hwnd());  // the one full screen covers
    area = {0, 0, monitor.width(), monitor.height()};
  } else
    GetClientRect(picture_, &area);
  if (binding_.video() && binding_.video()->OverlayInUse())
    binding_.overlay_sink()->SetScreenSize(0, 0);
  else
    binding_.overlay_sink()->SetScreenSize(area.right - area.left, area.bottom - area.top);
  c.status = binding_.media()->path().StatusText();
  c.show_status = show_status_;
  c.viewers = binding_.node()->viewers();
  c.name = DisplayName();
  c.recording = binding_.media()->recorder().IsRecording();
  c.end_of_file = binding_.media()->path().EndOfFile();
  if (binding_.media()->path().motion().InMotion()) c.motion = Text(kViewerMotion);
  if (const int64_t since = binding_.node()->stalled_since(); since != 0)
    c.no_video = settings::FormatUserMessage(Text(kViewerNoVideo), {node::ClockText(since)});
  if (picture_drag_ && HasCamera() &&
      DragDrawsRectangle(drag_end_.x - drag_start_.x, drag_end_.y - drag_start_.y, binding_.node()->Control().ZoomsToRectangle())) {
    c.drag = true;
    c.drag_rect = {drag_start_.x, drag_start_.y, drag_end_.x, drag_end_.y};
    c.area_width = area.right;
    c.area_height = area.bottom;
  }
  if (motion_settings_ && motion_settings_->result() == -1) {
    c.mask_grid = true;
    c.mask = motion_.mask;
    binding_.media()->path().motion().MotionCells(&c.changed, &c.objects);
  }
  const bool same = overlay_made_ && c.text_height == overlay_content_.text_height &&
                    c.status == overlay_content_.status && c.show_status == overlay_content_.show_status &&
                    c.viewers == overlay_content_.viewers && c.name == overlay_content_.name &&
                    c.recording == overlay_content_.recording && c.end_of_file == overlay_content_.end_of_file &&
                    c.motion == overlay_content_.motion && c.no_video == overlay_content_.no_video &&
                    c.drag == overlay_content_.drag && c.drag_rect == overlay_content_.drag_rect &&
                    c.mask_grid == overlay_content_.mask_grid && c.mask == overlay_content_.mask &&
                    c.changed == overlay_content_.changed && c.objects == overlay_content_.objects;
  if (same) return;
  overlay_content_ = c;
  overlay_made_ = true;
  binding_.overlay_sink()->SetOverlay(Overlay::Make(c, *rasteriser_));
  if (stream_idle_) RedrawPicture();
}

// The last picture again, from this thread: a repaint, or a change the
// media worker will not draw because no picture comes.
void CViewWindow::RedrawPicture() {
  if (!binding_.media() || !binding_.overlay_sink() || closing_) return;
  OverlaySink& sink = *binding_.overlay_sink();
  binding_.media()->path().WithPicture([&](const codec::DecodedPicture& picture) { sink.TryRedraw(picture); });
}

// The program says once that its views draw without DirectDraw, not each view.
void CViewWindow::ApplyDrawPathTrial() {
  static std::atomic<bool> told{false};
  std::string line;
  if (!binding_.video() || !binding_.video()->ApplyDrawPathTrial(&line) || told.exchange(true)) return;
  host_.Core().event_log().Add(node::EventKind::kDrawing, DisplayName(), line);
}

void CViewWindow::MaybeStartRequestedRecording() {
  // The file's first unit describes its pictures: start once the camera has
  // identified itself and sent its video configuration.
  if (requested_recording_started_ || request_.record_path.empty() || !HasCamera()) return;
  if (!binding_.media()->path().HasConfiguration()) return;
  requested_recording_started_ = true;
  if (binding_.media()->recorder().Start(request_.record_path) == 0) OnChannelReady();
}

}  // namespace app::view
