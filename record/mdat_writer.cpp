#include "record/mdat_writer.h"

namespace record {

bool MdatWriter::Start(std::unique_ptr<Mp4Output> output) {
  output_ = std::move(output);
  position_ = 0;
  stream_position_ = 0;
  stream_known_ = true;
  const uint8_t header[kHeaderBytes] = {0, 0, 0, 0, 'm', 'd', 'a', 't'};
  if (WriteBytes(header, sizeof header)) return true;
  output_.reset();
  return false;
}

void MdatWriter::Resume(std::unique_ptr<Mp4Output> output) {
  output_ = std::move(output);
  position_ = kHeaderBytes;
  stream_known_ = false;
}

void MdatWriter::Reset() {
  output_.reset();
  position_ = 0;
  stream_position_ = 0;
  stream_known_ = false;
  limit_reached_ = output_failed_ = false;
}

bool MdatWriter::WriteBytes(const uint8_t* data, size_t length) {
  if (!output_) return false;
  if (!stream_known_ || stream_position_ != position_) {
    if (!output_->Seek(position_)) {
      stream_known_ = false;
      return false;
    }
    stream_position_ = position_;
    stream_known_ = true;
  }
  if (!output_->Write(data, length)) {
    stream_known_ = false;
    output_failed_ = true;
    return false;
  }
  position_ += length;
  stream_position_ = position_;
  return true;
}

bool MdatWriter::WriteSample(const uint8_t* data, uint32_t length, uint64_t reserve, uint32_t* offset) {
  if (position_ + length + reserve > size_limit_) {
    limit_reached_ = true;
    return false;
  }
  const uint64_t start = position_;
  if (!data) {  // adopted: the bytes lie there already
    position_ += length;
    *offset = static_cast<uint32_t>(start);
    return true;
  }
  if (!WriteBytes(data, length)) {
    position_ = start;
    return false;
  }
  *offset = static_cast<uint32_t>(start);
  return true;
}

bool MdatWriter::WriteMdatSize(uint32_t size) {
  const uint64_t end = position_;
  const uint8_t header[kHeaderBytes] = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size),
                                        'm', 'd', 'a', 't'};
  position_ = 0;
  const bool ok = WriteBytes(header, sizeof header);
  if (ok) output_->Sync();
  position_ = end;
  return ok;
}

}  // namespace record
