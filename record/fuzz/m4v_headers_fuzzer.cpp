// Arbitrary bytes as a configuration unit, as a picture and as a whole stream.
#include <cstdlib>
#include <vector>

#include "record/m4v_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> in(data, data + size);
  record::M4vConfig config;
  if (record::ParseM4vConfig(in.data(), in.size(), &config)) {
    if (config.width < 0 || config.width > 8191 || config.height < 0 || config.height > 8191) std::abort();
    if (config.timeIncrementBits < 1 || config.timeIncrementBits > 16) std::abort();
  }
  const int type = record::VopCodingType(in.data(), in.size());
  if (type < -1 || type > 3) std::abort();

  record::M4vSpan header;
  std::vector<record::M4vSpan> pictures;
  record::SplitM4vStream(in.data(), in.size(), &header, &pictures);
  // The pieces tile the input exactly, each picture starting with its start code.
  size_t at = header.length;
  for (const record::M4vSpan& p : pictures) {
    if (p.offset != at || p.length < 4) std::abort();
    const uint8_t* s = in.data() + p.offset;
    if (s[0] != 0 || s[1] != 0 || s[2] != 1 || s[3] != 0xB6) std::abort();
    at += p.length;
  }
  if (at != in.size()) std::abort();
  return 0;
}
