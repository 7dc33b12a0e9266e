#pragma once
// What a recording's file name says. Every recorder of this program names a
// file after its camera and the local time it started, to the second:
//   CAMERA_yyyyMMdd_HHmmss.mp4          a recording (by hand, --record, a plan)
//   CAMERA_yyyyMMdd_HHmmss_motion.mp4   a recording of one motion
// and a recording that goes on in another file (a new camera configuration,
// a file near its size limit, the link back after an outage) takes the next
// free numbered name, "...-2.mp4", "...-3.mp4", which keeps the time of the
// first file. Camera names may hold underscores, so the name is read from
// its end.
#include <cstdint>
#include <string>

namespace record {

struct RecordingName {
  std::string camera;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;  // local time
  bool motion = false;
  int number = 1;  // 1 for the first file, 2 for "-2", ...
};

// False for a name that is not a recording's (the extension ".mp4" in any case).
bool ParseRecordingName(const std::string& file_name, RecordingName* name);

// Seconds since 1970 UTC of a local calendar time (the machine's time zone;
// in the hour a clock is put back, the earlier of the two). False for a
// time that does not exist in the calendar.
bool LocalToWallSeconds(int year, int month, int day, int hour, int minute, int second, int64_t* seconds);
// The local calendar day of wall-clock seconds, as a number yyyymmdd, and
// the wall-clock seconds at which such a day begins and ends.
int LocalDay(int64_t seconds);
int64_t LocalDayStart(int yyyymmdd);
int64_t LocalDayEnd(int yyyymmdd);
// "YYYY-MM-DD" <-> yyyymmdd; 0 for text that names no day.
std::string DayText(int yyyymmdd);
int ParseDayText(const std::string& text);
// "YYYY-MM-DD HH:MM:SS" in local time <-> wall-clock seconds.
std::string LocalTimeText(int64_t seconds);
bool ParseLocalTimeText(const std::string& text, int64_t* seconds);

// A camera name as it appears in file and folder names: the characters a
// Windows file name cannot hold become '_', as the recorders write them.
std::string FileSafeCameraName(const std::string& camera);

}  // namespace record
