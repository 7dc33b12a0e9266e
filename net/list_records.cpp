#include "net/list_records.h"

#include <cstring>
#include <ctime>

#include "net/byte_order.h"
#include "os/local_time.h"

namespace net {
namespace {

void PutTime(uint8_t* p, const RecordTime& t) {
  const int32_t v[6] = {t.day, t.month, t.year, t.hour, t.minute, t.second};
  for (int i = 0; i < 6; ++i) PutLE32(p + 4 * i, static_cast<uint32_t>(v[i]));
}

RecordTime GetTime(const uint8_t* p) {
  RecordTime t;
  int32_t* fields[6] = {&t.day, &t.month, &t.year, &t.hour, &t.minute, &t.second};
  for (int i = 0; i < 6; ++i) *fields[i] = static_cast<int32_t>(GetLE32(p + 4 * i));
  return t;
}

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

}  // namespace

bool IsValidRecordTime(const RecordTime& t) {
  return t.year >= 0 && InRange(t.month, 0, 12) && InRange(t.day, 0, 31) && InRange(t.hour, 0, 23) &&
         InRange(t.minute, 0, 59) && InRange(t.second, 0, 59);
}

RecordTime CurrentRecordTime() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = os::LocalTime(now);
  return {local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec};
}

FileRecord WithValidTimes(FileRecord record, const RecordTime& now) {
  if (!IsValidRecordTime(record.start)) record.start = now;
  if (!IsValidRecordTime(record.end)) record.end = now;
  return record;
}

std::array<uint8_t, kCameraRecordSize> EncodeCameraRecord(const CameraRecord& r) {
  std::array<uint8_t, kCameraRecordSize> b{};
  PutText(&b[0], 36, r.camera_id);
  PutText(&b[36], 32, r.text36);
  PutText(&b[68], 64, r.text68);
  PutText(&b[132], 32, r.text132);
  PutLE32(&b[164], r.port);
  PutText(&b[168], kCameraRecordSize - 168, r.text168);
  return b;
}

CameraRecord DecodeCameraRecord(const uint8_t* p) {
  CameraRecord r;
  r.camera_id = GetText(p, 36);
  r.text36 = GetText(p + 36, 32);
  r.text68 = GetText(p + 68, 64);
  r.text132 = GetText(p + 132, 32);
  r.port = GetLE32(p + 164);
  r.text168 = GetText(p + 168, kCameraRecordSize - 168);
  return r;
}

std::array<uint8_t, kFileRecordSize> EncodeFileRecord(const FileRecord& r) {
  std::array<uint8_t, kFileRecordSize> b{};
  PutText(&b[0], 256, r.file_name);
  PutText(&b[256], 32, r.camera_id);
  PutLE32(&b[288], r.value288);
  PutTime(&b[292], r.start);
  PutTime(&b[324], r.end);
  PutLE32(&b[392], r.value392);
  PutLE32(&b[396], r.value396);
  PutLE32(&b[400], r.value400);
  return b;
}

FileRecord DecodeFileRecord(const uint8_t* p) {
  FileRecord r;
  r.file_name = GetText(p, 256);
  r.camera_id = GetText(p + 256, 32);
  r.value288 = GetLE32(p + 288);
  r.start = GetTime(p + 292);
  r.end = GetTime(p + 324);
  r.value392 = GetLE32(p + 392);
  r.value396 = GetLE32(p + 396);
  r.value400 = GetLE32(p + 400);
  return r;
}

std::vector<CameraRecord> DecodeCameraList(const uint8_t* body, uint32_t length) {
  std::vector<CameraRecord> list;
  for (uint32_t off = 0; length - off >= kCameraRecordSize && off < length; off += kCameraRecordSize)
    list.push_back(DecodeCameraRecord(body + off));
  return list;
}

std::vector<FileRecord> DecodeFileList(const uint8_t* body, uint32_t length) {
  std::vector<FileRecord> list;
  for (uint32_t off = 0; length - off >= kFileRecordSize && off < length; off += kFileRecordSize)
    list.push_back(DecodeFileRecord(body + off));
  return list;
}

bool DecodeCameraUpdate(const uint8_t* body, uint32_t length, uint32_t* code, CameraRecord* record) {
  if (length != kCameraUpdateSize) return false;
  *code = GetBE32(body);
  *record = DecodeCameraRecord(body + 4);
  return true;
}

bool DecodeFileUpdate(const uint8_t* body, uint32_t length, uint32_t* code, FileRecord* record) {
  if (length != kFileUpdateSize) return false;
  *code = GetBE32(body);
  *record = DecodeFileRecord(body + 4);
  return true;
}

std::array<uint8_t, kCameraUpdateSize> EncodeCameraUpdate(uint32_t code, const CameraRecord& record) {
  std::array<uint8_t, kCameraUpdateSize> b{};
  PutBE32(&b[0], code);
  auto r = EncodeCameraRecord(record);
  std::memcpy(&b[4], r.data(), r.size());
  return b;
}

std::array<uint8_t, kFileUpdateSize> EncodeFileUpdate(uint32_t code, const FileRecord& record) {
  std::array<uint8_t, kFileUpdateSize> b{};
  PutBE32(&b[0], code);
  auto r = EncodeFileRecord(record);
  std::memcpy(&b[4], r.data(), r.size());
  return b;
}

}  // namespace net
