#include "app/view/camera_commands.h"

#include "app/view/view_menu.h"
#include "dialogs/camera_setup/win32/camera_setup_sheet.h"
#include "dialogs/preset/win32/preset_dialog.h"
#include "dialogs/preset/win32/preset_setup_dialog.h"

namespace app::view {

CameraCommands::CameraCommands(HINSTANCE instance, std::string program_dir, CameraBinding& binding)
    : instance_(instance), program_dir_(std::move(program_dir)), binding_(binding) {}

CameraCommands::~CameraCommands() = default;

void CameraCommands::CloseDialogs() {
  preset_panel_.reset();
  seek_window_.reset();
}

bool CameraCommands::OnRequest(UINT id) {
  node::CNodeWindow* node = binding_.node();
  if (!node) return false;
  if (id >= kCommandVideoInternal && id < kCommandVideoInternal + kVideoInputs) {
    node->Control().SetVideoInput(id - kCommandVideoInternal);
  } else if (id >= kCommandQualityHighest && id < kCommandQualityHighest + kQualityLevels) {
    node->Control().SetQuality(4 * (id - kCommandQualityHighest + 1));
  } else if (id >= kCommandPresetGotoFirst && id < kCommandPresetGotoFirst + kPresetGotoEntries) {
    node->Control().PresetCommand(net::kPresetGoto, id - kCommandPresetGotoFirst);
  } else if (id == kCommandReboot) {
    node->Control().Reboot();
  } else if (id == kCommandReconnect) {
    node->CS_Reconnect();
  } else {
    return false;
  }
  return true;
}

bool CameraCommands::OnDialogCommand(UINT id, HWND owner) {
  node::CNodeWindow* node = binding_.node();
  switch (id) {
    case kCommandCameraOption:
      // Only the users the menu offers it to, whoever posts the command.
      if (node && IsPrivilegedUser(node->login().user)) dialogs::ShowCameraSetupSheet(owner, *node);
      return true;
    case kCommandPresetSetting:
      if (node) dialogs::ShowPresetSetupDialog(owner, *node);
      return true;
    case kCommandPreset:
      OpenPresetPanel(owner);
      return true;
    case kCommandPresetGotoOther:
      if (node) dialogs::RunPresetGoto(owner, node->Control());
      return true;
    case kCommandRandomAccess:
      OpenSeekWindow(owner);
      return true;
    default:
      return false;
  }
}

void CameraCommands::OnPosition(uint64_t position) {
  if (seek_window_) seek_window_->OnPosition(position);
}

// A second command brings the open panel forward.
void CameraCommands::OpenPresetPanel(HWND owner) {
  if (!binding_.node()) return;
  if (!preset_panel_) preset_panel_ = std::make_unique<dialogs::CPresetDialog>(instance_, binding_.node()->Control());
  preset_panel_->Open(owner);
}

// Only while a stored file plays: its video comes on a file channel and
// pictures are arriving. The window opens where the pointer is.
void CameraCommands::OpenSeekWindow(HWND owner) {
  node::CNodeWindow* node = binding_.node();
  if (!node || !binding_.media()) return;
  const node::ChannelEntry video = node->channel(node::CNodeWindow::kVideo);
  if (video.kind != net::kChannelFileVideo || !binding_.media()->path().Playing()) return;
  POINT at{};
  GetCursorPos(&at);
  if (!seek_window_) seek_window_ = std::make_unique<CSeekWindow>(instance_, program_dir_, node->Control());
  seek_window_->Open(owner, at, video.id, node->node_parameters().words[1], binding_.media()->path().Position());
}

}  // namespace app::view
