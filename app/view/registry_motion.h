#pragma once
// Whether a camera's views detect motion, and where they record each motion,
// remembered per camera ID under "Motion" in the program's registry key (a
// DWORD named after the camera; a string named after it with " folder"), so
// every view of the camera, now and after a restart, does as the last one.
// Its sensitivity and mask go beside them (" sensitivity", " mask"), and the
// smallest object and shortest motion that count (" min size" in cells,
// " min duration" in milliseconds).
#include <string>

#include "app/view/motion_mask.h"

namespace app::view {

bool MotionDetectionRemembered(const std::string& camera_id);
void RememberMotionDetection(const std::string& camera_id, bool on);
// The folder motion records into for the camera; empty: it does not.
std::string MotionRecordingRemembered(const std::string& camera_id);
void RememberMotionRecording(const std::string& camera_id, const std::string& folder);

struct MotionSettings {
  int sensitivity = node::MotionDetector::kDefaultSensitivity;
  MotionMask mask;
  int min_cells = node::MotionDetector::kDefaultMinObjectCells;
  int min_duration_ms = node::MotionDetector::kDefaultMinDurationMs;
  bool operator==(const MotionSettings&) const = default;
};
// The defaults where nothing (or nothing valid) is stored.
MotionSettings MotionSettingsRemembered(const std::string& camera_id);
void RememberMotionSettings(const std::string& camera_id, const MotionSettings& settings);

}  // namespace app::view
