#pragma once
// The fixed-size records of the hosting server's camera and file lists.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace net {

constexpr uint32_t kCameraRecordSize = 444;
constexpr uint32_t kFileRecordSize = 404;
constexpr uint32_t kCameraUpdateSize = 4 + kCameraRecordSize;
constexpr uint32_t kFileUpdateSize = 4 + kFileRecordSize;

// Only some fields have a known meaning; the rest is carried as it came so a
// record can be stored and sent back unchanged.
struct CameraRecord {
  std::string camera_id;  // offset 0
  std::string text36;     // further text fields whose use belongs to the server tree
  std::string text68;
  std::string text132;
  std::string text168;
  uint32_t port = 9000;   // offset 164
};

// A date and time as the server writes it: six signed 32-bit values, not
// always a real time.
struct RecordTime {
  int32_t day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const RecordTime&) const = default;
};

struct FileRecord {
  std::string file_name;  // offset 0, 256 bytes
  std::string camera_id;  // offset 256
  uint32_t value288 = 0;
  RecordTime start;       // offsets 292..312
  RecordTime end;         // offsets 324..344
  uint32_t value392 = 1000, value396 = 3000, value400 = 700;
};

std::array<uint8_t, kCameraRecordSize> EncodeCameraRecord(const CameraRecord& record);
CameraRecord DecodeCameraRecord(const uint8_t* record);  // exactly kCameraRecordSize bytes
std::array<uint8_t, kFileRecordSize> EncodeFileRecord(const FileRecord& record);
FileRecord DecodeFileRecord(const uint8_t* record);  // exactly kFileRecordSize bytes

// A time group is usable when the year is not negative, the month is 0 to
// 12, the day 0 to 31, the hour 0 to 23 and minute and second 0 to 59.
bool IsValidRecordTime(const RecordTime& time);
// The local time now, as a time group.
RecordTime CurrentRecordTime();
// The record as it is shown: each time group that is not usable replaced by
// `now`. Everything that shows or uses a record's times goes through this.
FileRecord WithValidTimes(FileRecord record, const RecordTime& now);

// A list body holds a whole number of records; a shorter remainder is ignored.
std::vector<CameraRecord> DecodeCameraList(const uint8_t* body, uint32_t length);
std::vector<FileRecord> DecodeFileList(const uint8_t* body, uint32_t length);

// Online and file-list updates: a big-endian code then exactly one record.
// A body of any other size is refused.
bool DecodeCameraUpdate(const uint8_t* body, uint32_t length, uint32_t* code, CameraRecord* record);
bool DecodeFileUpdate(const uint8_t* body, uint32_t length, uint32_t* code, FileRecord* record);
std::array<uint8_t, kCameraUpdateSize> EncodeCameraUpdate(uint32_t code, const CameraRecord& record);
std::array<uint8_t, kFileUpdateSize> EncodeFileUpdate(uint32_t code, const FileRecord& record);

}  // namespace net
