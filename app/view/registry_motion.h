#pragma once
// Whether a camera's views detect motion, remembered per camera ID: a DWORD
// named after the camera under "Motion" in the program's registry key, so
// every view of the camera, now and after a restart, does as the last one.
#include <string>

namespace app::view {

bool MotionDetectionRemembered(const std::string& camera_id);
void RememberMotionDetection(const std::string& camera_id, bool on);

}  // namespace app::view
