#include "app/view/registry_motion.h"

#include <windows.h>

#include "settings/registry_key.h"

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

}  // namespace app::view
