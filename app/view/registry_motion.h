#pragma once
// Whether a camera's views detect motion, and where they record each motion,
// remembered per camera ID under "Motion" in the program's registry key (a
// DWORD named after the camera; a string named after it with " folder"), so
// every view of the camera, now and after a restart, does as the last one.
#include <string>

namespace app::view {

bool MotionDetectionRemembered(const std::string& camera_id);
void RememberMotionDetection(const std::string& camera_id, bool on);
// The folder motion records into for the camera; empty: it does not.
std::string MotionRecordingRemembered(const std::string& camera_id);
void RememberMotionRecording(const std::string& camera_id, const std::string& folder);

}  // namespace app::view
