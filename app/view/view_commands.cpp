// The view's pop-up menu and the commands of the menu, the caption buttons
// and the node, routed to the rooms that carry them out; the view's own:
// screen sizes, full screen, placement, channel toggles and close.
#include "app/view/camera_view_window.h"
#include "app/view/view_resource.h"
#include "app/view_list.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app::view {
namespace {

HMENU MakeMenu(const std::vector<MenuItem>& items) {
  HMENU menu = ::CreatePopupMenu();
  for (const MenuItem& item : items) {
    const std::wstring text = win32::Widen(item.text);
    if (item.separator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (!item.items.empty()) {
      AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(MakeMenu(item.items)), text.c_str());
    } else {
      const UINT flags = MF_STRING | (item.checked ? MF_CHECKED : 0) | (item.enabled ? 0 : MF_GRAYED);
      AppendMenuW(menu, flags, item.command, text.c_str());
    }
  }
  return menu;
}

}  // namespace

ViewMenuState CViewWindow::MenuState() const {
  ViewMenuState s;
  if (!binding_.node()) return s;
  s.video_input = binding_.node()->Control().video_input();
  s.size = size_;
  s.full_screen = FullScreen();
  const node::ChannelEntry audio = binding_.node()->channel(node::CNodeWindow::kAudio);
  const node::ChannelEntry speaker = binding_.node()->channel(node::CNodeWindow::kSpeaker);
  s.sound_on = audio.id != net::kChannelNotFound && audio.active;
  s.speaker_on = speaker.id != net::kChannelNotFound && speaker.active;
  s.speaker_allowed = !IsRelay();
  s.quality = binding_.node()->Control().quality();
  s.file_view = request_.kind == ViewRequest::Kind::kFile;
  s.recording = binding_.media()->recorder().IsRecording();
  s.status_shown = show_status_;
  s.motion_on = binding_.media()->path().motion().MotionDetectionOn();
  s.motion_recording = binding_.media()->motion_recorder().Enabled();
  s.user_id = binding_.node()->login().user;
  s.camera_settings = IsRelay()                        ? CameraSettings::kRelayed
                      : binding_.node()->setup_info_received()   ? CameraSettings::kArrived
                                                       : CameraSettings::kWaiting;
  return s;
}

HMENU CViewWindow::CreatePopupMenu() const {
  return MakeMenu(BuildViewMenu(MenuState(), [](const settings::TextId& id) {
    return settings::IniHandler::Instance().GetString(id);
  }));
}

void CViewWindow::ShowMenu(POINT screen) {
  HMENU menu = CreatePopupMenu();
  // The chosen command arrives as WM_COMMAND, like the buttons' commands.
  SetForegroundWindow(hwnd());
  menu_open_ = true;
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
  menu_open_ = false;
  PostMessageW(hwnd(), WM_NULL, 0, 0);
  DestroyMenu(menu);
}

bool CViewWindow::OnViewCommand(UINT id, UINT code) {
  // The caption's toggles post the commands they stand for.
  const struct {
    UINT button, command;
  } toggles[] = {{IDC_VIEW_AUDIO, kCommandSound},
                 {IDC_VIEW_SPEAKER, kCommandSpeaker},
                 {IDC_VIEW_RECORD, kCommandRecord},
                 {IDC_VIEW_RANDOM_ACCESS, kCommandRandomAccess}};
  for (const auto& t : toggles) {
    if (id != t.button) continue;
    if (code == BN_CLICKED) PostMessageW(hwnd(), WM_COMMAND, t.command, 0);
    return true;
  }
  ScreenSize size;
  if (ScreenSizeFor(id, &size)) {
    if (HasCamera()) ApplySize(size);
    return true;
  }
  switch (id) {
    case IDOK:
    case IDCANCEL:
      return true;  // Enter and Escape never close a view
    case kCommandClose:
      CloseView();
      return true;
    case kCommandFullScreen:
      EnterFullScreen();
      return true;
    case kCommandNetStatus:
      show_status_ = !show_status_;
      RefreshOverlay();
      return true;
    case kCommandSound:
      if (binding_.node()) binding_.node()->ToggleAudio();
      return true;
    case kCommandSpeaker:
      if (binding_.node() && !IsRelay()) binding_.node()->ToggleSpeaker();
      return true;
    case kCommandRecord:
      recording_.Toggle();
      OnChannelReady();
      return true;
    case kCommandMotionDetection:
      motion_.ToggleDetection();
      return true;
    case kCommandMotionRecording:
      motion_.ToggleRecording();
      return true;
    case kCommandAlerts:
      if (HasCamera()) host_.EditAlerts(hwnd(), CameraId(), DisplayName());
      return true;
    case kCommandMotionSettings:
      motion_.OpenSettings();
      return true;
    case kCommandSnapshot: {
      int width = 0, height = 0;
      std::vector<uint8_t> picture = ShownPicture(&width, &height);
      recording_.TakeSnapshot(hwnd(), DisplayName(), std::move(picture), width, height);
      return true;
    }
    case kCommandPlayBack:
      host_.PlayBack({DisplayName(), CameraId()});
      return true;
    default:
      return commands_.OnDialogCommand(id, hwnd());
  }
}

// Resized in place, kept on top; the children follow the table.
void CViewWindow::SetScreenSizeIndex(int index) {
  if (index >= 0 && index <= static_cast<int>(ScreenSize::k2x)) ApplySize(static_cast<ScreenSize>(index));
}

void CViewWindow::ApplySize(ScreenSize size) {
  size_ = size;
  const FrameLayout layout = LayoutFor(size, win32::DisplayScalePercent());
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, layout.width, layout.height, SWP_NOMOVE | SWP_NOACTIVATE);
  frame_.LayOut(size_, picture_.hwnd());
  InvalidateRect(hwnd(), nullptr, TRUE);
  RefreshOverlay();
  RedrawPicture();
}

bool CViewWindow::FullScreen() const { return binding_.video() && binding_.video()->FullScreen(); }

void CViewWindow::EnterFullScreen() {
  if (!HasCamera() || !binding_.video()) return;
  for (CameraView* view : host_.OpenViews().Snapshot()) view->LeaveFullScreen();
  binding_.video()->EnterFullScreen();
  RefreshOverlay();
  RedrawPicture();
}

void CViewWindow::LeaveFullScreen() {
  if (!binding_.video() || !binding_.video()->FullScreen()) return;
  binding_.video()->LeaveFullScreen();
  SetForegroundWindow(hwnd());
  RefreshOverlay();
  RedrawPicture();
}

void CViewWindow::SetDrawThroughGdi(bool gdi) {
  if (!binding_.video()) return;
  binding_.video()->SetDrawThroughGdi(gdi);
  RedrawPicture();  // a paused view shows its picture through the new path too
}

std::vector<uint8_t> CViewWindow::ShownPicture(int* width, int* height) const {
  std::vector<uint8_t> bytes;
  if (!binding_.media() || !binding_.overlay_sink()) return bytes;
  binding_.media()->path().WithPicture([&](const codec::DecodedPicture& picture) {
    bytes = binding_.overlay_sink()->Composed(picture);
    *width = picture.width;
    *height = picture.height;
  });
  return bytes;
}

bool CViewWindow::OnKeyDown(int virtual_key, uint32_t time_ms) {
  // The pop-up menu's own loop steers with the same keys.
  if (menu_open_) return false;
  if (virtual_key >= '1' && virtual_key <= '9' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
    if (!picture_.KeysStarted()) return false;
    host_.SwitchLayout(virtual_key - '0');
    return true;
  }
  switch (picture_.KeyDown(virtual_key, time_ms)) {
    case KeyboardControl::Result::kPassOn:
      return false;
    case KeyboardControl::Result::kLeaveFullScreen:
      LeaveFullScreen();
      return true;
    case KeyboardControl::Result::kConsumed:
      return true;
  }
  return false;
}

// Among the other open views at the standard size.
void CViewWindow::Place(bool sorting) {
  size_ = ScreenSize::k1x;
  frame_.Place(sorting);
  frame_.LayOut(size_, picture_.hwnd());
  RefreshOverlay();
}

// Sort Window: the host has begun the pass (every view undocked, none
// placed) and asks each view in turn; placing sets where it docks.
void CViewWindow::Undock() {
  Place(true);
  host_.OpenViews().MarkPlaced(this);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

}  // namespace app::view
