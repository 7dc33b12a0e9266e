#include "dialogs/camera_setup/setup_fields.h"

#include <cstdlib>

#include "net/byte_order.h"

namespace dialogs::setup {

uint8_t GetU8(const net::CameraSetupInfo& info, uint32_t offset) { return info.data()[offset]; }
void PutU8(net::CameraSetupInfo& info, uint32_t offset, uint8_t value) { info.data()[offset] = value; }
uint16_t GetU16(const net::CameraSetupInfo& info, uint32_t offset) { return net::GetLE16(info.data() + offset); }
void PutU16(net::CameraSetupInfo& info, uint32_t offset, uint16_t value) { net::PutLE16(info.data() + offset, value); }
uint32_t GetU32(const net::CameraSetupInfo& info, uint32_t offset) { return net::GetLE32(info.data() + offset); }
void PutU32(net::CameraSetupInfo& info, uint32_t offset, uint32_t value) { net::PutLE32(info.data() + offset, value); }

std::string GetFieldText(const net::CameraSetupInfo& info, uint32_t offset, size_t width) {
  return net::GetText(info.data() + offset, width);
}

void PutFieldText(net::CameraSetupInfo& info, uint32_t offset, size_t width, const std::string& text) {
  net::PutText(info.data() + offset, width, text);
}

std::optional<int> ResolutionIndex(uint8_t code) {
  switch (code) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    default: return std::nullopt;
  }
}

std::optional<uint8_t> ResolutionCode(int index) {
  if (index < 0 || index > 2) return std::nullopt;
  return static_cast<uint8_t>(1 << index);
}

int VideoChannelIndex(uint8_t value) { return value == 255 ? 4 : value; }
uint8_t VideoChannelValue(int index) { return index == 4 ? 255 : static_cast<uint8_t>(index); }

int ColourSetting(uint16_t stored) { return stored >> 8; }
uint16_t ColourValue(int setting) { return static_cast<uint16_t>((setting & 0xFF) << 8); }

uint16_t BitrateValue(int index) {
  if (index < 0) index = 0;
  if (index >= kBitrateEntries) index = kBitrateEntries - 1;
  return static_cast<uint16_t>(128u << index);
}

int BitrateIndex(uint16_t stored) {
  int best = 0;
  for (int i = 1; i < kBitrateEntries; ++i)
    if (std::abs(static_cast<int>(stored) - BitrateValue(i)) < std::abs(static_cast<int>(stored) - BitrateValue(best)))
      best = i;
  return best;
}

SensorNotify NotifyFromByte(uint8_t value) { return {value == 1 || value == 3, value == 2 || value == 3}; }
uint8_t NotifyByte(SensorNotify notify) { return static_cast<uint8_t>((notify.sms ? 1 : 0) | (notify.email ? 2 : 0)); }

bool ParseIpv4Text(const std::string& text, std::array<uint8_t, 4>* fields) {
  std::array<uint8_t, 4> out{};
  size_t at = 0;
  for (int field = 0; field < 4; ++field) {
    if (field > 0) {
      if (at >= text.size() || text[at] != '.') return false;
      ++at;
    }
    unsigned value = 0;
    size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
      value = value * 10 + static_cast<unsigned>(text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || value > 255) return false;
    out[static_cast<size_t>(field)] = static_cast<uint8_t>(value);
  }
  if (at != text.size()) return false;
  *fields = out;
  return true;
}

std::string FormatIpv4Text(const std::array<uint8_t, 4>& f) {
  return std::to_string(f[0]) + "." + std::to_string(f[1]) + "." + std::to_string(f[2]) + "." + std::to_string(f[3]);
}

uint32_t ParseBoundedNumber(const std::string& text, uint32_t maximum) {
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<uint32_t>(c - '0');
    if (value >= maximum) return maximum;
  }
  return value;
}

std::optional<uint32_t> ParseFieldNumber(const std::string& text, uint32_t low, uint32_t high) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return static_cast<uint32_t>(value);
}

}  // namespace dialogs::setup
