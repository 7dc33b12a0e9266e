#include "net/receive_buffer.h"

#include <cstring>

#include "net/media_data.h"

namespace net {

ReceiveBuffer::ReceiveBuffer() : data_(new uint8_t[kChannelBufferSize]) {}

void ReceiveBuffer::Reset() {
  read_position_ = 0;
  buffered_ = 0;
  compacted_total_ = 0;
}

void ReceiveBuffer::Compact(uint32_t needed) {
  if (needed <= kChannelBufferSize - read_position_) return;
  std::memmove(data_.get(), data_.get() + read_position_, buffered_);
  compacted_total_ += read_position_;
  read_position_ = 0;
}

ReceiveBuffer::Next ReceiveBuffer::TakeMessage(RawMessage* out) {
  const uint8_t* front = data_.get() + read_position_;
  if (buffered_ < kPacketHeaderSize) {
    Compact(kPacketHeaderSize);
    return Next::kNeedMore;
  }
  const PacketHeader header = DecodePacketHeader(front);
  // 64-bit sums: lengths come from the network and may be anything.
  uint64_t total = uint64_t{header.length} + kPacketHeaderSize;
  if (total > kChannelBufferSize) return Next::kInvalid;
  if (buffered_ < total) {
    Compact(static_cast<uint32_t>(total));
    return Next::kNeedMore;
  }
  uint32_t payload_length = 0;
  if (header.type == kMediaData) {
    if (!MediaPayloadLength(front + kPacketHeaderSize, header.length, &payload_length)) return Next::kInvalid;
    total += payload_length;
    if (total > kChannelBufferSize) return Next::kInvalid;
    if (buffered_ < total) {
      Compact(static_cast<uint32_t>(total));
      return Next::kNeedMore;
    }
  }
  out->type = header.type;
  out->length = header.length;
  out->body = front + kPacketHeaderSize;
  out->payload = header.type == kMediaData ? out->body + header.length : nullptr;
  out->payload_length = payload_length;
  out->total = static_cast<uint32_t>(total);
  read_position_ += out->total;
  buffered_ -= out->total;
  return Next::kMessage;
}

}  // namespace net
