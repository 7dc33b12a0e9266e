#include "net/camera_setup_info.h"

#include <algorithm>
#include <cstring>

#include "net/byte_order.h"

namespace net {
namespace {

constexpr uint32_t kVersionOffset = 892;
constexpr uint32_t kPresetCountOffset = 1214;

void PutBytes(uint8_t* p, std::initializer_list<uint8_t> values) {
  for (uint8_t v : values) *p++ = v;
}

}  // namespace

CameraSetupInfo CameraSetupInfo::Defaults() {
  CameraSetupInfo info;
  uint8_t* b = info.bytes_.data();
  struct Text { uint32_t offset, size; };
  for (Text t : {Text{0, 32}, Text{32, 32}, Text{64, 512}, Text{576, 32}, Text{614, 16}, Text{630, 64},
                 Text{694, 64}, Text{759, 129}, Text{908, 32}, Text{1101, 16}, Text{1117, 80}, Text{1197, 16}})
    PutText(b + t.offset, t.size, "NDEF");
  PutLE16(b + 608, 20002);
  PutBytes(b + kVersionOffset, {1, 1, 7});
  PutBytes(b + 895, {0, 1, 1, 3, 0, 1});
  PutBytes(b + 901, {1, 0, 0, 1, 0, 0});
  // The host server shown on the camera's "Server" page until the camera reports its own.
  PutBytes(b + 940, {127, 0, 0, 1});
  PutLE16(b + 944, 8000);
  PutText(b + 946, 32, "localhost");
  PutBytes(b + 978, {1, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 30});
  PutBytes(b + 990, {0, 1, 0, 0});
  PutLE16(b + 994, 256);
  PutBytes(b + 996, {20, 20, 20});
  PutLE16(b + 1070, 20002);
  PutBytes(b + 1088, {0, 1, 2, 3});
  for (int i = 0; i < 4; ++i) PutLE16(b + 1092 + 2 * i, 32768);
  b[1100] = 30;
  return info;
}

uint32_t CameraSetupInfo::Version() const {
  return CameraVersion(bytes_[kVersionOffset], bytes_[kVersionOffset + 1], bytes_[kVersionOffset + 2]);
}

void CameraSetupInfo::SetVersion(uint8_t major, uint8_t minor, uint8_t build) {
  PutBytes(&bytes_[kVersionOffset], {major, minor, build});
}

uint32_t CameraSetupInfo::SendLength() const {
  uint32_t v = Version();
  if (v >= CameraVersion(1, 1, 0)) return kCameraSetupInfoSize;
  if (v >= CameraVersion(1, 0, 7)) return kCameraSetupMainSize;
  if (v >= CameraVersion(1, 0, 4)) return 1112;
  return 1072;
}

int CameraSetupInfo::PresetCount() const { return bytes_[kPresetCountOffset]; }
void CameraSetupInfo::SetPresetCount(int count) {
  bytes_[kPresetCountOffset] = static_cast<uint8_t>(std::clamp(count, 0, kPresetSlots));
}

PresetEntry CameraSetupInfo::Preset(int index) const {
  PresetEntry e;
  if (index < 0 || index >= kPresetSlots) return e;
  const uint8_t* p = &bytes_[kCameraSetupMainSize + kPresetEntrySize * index];
  e.name = GetText(p, 64);
  e.pan = static_cast<int32_t>(GetLE32(p + 64));
  e.tilt = static_cast<int32_t>(GetLE32(p + 68));
  e.zoom = static_cast<int32_t>(GetLE32(p + 72));
  e.stay = p[76];
  e.enabled = p[77] == 1;
  return e;
}

void CameraSetupInfo::SetPreset(int index, const PresetEntry& e) {
  if (index < 0 || index >= kPresetSlots) return;
  uint8_t* p = &bytes_[kCameraSetupMainSize + kPresetEntrySize * index];
  PutText(p, 64, e.name);
  PutLE32(p + 64, static_cast<uint32_t>(e.pan));
  PutLE32(p + 68, static_cast<uint32_t>(e.tilt));
  PutLE32(p + 72, static_cast<uint32_t>(e.zoom));
  p[76] = e.stay;
  p[77] = e.enabled ? 1 : 0;
  p[78] = p[79] = 0;
}

bool DecodeCameraSetupReply(const uint8_t* body, uint32_t length, CameraSetupReply* reply, CameraSetupInfo* info) {
  if (length < 8) return false;
  reply->reason = GetBE32(body);
  reply->response = GetBE32(body + 4);
  uint32_t record = std::min(length - 8, kCameraSetupInfoSize);
  std::memcpy(info->data(), body + 8, record);
  return true;
}

}  // namespace net
