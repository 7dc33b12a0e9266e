#include "dialogs/preset/preset_table.h"

#include <algorithm>
#include <cstring>

namespace dialogs::preset {

PresetRows ReadPresetRows(const net::CameraSetupInfo& info) {
  PresetRows rows;
  const int count = std::min(info.PresetCount(), net::kPresetSlots);
  for (int i = 0; i < count; ++i) rows.push_back(info.Preset(i));
  return rows;
}

bool TourFlag(const net::CameraSetupInfo& info) { return info.data()[kTourFlagOffset] != 0; }

void WritePresetTable(net::CameraSetupInfo* info, const PresetRows& rows, bool tour) {
  std::memset(info->data() + net::kCameraSetupMainSize, 0, net::kPresetEntrySize * net::kPresetSlots);
  const int count = static_cast<int>(std::min<size_t>(rows.size(), net::kPresetSlots));
  info->SetPresetCount(count);
  info->data()[kTourFlagOffset] = tour ? 1 : 0;
  for (int i = 0; i < count; ++i) info->SetPreset(i, rows[static_cast<size_t>(i)]);
}

bool MoveRow(PresetRows* rows, int row, int delta) {
  const int other = row + delta;
  if (row < 0 || other < 0 || row >= static_cast<int>(rows->size()) || other >= static_cast<int>(rows->size()))
    return false;
  std::swap((*rows)[static_cast<size_t>(row)], (*rows)[static_cast<size_t>(other)]);
  return true;
}

const char* EnableText(bool enabled) { return enabled ? "TRUE" : "FALSE"; }

std::vector<std::string> RowTexts(const PresetRows& rows, int row) {
  const net::PresetEntry& e = rows[static_cast<size_t>(row)];
  return {std::to_string(row + 1), e.name, std::to_string(e.pan), std::to_string(e.tilt),
          std::to_string(e.zoom), std::to_string(e.stay), EnableText(e.enabled)};
}

}  // namespace dialogs::preset
