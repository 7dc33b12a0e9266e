#include "app/view/registry_motion.h"

#include <windows.h>

#include "settings/win32/registry_key.h"

namespace app::view {

namespace {
std::string MotionKeyPath() { return std::string(settings::kRegistryKeyPath) + "\\Motion"; }
}  // namespace

bool MotionDetectionRemembered(const std::string& camera_id) {
  settings::RegistryKey key;
  uint32_t on = 0;
  return !camera_id.empty() && key.Open(HKEY_CURRENT_USER, MotionKeyPath()) && key.QueryDword(camera_id, on) && on != 0;
}

void RememberMotionDetection(const std::string& camera_id, bool on) {
  settings::RegistryKey key;
  if (!camera_id.empty() && key.OpenOrCreate(HKEY_CURRENT_USER, MotionKeyPath())) key.SetDword(camera_id, on ? 1 : 0);
}

std::string MotionRecordingRemembered(const std::string& camera_id) {
  settings::RegistryKey key;
  std::string folder;
  if (camera_id.empty() || !key.Open(HKEY_CURRENT_USER, MotionKeyPath())) return folder;
  key.QueryString(camera_id + " folder", folder);
  return folder;
}

void RememberMotionRecording(const std::string& camera_id, const std::string& folder) {
  settings::RegistryKey key;
  if (!camera_id.empty() && key.OpenOrCreate(HKEY_CURRENT_USER, MotionKeyPath()))
    key.SetString(camera_id + " folder", folder);
}

MotionSettings MotionSettingsRemembered(const std::string& camera_id) {
  MotionSettings settings;
  settings::RegistryKey key;
  if (camera_id.empty() || !key.Open(HKEY_CURRENT_USER, MotionKeyPath())) return settings;
  uint32_t level = 0;
  if (key.QueryDword(camera_id + " sensitivity", level) && level >= node::MotionDetector::kMinSensitivity &&
      level <= node::MotionDetector::kMaxSensitivity)
    settings.sensitivity = static_cast<int>(level);
  std::string mask;
  if (key.QueryString(camera_id + " mask", mask)) MaskFromText(mask, &settings.mask);
  uint32_t cells = 0, duration = 0;
  if (key.QueryDword(camera_id + " min size", cells) && cells >= node::MotionDetector::kMinObjectCellsLeast &&
      cells <= node::MotionDetector::kMinObjectCellsMost)
    settings.min_cells = static_cast<int>(cells);
  if (key.QueryDword(camera_id + " min duration", duration) && duration <= node::MotionDetector::kMinDurationMostMs)
    settings.min_duration_ms = static_cast<int>(duration);
  return settings;
}

void RememberMotionSettings(const std::string& camera_id, const MotionSettings& settings) {
  settings::RegistryKey key;
  if (camera_id.empty() || !key.OpenOrCreate(HKEY_CURRENT_USER, MotionKeyPath())) return;
  key.SetDword(camera_id + " sensitivity", static_cast<uint32_t>(settings.sensitivity));
  key.SetString(camera_id + " mask", MaskToText(settings.mask));
  key.SetDword(camera_id + " min size", static_cast<uint32_t>(settings.min_cells));
  key.SetDword(camera_id + " min duration", static_cast<uint32_t>(settings.min_duration_ms));
}

}  // namespace app::view
