#pragma once
// The camera's preset table as the preset setup dialog edits it: rows in
// order (the s/n of a row is its position from 1), read from and written
// back into the configuration record. Portable, tested natively.
#include <string>
#include <vector>

#include "net/camera_setup_info.h"

namespace dialogs::preset {

inline constexpr uint32_t kTourFlagOffset = 1213;  // "preset enable": the camera tours its presets
inline constexpr size_t kLocationBytes = 63;       // the 64-byte field keeps its NUL
inline constexpr int kDefaultStay = 10;            // seconds

using PresetRows = std::vector<net::PresetEntry>;

// The rows in use. The record's count byte is the camera's: more than the 32
// slots it can hold counts as 32.
PresetRows ReadPresetRows(const net::CameraSetupInfo& info);
bool TourFlag(const net::CameraSetupInfo& info);

// Clears the whole table (32 entries of 80 bytes), then writes the count, the
// tour flag and each row in order; rows past the 32nd are not written.
void WritePresetTable(net::CameraSetupInfo* info, const PresetRows& rows, bool tour);

// Exchanges the row at `row` with its neighbour above (delta -1) or below
// (+1); the s/n stays with the position. False when there is no neighbour.
bool MoveRow(PresetRows* rows, int row, int delta);

// The texts of one list row: s/n, location, pan, tilt, zoom, stay, enable.
std::vector<std::string> RowTexts(const PresetRows& rows, int row);
const char* EnableText(bool enabled);

}  // namespace dialogs::preset
