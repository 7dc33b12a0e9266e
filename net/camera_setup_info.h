#pragma once
// The camera's configuration record. It travels whole, little-endian, exactly as
// the camera lays it out, so it is kept as bytes with accessors for the fields
// that the client itself acts on; the setup pages read and write the rest.
#include <array>
#include <cstdint>
#include <string>

namespace net {

constexpr uint32_t kCameraSetupMainSize = 1216;
constexpr uint32_t kCameraSetupInfoSize = 3776;
constexpr uint32_t kPresetEntrySize = 80;
constexpr int kPresetSlots = 32;
constexpr uint32_t kReplyCameraSetupMaxBody = 8 + kCameraSetupInfoSize;

struct PresetEntry {
  std::string name;  // at most 63 characters
  int32_t pan = 0, tilt = 0, zoom = 0;
  uint8_t stay = 0;
  bool enabled = false;
};

// major.minor.build packed as one comparable number.
constexpr uint32_t CameraVersion(uint32_t major, uint32_t minor, uint32_t build) {
  return major * 65536 + minor * 256 + build;
}

class CameraSetupInfo {
 public:
  // The values a node starts with before the camera has sent its own.
  static CameraSetupInfo Defaults();

  uint32_t Version() const;
  void SetVersion(uint8_t major, uint8_t minor, uint8_t build);
  // How much of the record RequestCameraSetupInfo sends: older cameras know a shorter record.
  uint32_t SendLength() const;
  // Speaker audio goes out in the short MediaData form to cameras of version 1.0.0 and older.
  bool UsesShortMediaForm() const { return Version() <= CameraVersion(1, 0, 0); }

  int PresetCount() const;
  void SetPresetCount(int count);
  PresetEntry Preset(int index) const;  // index 0..31
  void SetPreset(int index, const PresetEntry& entry);

  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }
  static constexpr uint32_t size() { return kCameraSetupInfoSize; }

 private:
  std::array<uint8_t, kCameraSetupInfoSize> bytes_{};
};

struct CameraSetupReply {
  uint32_t reason = 0;
  uint32_t response = 0;
  // Success when the reason is REASON_SETUP (0) or the response RESPONSE_OK (1).
  bool ok() const { return reason == 0 || response == 1; }
};

// ReplyCameraSetupInfo: reason, response, then up to 3776 record bytes that are
// copied over `info` (a shorter record leaves the tail as it was).
bool DecodeCameraSetupReply(const uint8_t* body, uint32_t length, CameraSetupReply* reply, CameraSetupInfo* info);

}  // namespace net
