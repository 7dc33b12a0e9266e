#pragma once
// Where the camera setup pages keep their values in the camera's
// configuration record, and the conversions between a stored value and what
// a control shows. Portable: the pages use it, and it is tested natively.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "net/camera_setup_info.h"

namespace dialogs::setup {

// Offsets into CameraSetupInfo (little-endian fields).
enum Field : uint32_t {
  kCameraPort = 608,         // 16-bit
  kSensorType = 610,         // list index
  kSensorOn = 611,           // 1 = on
  kSensorInterval = 612,
  kSensorNotify = 613,       // 1 SMS only, 2 e-mail only, 3 both, 0 none
  kPrimaryPhone = 614,       // text, 16 bytes
  kMailTo = 630,             // text, 64 bytes
  kMailFrom = 694,           // text, 64 bytes
  kAttachVideo = 758,        // 1 = attach
  kMailMessage = 759,        // text, 129 bytes
  kHostServerIp = 940,       // four bytes, first field first
  kHostServerPort = 944,     // 16-bit
  kSupportedChannels = 982,  // shown only
  kVideoChannel = 987,       // list index; 255 is list index 4
  kChannelPeriod = 989,
  kMotionDetection = 990,
  kResolution = 991,         // code 1, 2, 4
  kEncodeMode = 992,         // list index
  kBitrate = 994,            // 16-bit, kbit/s
  kIntraPeriod = 996,
  kIntraQp = 997,
  kInterQp = 998,
  kMikeVolume = 999,
  kSpeakerVolume = 1000,
  kAudioLoopback = 1001,
  kDdnsIpText = 1034,        // text, 32 bytes, dotted decimal
  kDdnsPort = 1066,          // 16-bit
  kPortForwardOn = 1068,
  kPortForwardPort = 1070,   // 16-bit
  kPanTiltDevices = 1072,    // four 32-bit device codes
  kPanTiltControlIds = 1088, // four bytes
  kIntensity = 1092,         // four 16-bit colour values: the setting is the high byte
  kContrast = 1094,
  kHue = 1096,
  kSaturation = 1098,
  kFramesPerSecond = 1100,
  kSmsFromNumber = 1101,     // text, 16 bytes
  kSmsMessage = 1117,        // text, 80 bytes
  kSecondPhone = 1197,       // text, 16 bytes
};

// Widths of the text fields, terminating NUL included.
inline constexpr size_t kPhoneWidth = 16;
inline constexpr size_t kMailAddressWidth = 64;
inline constexpr size_t kMailMessageWidth = 129;
inline constexpr size_t kDdnsIpWidth = 32;
inline constexpr size_t kSmsMessageWidth = 80;

inline constexpr int kPanTiltChannels = 4;

uint8_t GetU8(const net::CameraSetupInfo& info, uint32_t offset);
void PutU8(net::CameraSetupInfo& info, uint32_t offset, uint8_t value);
uint16_t GetU16(const net::CameraSetupInfo& info, uint32_t offset);
void PutU16(net::CameraSetupInfo& info, uint32_t offset, uint16_t value);
uint32_t GetU32(const net::CameraSetupInfo& info, uint32_t offset);
void PutU32(net::CameraSetupInfo& info, uint32_t offset, uint32_t value);
std::string GetFieldText(const net::CameraSetupInfo& info, uint32_t offset, size_t width);
// Cut to width - 1 bytes; the rest of the field is zeroed.
void PutFieldText(net::CameraSetupInfo& info, uint32_t offset, size_t width, const std::string& text);

// Resolution: codes 1, 2, 4 are list entries 0, 1, 2; any other code has no entry.
std::optional<int> ResolutionIndex(uint8_t code);
std::optional<uint8_t> ResolutionCode(int index);

// Video channel: the stored 255 is list index 4, and back.
int VideoChannelIndex(uint8_t value);
uint8_t VideoChannelValue(int index);

// Colour: the setting (1..255) is the high byte of the stored 16-bit value.
int ColourSetting(uint16_t stored);
uint16_t ColourValue(int setting);

// Bitrate list entries "128Kbps", "256Kbps", "512Kbps", "1 Mbps" are stored as
// 128 * 2^i kbit/s; a stored value reads back as the entry nearest to it.
inline constexpr int kBitrateEntries = 4;
uint16_t BitrateValue(int index);
int BitrateIndex(uint16_t stored);

// Sensor notification: the SMS and e-mail boxes in one byte.
struct SensorNotify {
  bool sms = false;
  bool email = false;
};
SensorNotify NotifyFromByte(uint8_t value);
uint8_t NotifyByte(SensorNotify notify);

// Dotted decimal IPv4 text, four fields 0..255, nothing else; false when it
// does not parse.
bool ParseIpv4Text(const std::string& text, std::array<uint8_t, 4>* fields);
std::string FormatIpv4Text(const std::array<uint8_t, 4>& fields);

// A number typed into a field: its leading decimal digits, capped at
// `maximum` (0 when there are none).
uint32_t ParseBoundedNumber(const std::string& text, uint32_t maximum);

// A number field's text as a value the camera can take: decimal digits only,
// from `low` to `high`; nothing for an empty box, other characters or a value
// out of range (which the pages refuse rather than write as 0 or cut to fit).
std::optional<uint32_t> ParseFieldNumber(const std::string& text, uint32_t low, uint32_t high);

}  // namespace dialogs::setup
