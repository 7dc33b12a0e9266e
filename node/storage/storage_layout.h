#pragma once
// Where plan recordings go under a root folder, one folder per camera and
// one per day in it:
//   ROOT/CAMERA/YYYY-MM-DD/CAMERA_yyyyMMdd_HHmmss.mp4
//   ROOT/CAMERA/YYYY-MM-DD/CAMERA_yyyyMMdd_HHmmss_motion.mp4
// and the numbered continuations "-2", "-3" that the recorder takes beside
// them. Times are local, as the names of every recording of this program.
#include <cstdint>
#include <string>

namespace node {

// The camera's name as folder and file names carry it: what os::SafeFileName
// makes of it, and besides a name of dots only ("..", which would lead out
// of the root) and a trailing dot or space (which Windows drops, so two
// cameras would share a folder) are mended with '_'.
std::string StorageCameraName(const std::string& camera);
// `folder` and `name` with the platform's separator between them.
std::string JoinPath(const std::string& folder, const std::string& name);
// ROOT/CAMERA/YYYY-MM-DD of the local day of `seconds`.
std::string DayFolder(const std::string& root, const std::string& camera, int64_t seconds);
// The file a plan starts at `seconds`, in its day folder.
std::string PlanFilePath(const std::string& root, const std::string& camera, int64_t seconds, bool motion);

// What a recording's name says: "CAMERA_yyyyMMdd_HHmmss[_motion][-N].mp4".
struct StoredName {
  std::string camera;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool motion = false;
  int number = 1;
};
// False for a name that is not a recording's.
bool ParseStoredName(const std::string& file_name, StoredName* name);
// "YYYY-MM-DD" as yyyymmdd; 0 for any other name.
int DayFolderNumber(const std::string& name);

}  // namespace node
