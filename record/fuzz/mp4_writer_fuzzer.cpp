// A stream of arbitrary bytes recorded the way mp4rec does it, into memory
// that runs full at a point the input chooses.
#include <vector>

#include "record/m4v_headers.h"
#include "record/mp4_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t capacity = (static_cast<size_t>(data[0]) << 8 | data[1]) * 16 + 8;
  std::vector<uint8_t> in(data + 2, data + size);
  record::M4vSpan header;
  std::vector<record::M4vSpan> pictures;
  record::SplitM4vStream(in.data(), in.size(), &header, &pictures);

  record::Mp4File mp4;
  auto output = std::make_unique<record::Mp4MemoryOutput>(capacity);
  if (!mp4.Open(std::move(output))) return 0;
  mp4.WriteVideo(in.data(), static_cast<uint32_t>(header.length), 0, 0);
  uint32_t index = 1;
  for (const record::M4vSpan& p : pictures) {
    mp4.WriteVideo(in.data() + p.offset, static_cast<uint32_t>(p.length), index, index * 40);
    if (index % 2) mp4.WriteAudio(in.data() + p.offset, static_cast<uint32_t>(p.length), index / 2, index * 32);
    ++index;
  }
  mp4.Finalise();
  return 0;
}
