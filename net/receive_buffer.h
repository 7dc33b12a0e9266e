#pragma once
// Reassembly of framed messages from a byte stream, one buffer per connection.
// Messages are handed out in place; the buffer is compacted only when the
// next message would not fit behind the read position, never after each one.
#include <cstdint>
#include <memory>

#include "net/packet_header.h"

namespace net {

struct RawMessage {
  uint32_t type = 0;
  const uint8_t* body = nullptr;  // fixed part for MediaData
  uint32_t length = 0;            // the header's length field
  const uint8_t* payload = nullptr;  // MediaData only
  uint32_t payload_length = 0;
  uint32_t total = 0;  // bytes the message took in the stream
};

class ReceiveBuffer {
 public:
  enum class Next { kMessage, kNeedMore, kInvalid };

  ReceiveBuffer();

  // Where the next receive call may write, and how much.
  uint8_t* FreeSpace() { return data_.get() + read_position_ + buffered_; }
  uint32_t FreeSize() const { return kChannelBufferSize - read_position_ - buffered_; }
  void Commit(uint32_t received) { buffered_ += received; }

  // Takes the next whole message off the front. The read position moves past it
  // before the caller sees it, so a handler may run any logic, even reset the
  // buffer, without the loop reading a message twice. kNeedMore compacts when
  // the missing message would not fit; kInvalid means the stream cannot go on.
  Next TakeMessage(RawMessage* out);

  // Moves the buffered bytes to the start when `needed` bytes no longer fit
  // behind the read position.
  void Compact(uint32_t needed);
  void Reset();

  uint32_t read_position() const { return read_position_; }
  uint32_t buffered() const { return buffered_; }
  uint64_t compacted_total() const { return compacted_total_; }
  // Every byte ever received on this connection.
  uint64_t received_total() const { return compacted_total_ + read_position_ + buffered_; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  uint32_t read_position_ = 0;
  uint32_t buffered_ = 0;
  uint64_t compacted_total_ = 0;
};

}  // namespace net
