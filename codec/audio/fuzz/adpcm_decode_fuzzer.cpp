// Arbitrary bytes through the decoder: the output must be exactly the size
// it reports, and no input may read or write out of bounds.
#include "codec/audio/adpcm.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::vector<uint8_t> in(data, data + size);  // exact size, so overreads are caught
  std::vector<int16_t> out(size * 8 / 3);
  codec::AdpcmDecoder dec;
  const int bytes = dec.Decode(in.data(), static_cast<int>(in.size()), out.data());
  if (static_cast<size_t>(bytes) != out.size() * 2) std::abort();
  // Feed the decoded sound back through the encoder as well.
  std::vector<uint8_t> codes(codec::AdpcmEncodedSize(bytes));
  codec::AdpcmEncoder enc;
  if (enc.Encode(out.data(), bytes, codes.data()) != static_cast<int>(codes.size())) std::abort();
  return 0;
}
