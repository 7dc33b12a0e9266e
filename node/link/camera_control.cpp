#include "node/link/camera_control.h"

#include "os/debug_log.h"

namespace node {
namespace {

// Pan/tilt device codes of cameras that understand a rectangle to zoom to.
bool RectangleDevice(uint32_t code) { return code == 0 || code == 9 || code == 14 || code == 21 || code == 22; }

uint32_t RecordWord(const net::CameraSetupInfo& info, size_t at) {
  const uint8_t* d = info.data() + at;
  return static_cast<uint32_t>(d[0] | d[1] << 8 | d[2] << 16 | d[3] << 24);
}

}  // namespace

int CameraControl::Send(const net::ControlMessage& message) {
  return hosting_ ? hosting_->SendControl(link_.ControlChannel(), message) : -1;
}

void CameraControl::PtzStep(int pan, int tilt) {
  if (!hosting_) return;
  auto m = relay_ ? net::EncodePtzStepForCamera(link_.camera_id(), pan, tilt) : net::EncodePtzStep(pan, tilt);
  if (m) Send(*m);
}

bool CameraControl::ZoomsToRectangle() const {
  if (relay_) return false;
  const net::CameraSetupInfo info = link_.setup_info();
  // The record's two pan/tilt device codes.
  const uint32_t device1 = RecordWord(info, 1072), device2 = RecordWord(info, 1076);
  return info.Version() >= net::CameraVersion(1, 1, 8) && (RectangleDevice(device1) || RectangleDevice(device2));
}

void CameraControl::ZoomToRectangle(int left, int top, int right, int bottom) {
  if (link_.camera_id().empty() || !hosting_) return;
  if (auto m = net::EncodeAdvancedPtz(left, top, right, bottom)) {
    DebugLog("[Send : AdvancedPTZControl, (%d, %d) -> (%d, %d)", left, top, right, bottom);
    Send(*m);
  }
}

void CameraControl::Lens(uint32_t operation, uint32_t speed) { Send(net::EncodeLensControl(operation, speed)); }

void CameraControl::PresetCommand(uint32_t command, uint32_t number) {
  Send(net::EncodePresetCommand(command, number));
}

bool CameraControl::PresetGoto(int number) {
  if (number < 1 || number > kPresetMaximum) return false;
  PresetCommand(net::kPresetGoto, static_cast<uint32_t>(number - 1));
  return true;
}

bool CameraControl::GroupRun(int number) {
  if (number < 1 || number > kGroupMaximum) return false;
  PresetCommand(net::kGroupRun, static_cast<uint32_t>(number - 1));
  return true;
}

bool CameraControl::SetQuality(uint32_t level) {
  auto m = net::EncodeQuality(level);
  if (!m || link_.camera_id().empty() || !hosting_) return false;
  quality_ = level;
  return Send(*m) >= 0;
}

bool CameraControl::SetVideoInput(uint32_t input) {
  auto m = net::EncodeVideoInput(input);
  if (!m || !hosting_) return false;
  video_input_ = input;
  return Send(*m) >= 0;
}

bool CameraControl::Reboot() {
  if (link_.camera_id().empty()) return false;
  return Send(net::EncodeReboot()) >= 0;
}

bool CameraControl::QueryPtzPosition(net::PtzPosition* position) {
  if (!hosting_) return false;
  return position_reply_.Ask([&] { return Send(net::EncodePtzPositionQuery()) >= 0; }, position);
}

bool CameraControl::SetPtzPosition(const net::PtzPosition& p) {
  return Send(net::EncodeSetPtzPosition(p.pan, p.tilt, p.zoom)) >= 0;
}

bool CameraControl::EnablePresetEditing() {
  if (!hosting_) return false;
  return preset_ack_.Ask([&] { return hosting_->RequestPresetEnable(link_.ControlChannel()) > 0; }, nullptr);
}

int CameraControl::SendCameraSetupInfo(const net::CameraSetupInfo& info) {
  if (!hosting_ || link_.camera_id().empty()) return -1;
  return hosting_->RequestCameraSetupInfo(link_.ControlChannel(), info);
}

int CameraControl::Seek(int percent) {
  const uint32_t channel = link_.FileVideoChannel();
  if (!hosting_ || channel == net::kChannelNotFound) return -1;
  const uint64_t length = link_.node_parameters().words[1];
  const uint64_t clamped = static_cast<uint64_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
  const uint32_t position = static_cast<uint32_t>(length * clamped / 100);
  return hosting_->RequestStreamingReset(hosting::RequestTarget::Host(), channel, position);
}

}  // namespace node
