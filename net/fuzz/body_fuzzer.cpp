// Every body decoder on arbitrary bytes: the first two bytes pick the message
// type from the catalogue, the rest is the body, copied to an exact-size buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode_all.h"

static const uint32_t kTypes[] = {3, 4, 5, 6, 8, 9, 16, 20, 24, 33, 34, 35, 41, 49, 55, 56, 57, 65, 66, 67, 69,
                                  70, 4098, 4099, 0xFFF0, 0xFFF1, 0xFFF2};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  uint32_t type = kTypes[data[0] % (sizeof kTypes / sizeof kTypes[0])];
  std::vector<uint8_t> body(data + 1, data + size);
  net::fuzz::DecodeBody(type, body.data(), static_cast<uint32_t>(body.size()));
  return 0;
}
