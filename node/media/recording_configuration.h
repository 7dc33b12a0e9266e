#pragma once
// The camera's video configuration as a recorder sees it: the unit the
// node's decoder applied (set by the media worker, or cleared by Reset, under
// lock_), the recorder's copy of it (taken under the recorder's stream lock),
// and whether it still decodes like the open file's unit 0.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "record/m4v_headers.h"

namespace node {

class RecordingConfiguration {
 public:
  // Any thread: the unit applied and the picture size reported for it.
  void Set(const uint8_t* data, size_t length, int width, int height);
  void Clear();

  // Stream lock: takes the newest unit set, if it is new. With a file open,
  // one that decodes differently from its unit 0 marks it Changed.
  void Take(bool file_open);
  // The copy taken (empty: none received) and its picture size (320 x 240 until one).
  const std::vector<uint8_t>& Unit() const { return unit_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // A new file's unit 0 is `unit` (null: none); nothing Changed against it.
  void StartFile(const uint8_t* unit, size_t length);
  // The camera's configuration no longer matches the open file's; `Reason` says how.
  bool Changed() const { return changed_; }
  const std::string& Reason() const { return reason_; }

 private:
  mutable std::mutex lock_;
  std::vector<uint8_t> received_;  // empty: none received
  int received_width_ = 320;
  int received_height_ = 240;
  uint64_t serial_ = 0;

  // The stream lock's copy.
  std::vector<uint8_t> unit_;
  int width_ = 320;
  int height_ = 240;
  uint64_t seen_serial_ = 0;
  record::M4vConfig file_config_;  // what the open file's unit 0 says
  bool changed_ = false;
  std::string reason_;
};

}  // namespace node
