// A camera's configuration record as the setup pages and the preset setup
// dialog read it: any bytes give bounded texts, a parsed or refused DDNS
// address, list entries in range and at most 32 preset rows; writing the rows
// back and reading them again gives the same rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "dialogs/camera_setup/setup_fields.h"
#include "dialogs/preset/preset_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dialogs;
  net::CameraSetupInfo info;
  std::memcpy(info.data(), data, size < info.size() ? size : info.size());

  std::array<uint8_t, 4> address{};
  const std::string ddns = setup::GetFieldText(info, setup::kDdnsIpText, setup::kDdnsIpWidth);
  if (ddns.size() > setup::kDdnsIpWidth) std::abort();
  if (setup::ParseIpv4Text(ddns, &address)) {
    std::array<uint8_t, 4> again{};
    if (!setup::ParseIpv4Text(setup::FormatIpv4Text(address), &again) || again != address) std::abort();
  }
  const int bitrate = setup::BitrateIndex(setup::GetU16(info, setup::kBitrate));
  if (bitrate < 0 || bitrate >= setup::kBitrateEntries) std::abort();
  if (setup::GetFieldText(info, setup::kMailMessage, setup::kMailMessageWidth).size() > setup::kMailMessageWidth)
    std::abort();

  const preset::PresetRows rows = preset::ReadPresetRows(info);
  if (rows.size() > static_cast<size_t>(net::kPresetSlots)) std::abort();
  net::CameraSetupInfo written = info;
  preset::WritePresetTable(&written, rows, preset::TourFlag(info));
  const preset::PresetRows back = preset::ReadPresetRows(written);
  if (back.size() != rows.size()) std::abort();
  for (size_t i = 0; i < rows.size(); ++i)
    if (back[i].name != rows[i].name.substr(0, preset::kLocationBytes) || back[i].pan != rows[i].pan ||
        back[i].stay != rows[i].stay || back[i].enabled != rows[i].enabled)
      std::abort();
  return 0;
}
