// Feeds a byte stream through reassembly in reads of varying size (taken from
// the input itself) and decodes every message that comes out.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "decode_all.h"
#include "net/receive_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static net::ReceiveBuffer buffer;
  buffer.Reset();
  size_t pos = 0;
  uint32_t step_seed = size ? data[0] : 1;
  while (pos < size) {
    uint32_t step = 1 + (step_seed * 2654435761u >> 16) % 4096;
    step_seed = step_seed * 1103515245u + 12345u;
    uint32_t n = static_cast<uint32_t>(std::min<size_t>({step, size - pos, buffer.FreeSize()}));
    if (n == 0) return 0;  // a full buffer with no whole message cannot happen; stop if it does
    std::memcpy(buffer.FreeSpace(), data + pos, n);
    buffer.Commit(n);
    pos += n;
    net::RawMessage m;
    net::ReceiveBuffer::Next r;
    while ((r = buffer.TakeMessage(&m)) == net::ReceiveBuffer::Next::kMessage) {
      // Exact-size copy so a decoder reading past the body is caught.
      std::vector<uint8_t> body(m.body, m.body + m.length + m.payload_length);
      net::fuzz::DecodeBody(m.type, body.data(), m.length);
    }
    if (r == net::ReceiveBuffer::Next::kInvalid) return 0;
  }
  return 0;
}
