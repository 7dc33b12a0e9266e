#include "net/packet_header.h"

#include "net/byte_order.h"

namespace net {

void EncodePacketHeader(const PacketHeader& header, uint8_t* out) {
  PutBE32(out, header.type);
  PutBE32(out + 4, header.length);
}

PacketHeader DecodePacketHeader(const uint8_t* in) {
  PacketHeader h;
  h.type = GetBE32(in);
  h.length = GetBE32(in + 4);
  return h;
}

}  // namespace net
