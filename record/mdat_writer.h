// A recording's bytes in its output: where the next byte goes (the writer
// seeks only when the stream stands elsewhere), the size limit no sample may
// pass, and whether a write failed. It knows nothing of tracks or tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "record/mp4_output.h"

namespace record {

class MdatWriter {
 public:
  // The largest mdat a file may reach (chunk offsets are 32-bit).
  static constexpr uint64_t kMaxMdatBytes = 0xFFFFFFFFu;
  // The mdat header: its size field stays 0 until the file is finished.
  static constexpr uint64_t kHeaderBytes = 8;

  // Writes the mdat header into `output`, which it then keeps; false, and
  // nothing kept, when it cannot.
  bool Start(std::unique_ptr<Mp4Output> output);
  // Keeps an output whose mdat header and samples are there already; the
  // next sample goes right after the header until the caller moves on.
  void Resume(std::unique_ptr<Mp4Output> output);
  // Drops the output and forgets where it stood, limit and failure included;
  // the size limit stays.
  void Reset();
  void Drop() { output_.reset(); }

  // Writes at the position and moves it on. After a failure part of the
  // bytes may be on disk; the next write goes to the same place.
  bool WriteBytes(const uint8_t* data, size_t length);
  // Puts a sample's bytes at the position, keeping `reserve` bytes of the
  // limit free, and says where they went; `data` null: they lie there
  // already. On failure the position stays where it was, so a refused sample
  // leaves no gap in the tables.
  bool WriteSample(const uint8_t* data, uint32_t length, uint64_t reserve, uint32_t* offset);
  // Writes the mdat size into the header, makes it durable, and comes back.
  bool WriteMdatSize(uint32_t size);

  Mp4Output* output() const { return output_.get(); }
  uint64_t position() const { return position_; }
  void SetPosition(uint64_t position) { position_ = position; }

  void SetSizeLimit(uint64_t bytes) { size_limit_ = bytes < kMaxMdatBytes ? bytes : kMaxMdatBytes; }
  uint64_t SizeLimit() const { return size_limit_; }
  bool LimitReached() const { return limit_reached_; }
  bool OutputFailed() const { return output_failed_; }

 private:
  std::unique_ptr<Mp4Output> output_;
  uint64_t position_ = 0;         // where the next byte goes
  uint64_t stream_position_ = 0;  // where the output stands, when known
  bool stream_known_ = false;
  uint64_t size_limit_ = kMaxMdatBytes;
  bool limit_reached_ = false;
  bool output_failed_ = false;
};

}  // namespace record
