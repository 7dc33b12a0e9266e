// The view's pop-up menu and the commands of the menu, the caption buttons
// and the node: screen sizes, full screen, channel toggles, recording,
// snapshots and close. Commands of the camera itself go to the node.
#include <cstdio>
#include <ctime>

#include "app/view/camera_view_window.h"
#include "app/view/registry_motion.h"
#include "app/view/view_resource.h"
#include "app/view/view_texts.h"
#include "app/view_list.h"
#include "dialogs/camera_setup/win32/camera_setup_sheet.h"
#include "dialogs/preset/win32/preset_dialog.h"
#include "dialogs/preset/win32/preset_setup_dialog.h"
#include "os/win32/monitors.h"
#include "os/file.h"
#include "os/local_time.h"
#include "os/win32/text.h"
#include "present/picture_file.h"
#include "settings/win32/ini_handler.h"

namespace app::view {
namespace {

// The folder of the last recording started in this program, where
// snapshots go unless the user chooses otherwise.
std::string& RecordingFolder() {
  static std::string folder;
  return folder;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Timestamp() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = os::LocalTime(now);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
  return text;
}

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
  return MakeMenu(BuildViewMenu(MenuState(), [this](const settings::TextId& id) { return Text(id); }));
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
    case kCommandRecord: {
      node::NodeRecorder& recorder = binding_.media()->recorder();
      recorder.Toggle();
      if (recorder.IsRecording()) RecordingFolder() = FolderOf(recorder.Path());
      OnChannelReady();
      return true;
    }
    case kCommandMotionDetection:
      SetMotionDetection(!binding_.media()->path().motion().MotionDetectionOn());
      RememberMotionDetection(CameraId(), binding_.media()->path().motion().MotionDetectionOn());
      return true;
    case kCommandMotionRecording:
      ToggleMotionRecording();
      return true;
    case kCommandAlerts:
      if (HasCamera()) host_.EditAlerts(hwnd(), CameraId(), DisplayName());
      return true;
    case kCommandMotionSettings:
      OpenMotionSettings();
      return true;
    case kCommandSnapshot:
      TakeSnapshot();
      return true;
    case kCommandPlayBack:
      host_.PlayBack({DisplayName(), CameraId()});
      return true;
    case kCommandCameraOption:
      // Only the users the menu offers it to, whoever posts the command.
      if (binding_.node() && IsPrivilegedUser(MenuState().user_id)) dialogs::ShowCameraSetupSheet(hwnd(), *binding_.node());
      return true;
    case kCommandPresetSetting:
      if (binding_.node()) dialogs::ShowPresetSetupDialog(hwnd(), *binding_.node());
      return true;
    case kCommandPreset:
      OpenPresetPanel();
      return true;
    case kCommandPresetGotoOther:
      if (binding_.node()) dialogs::RunPresetGoto(hwnd(), binding_.node()->Control());
      return true;
    case kCommandRandomAccess:
      OpenSeekWindow();
      return true;
    default:
      return false;
  }
}

bool CViewWindow::OnCameraCommand(UINT id) {
  if (!binding_.node()) return false;
  if (id >= kCommandVideoInternal && id < kCommandVideoInternal + kVideoInputs) {
    binding_.node()->Control().SetVideoInput(id - kCommandVideoInternal);
  } else if (id >= kCommandQualityHighest && id < kCommandQualityHighest + kQualityLevels) {
    binding_.node()->Control().SetQuality(4 * (id - kCommandQualityHighest + 1));
  } else if (id >= kCommandPresetGotoFirst && id < kCommandPresetGotoFirst + kPresetGotoEntries) {
    binding_.node()->Control().PresetCommand(net::kPresetGoto, id - kCommandPresetGotoFirst);
  } else if (id == kCommandReboot) {
    binding_.node()->Control().Reboot();
  } else if (id == kCommandReconnect) {
    binding_.node()->CS_Reconnect();
  } else {
    return false;
  }
  return true;
}

// Resized in place, kept on top; the children follow the table.
void CViewWindow::SetScreenSizeIndex(int index) {
  if (index >= 0 && index <= static_cast<int>(ScreenSize::k2x)) ApplySize(static_cast<ScreenSize>(index));
}

void CViewWindow::ApplySize(ScreenSize size) {
  size_ = size;
  const FrameLayout layout = LayoutFor(size, win32::DisplayScalePercent());
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, layout.width, layout.height, SWP_NOMOVE | SWP_NOACTIVATE);
  LayOut();
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

// The remote-control panel is modeless and one per view: a second command
// brings the open one forward.
void CViewWindow::OpenPresetPanel() {
  if (!binding_.node()) return;
  if (!preset_panel_) preset_panel_ = std::make_unique<dialogs::CPresetDialog>(instance(), binding_.node()->Control());
  preset_panel_->Open(hwnd());
}

// Only while a stored file plays: its video comes on a file channel and
// pictures are arriving. The window opens where the pointer is.
void CViewWindow::OpenSeekWindow() {
  if (!binding_.node() || !binding_.media()) return;
  const node::ChannelEntry video = binding_.node()->channel(node::CNodeWindow::kVideo);
  if (video.kind != net::kChannelFileVideo || !binding_.media()->path().Playing()) return;
  POINT at{};
  GetCursorPos(&at);
  if (!seek_window_) seek_window_ = std::make_unique<CSeekWindow>(instance(), host_.ProgramDir(), binding_.node()->Control());
  seek_window_->Open(hwnd(), at, video.id, binding_.node()->node_parameters().words[1], binding_.media()->path().Position());
}

// Record on motion: into the --record folder, else the folder of the last
// recording, else one the user chooses (by naming a file in it); remembered
// per camera with its folder. Detection comes on with it.
void CViewWindow::ToggleMotionRecording() {
  node::MotionRecorder& motion = binding_.media()->motion_recorder();
  if (motion.Enabled()) {
    motion.Configure(false, std::string(), CameraId());
    RememberMotionRecording(CameraId(), std::string());
    return;
  }
  std::string folder = FolderOf(request_.record_path);
  if (folder.empty()) folder = RecordingFolder();
  std::string chosen;
  if (folder.empty() && chooser_.ChooseRecording(hwnd(), &chosen)) folder = FolderOf(chosen);
  if (folder.empty()) return;
  StartMotionRecording(folder);
  RememberMotionDetection(CameraId(), true);
  RememberMotionRecording(CameraId(), folder);
}

void CViewWindow::StartMotionRecording(const std::string& folder) {
  binding_.media()->motion_recorder().Configure(true, folder, CameraId());
  if (!binding_.media()->path().motion().MotionDetectionOn()) SetMotionDetection(true);
}

void CViewWindow::TakeSnapshot() {
  int width = 0, height = 0;
  std::vector<uint8_t> picture = ShownPicture(&width, &height);
  if (picture.empty()) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  const std::string name = os::SafeFileName(DisplayName(), "camera") + "_" + Timestamp() + ".png";
  std::string path;
  if (!chooser_.ChooseSnapshot(hwnd(), RecordingFolder(), name, &path)) return;
  const codec::DecodedPicture shown{picture.data(), width, height};
  const std::vector<uint8_t> file = present::PictureFormatFor(path) == present::PictureFormat::kBmp
                                        ? present::EncodeBmp(shown)
                                        : present::EncodePng(shown);
  if (!os::WriteWholeFile(path, file.data(), file.size())) settings::IniHandler::Instance().ShowMessage(kSnapshotWriteFail, {path});
}

}  // namespace app::view
