// The camera control requests a user gives through the node: PTZ by drag and
// double click, lens, presets and groups, quality, video input, reboot,
// position query, preset editing, camera setup and the seek of a stored file.
#include <cstdlib>

#include "node/node_window.h"
#include "os/debug_log.h"

namespace node {
namespace {

// Pan/tilt device codes of cameras that understand a rectangle to zoom to.
bool RectangleDevice(uint32_t code) { return code == 0 || code == 9 || code == 14 || code == 21 || code == 22; }

// Corners are sent in the coordinates of a 320-pixel-wide picture.
int PictureCoordinate(int v, int client_width) { return client_width > 320 ? v / 2 : v; }

}  // namespace

void CNodeWindow::PtzStep(int pan, int tilt) {
  if (!ctx_.hosting) return;
  auto m = ctx_.relay ? net::EncodePtzStepForCamera(camera_id(), pan, tilt) : net::EncodePtzStep(pan, tilt);
  if (m) ctx_.hosting->SendControl(ControlChannel(), *m);
}

bool CNodeWindow::RectangleForm() const {
  if (ctx_.relay) return false;
  const net::CameraSetupInfo info = setup_info();
  const uint32_t device1 = static_cast<uint32_t>(info.data()[1072] | info.data()[1073] << 8 |
                                                 info.data()[1074] << 16 | info.data()[1075] << 24);
  const uint32_t device2 = static_cast<uint32_t>(info.data()[1076] | info.data()[1077] << 8 |
                                                 info.data()[1078] << 16 | info.data()[1079] << 24);
  return info.Version() >= net::CameraVersion(1, 1, 8) && (RectangleDevice(device1) || RectangleDevice(device2));
}

bool CNodeWindow::DragSendsRectangle(int dx, int dy) const {
  return RectangleForm() && std::abs(dx) >= 10 && std::abs(dy) >= 10;
}

void CNodeWindow::Drag(int start_x, int start_y, int end_x, int end_y, int client_width, int client_height) {
  if (camera_id().empty() || !ctx_.hosting || client_width <= 0 || client_height <= 0) return;
  const int dx = end_x - start_x, dy = end_y - start_y;
  const int pan = dx * 10 / client_width, tilt = dy * 10 / client_height;
  if (ctx_.relay) {
    PtzStep(pan, tilt);
    return;
  }
  const bool rectangle = RectangleForm();
  if (rectangle && std::abs(dx) >= 10 && std::abs(dy) >= 10) {
    auto m = net::EncodeAdvancedPtz(PictureCoordinate(start_x, client_width), PictureCoordinate(start_y, client_width),
                                    PictureCoordinate(end_x, client_width), PictureCoordinate(end_y, client_width));
    if (m) {
      DebugLog("[Send : AdvancedPTZControl, (%d, %d) -> (%d, %d)", PictureCoordinate(start_x, client_width),
               PictureCoordinate(start_y, client_width), PictureCoordinate(end_x, client_width),
               PictureCoordinate(end_y, client_width));
      ctx_.hosting->SendControl(ControlChannel(), *m);
    }
    return;
  }
  if (rectangle && std::abs(dx) < 10 && std::abs(dy) < 10) return;  // a click, not a drag
  PtzStep(pan, tilt);
}

void CNodeWindow::DoubleClick(int x, int y, int client_width) {
  if (camera_id().empty() || !ctx_.hosting) return;
  const int px = PictureCoordinate(x, client_width), py = PictureCoordinate(y, client_width);
  if (auto m = net::EncodeAdvancedPtz(px, py, px, py)) {
    DebugLog("[Send : AdvancedPTZControl, (%d, %d) -> (%d, %d)", px, py, px, py);
    ctx_.hosting->SendControl(ControlChannel(), *m);
  }
}

void CNodeWindow::Lens(uint32_t operation, uint32_t speed) {
  if (ctx_.hosting) ctx_.hosting->SendControl(ControlChannel(), net::EncodeLensControl(operation, speed));
}

void CNodeWindow::PresetCommand(uint32_t command, uint32_t number) {
  if (ctx_.hosting) ctx_.hosting->SendControl(ControlChannel(), net::EncodePresetCommand(command, number));
}

bool CNodeWindow::PresetGoto(int number) {
  if (number < 1 || number > kPresetMaximum) return false;
  PresetCommand(net::kPresetGoto, static_cast<uint32_t>(number - 1));
  return true;
}

bool CNodeWindow::GroupRun(int number) {
  if (number < 1 || number > kGroupMaximum) return false;
  PresetCommand(net::kGroupRun, static_cast<uint32_t>(number - 1));
  return true;
}

bool CNodeWindow::SetQuality(uint32_t level) {
  auto m = net::EncodeQuality(level);
  if (!m || camera_id().empty() || !ctx_.hosting) return false;
  quality_ = level;
  return ctx_.hosting->SendControl(ControlChannel(), *m) >= 0;
}

bool CNodeWindow::SetVideoInput(uint32_t input) {
  auto m = net::EncodeVideoInput(input);
  if (!m || !ctx_.hosting) return false;
  video_input_ = input;
  return ctx_.hosting->SendControl(ControlChannel(), *m) >= 0;
}

bool CNodeWindow::Reboot() {
  if (camera_id().empty() || !ctx_.hosting) return false;
  return ctx_.hosting->SendControl(ControlChannel(), net::EncodeReboot()) >= 0;
}

bool CNodeWindow::QueryPtzPosition(net::PtzPosition* position) {
  if (!ctx_.hosting) return false;
  return position_reply_.Ask(
      [&] { return ctx_.hosting->SendControl(ControlChannel(), net::EncodePtzPositionQuery()) >= 0; }, position);
}

bool CNodeWindow::SetPtzPosition(const net::PtzPosition& p) {
  return ctx_.hosting && ctx_.hosting->SendControl(ControlChannel(), net::EncodeSetPtzPosition(p.pan, p.tilt, p.zoom)) >= 0;
}

bool CNodeWindow::EnablePresetEditing() {
  if (!ctx_.hosting) return false;
  return preset_ack_.Ask([&] { return ctx_.hosting->RequestPresetEnable(ControlChannel()) > 0; }, nullptr);
}

int CNodeWindow::SendCameraSetupInfo(const net::CameraSetupInfo& info) {
  if (!ctx_.hosting || camera_id().empty()) return -1;
  return ctx_.hosting->RequestCameraSetupInfo(ControlChannel(), info);
}

int CNodeWindow::Seek(int percent) {
  const ChannelEntry video = channel(kVideo);
  if (!ctx_.hosting || video.kind != net::kChannelFileVideo || video.id == net::kChannelNotFound) return -1;
  const uint64_t length = node_parameters().words[1];
  const uint32_t position = static_cast<uint32_t>(length * static_cast<uint64_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent) / 100);
  return ctx_.hosting->RequestStreamingReset(hosting::RequestTarget::Host(), video.id, position);
}

}  // namespace node
