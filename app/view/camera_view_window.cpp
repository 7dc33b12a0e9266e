// The view's life (open, link, close), its message dispatch and the state
// it shows: toggles, status line, overlay, alarm and selection frames.
#include "app/view/camera_view_window.h"

#include "app/program_core.h"
#include "app/view/frame_tips.h"
#include "app/view/view_resource.h"
#include "app/view/view_texts.h"
#include "hosting/hosting_service.h"
#include "node/events/event_log.h"
#include "os/clock.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/message_format.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app::view {
namespace {

std::string Text(const settings::TextId& id) { return settings::IniHandler::Instance().GetString(id); }

}  // namespace

CViewWindow::CViewWindow(HINSTANCE instance, ViewHost& host, ViewRequest request, FileChooser& chooser)
    : CDialogBase(instance, IDD_CAMERA_VIEW),
      host_(host),
      request_(std::move(request)),
      chooser_(chooser),
      motion_(instance, binding_, request_, chooser_, *this),
      picture_(instance, binding_, motion_, *this),
      commands_(instance, host_.ProgramDir(), binding_) {}

CViewWindow::~CViewWindow() { Teardown(); }

bool CViewWindow::IsRelay() const { return request_.kind != ViewRequest::Kind::kDirect; }

std::string CViewWindow::CameraId() const { return binding_.node() ? binding_.node()->camera_id() : std::string(); }

std::string CViewWindow::DisplayName() const {
  if (request_.kind == ViewRequest::Kind::kDirect && !request_.display_name.empty()) return request_.display_name;
  if (request_.kind == ViewRequest::Kind::kFile) return request_.file_name;
  return request_.kind == ViewRequest::Kind::kRelay ? request_.camera_id : CameraId();
}

bool CViewWindow::Open() {
  if (!binding_.TakeSlot()) return false;
  if (!Create(nullptr)) return false;
  binding_.Bind(hwnd(), picture_.hwnd(), [this](std::string* path) { return chooser_.ChooseRecording(hwnd(), path); });
  picture_.StartKeys();
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

BOOL CViewWindow::OnInitDialog() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  if (ini.Font()) ini.ApplyFont(hwnd());
  picture_.Create(LayoutFor(size_, win32::DisplayScalePercent()).picture);
  ShowWindow(Item(IDC_VIEW_RANDOM_ACCESS), request_.kind == ViewRequest::Kind::kFile ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_VIEW_RECORD), request_.kind == ViewRequest::Kind::kFile ? SW_HIDE : SW_SHOW);
  EnableItem(IDC_VIEW_SPEAKER, !IsRelay());
  frame_.CreateTips(instance());
  return FALSE;  // the focus stays where it is
}

// Everything that runs on other threads stops before the window goes: the
// key timers, the node's link (off the hosting lists, connect threads
// ended, media worker stopped), the renderers.
void CViewWindow::Teardown() {
  picture_.StopKeys();
  commands_.CloseDialogs();
  motion_.CloseSettings();
  binding_.Unbind();
  if (hwnd()) DestroyWindow(hwnd());
  binding_.ReleaseSlot();
}

bool CViewWindow::OwnsWindow(HWND root) const {
  if (closing_ || !root) return false;
  return root == hwnd() || (binding_.full_screen_window() && root == binding_.full_screen_window()->hwnd());
}

HWND CViewWindow::ModelessDialog() const { return motion_.dialog() ? motion_.dialog()->hwnd() : nullptr; }

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
      if (commands_.OnRequest(LOWORD(wparam))) Refresh();
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
      motion_.SettingsEnded();
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
      picture_.KeyTimerFired(static_cast<int>(wparam), static_cast<uintptr_t>(lparam));
      return TRUE;
    case os::kWmNodeChannelReady:
      OnChannelReady();
      return TRUE;
    case os::kWmNodeSetupRefused:
      settings::IniHandler::Instance().ShowMessage(settings::text::kSetupRefused);
      return TRUE;
    case os::kWmNodePosition:
      commands_.OnPosition(static_cast<uint32_t>(wparam));
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
      return frame_.OnMouse(message, lparam) ? TRUE : FALSE;
    case WM_CONTEXTMENU: {
      POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      if (p.x == -1 && p.y == -1) {
        // The context-menu key: over the picture, wherever the pointer is.
        RECT area{};
        GetWindowRect(picture_.hwnd() ? picture_.hwnd() : hwnd(), &area);
        p = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
      }
      ShowMenu(p);
      return TRUE;
    }
    case WM_MOUSEWHEEL:
      picture_.OnWheel(GET_WHEEL_DELTA_WPARAM(wparam));
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
      frame_.DrawStatusLine(*item);
      return TRUE;
    }
    case WM_PAINT:
      frame_.Paint();
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
  if (picture_.OnTimer(id)) return;
  if (id == kRefreshTimer) {
    overlay_.Tick();
    if (binding_.video() && binding_.node()) binding_.video()->SetAlarmBlink(binding_.node()->notice_countdown());
    if (binding_.video()) binding_.video()->SetOffPrimaryMonitor(!win32::OnPrimaryMonitor(hwnd()));
    binding_.ApplyDrawPathTrial(DisplayName());
    if (recording_.MaybeStartRequested(HasCamera())) OnChannelReady();
    Refresh();
    // A stalled stream shows no new pictures: the alarm frame's blinking
    // and the overlay's changes are drawn from here.
    if (overlay_.stream_idle()) RedrawPicture();
    return;
  }
  if (binding_.node()) binding_.node()->HandleMessage(WM_TIMER, id, 0);
  if (id == node::kNoticeTimer && binding_.video() && binding_.node()) {
    // The alarm frame blinks with the notice's countdown.
    binding_.video()->SetAlarmBlink(binding_.node()->notice_countdown());
    if (overlay_.stream_idle()) RedrawPicture();
  }
  Refresh();
}

// The node registered or toggled a channel, or a recording started or stopped.
void CViewWindow::OnChannelReady() {
  if (!binding_.node()) return;
  if (HasCamera() && request_.kind != ViewRequest::Kind::kFile) motion_.TakeRemembered();
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
  frame_.SetTips(MakeFrameTips(s, Text));
}

void CViewWindow::Refresh() {
  if (binding_.node()) {
    StatusState s;
    s.connect_status = binding_.node()->connect_status();
    s.camera_known = HasCamera();
    s.connecting = !IsRelay() && !binding_.node()->video_connect_done();
    s.now_ms = os::MonotonicMs();
    s.next_attempt_ms = IsRelay() ? 0 : binding_.node()->next_attempt_ms();
    s.attempt = IsRelay() ? 0 : binding_.node()->next_attempt_number();
    s.end_of_file = binding_.media()->path().EndOfFile();
    s.rate = binding_.media()->path().StatusText();
    s.recording_failure = recording_.FailureText(s.now_ms);
    frame_.SetStatus(MakeStatusLine(s, Text));
  }
  RefreshOverlay();
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
    GetClientRect(picture_.hwnd(), &area);
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
  if (RECT drag; picture_.DragRectangle(&drag)) {
    c.drag = true;
    c.drag_rect = {drag.left, drag.top, drag.right, drag.bottom};
    c.area_width = area.right;
    c.area_height = area.bottom;
  }
  if (motion_.Editing()) {
    c.mask_grid = true;
    c.mask = motion_.settings().mask;
    binding_.media()->path().motion().MotionCells(&c.changed, &c.objects);
  }
  if (overlay_.Show(c) && overlay_.stream_idle()) RedrawPicture();
}

// The last picture again, from this thread: a repaint, or a change the
// media worker will not draw because no picture comes.
void CViewWindow::RedrawPicture() {
  if (!closing_) overlay_.Redraw();
}

}  // namespace app::view
