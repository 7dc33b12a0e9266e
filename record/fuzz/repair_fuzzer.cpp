// A recording and its journal, both arbitrary (the first four bytes give the
// recording's length): repair never crashes, never changes a file it refuses
// or the journal, and a file it repairs is whole, with every sample it names
// lying where the input held it, unchanged.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "record/mp4_reader.h"
#include "record/recording_repair.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const size_t claimed = size_t(data[0]) << 24 | size_t(data[1]) << 16 | size_t(data[2]) << 8 | data[3];
  const size_t split = std::min(claimed, size - 4);
  const std::vector<uint8_t> media(data + 4, data + 4 + split);
  const std::vector<uint8_t> journal(data + 4 + split, data + size);
  record::Mp4MemoryOutput file(media);
  record::Mp4MemoryOutput log(journal);
  const record::RepairResult r = record::RepairStorage(file, log);
  if (log.Bytes() != journal) std::abort();
  if (!r.Repaired()) {
    if (file.Bytes() != media || r.message.empty()) std::abort();
    return 0;
  }
  record::Mp4Index index;
  std::string error;
  if (!record::ReadMp4Index(file, &index, &error)) std::abort();
  if (index.topLevel != std::vector<std::string>{"mdat", "udta", "moov"}) std::abort();
  uint64_t kept = 8;
  uint32_t samples = 0;
  for (const record::Mp4ReadTrack& t : index.tracks) {
    if (t.handler != "vide" && t.handler != "soun") continue;
    for (const record::Mp4ReadSample& s : t.samples) kept = std::max(kept, s.offset + s.size);
    samples += static_cast<uint32_t>(t.samples.size());
  }
  if (samples != r.pictures + r.soundFrames || kept > media.size() || kept > file.Bytes().size()) std::abort();
  if (!std::equal(media.begin() + 8, media.begin() + static_cast<std::ptrdiff_t>(kept), file.Bytes().begin() + 8))
    std::abort();
  return 0;
}
