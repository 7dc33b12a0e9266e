// A recording and its journal, both arbitrary: repair never crashes, never
// changes a file it refuses or the journal, and a file it repairs is whole,
// with every sample it names lying where the input held it, unchanged.
//
// Input: a flags byte, the recording's length (4 bytes), the recording, the
// journal. Checksums would stop almost every mutation at the first record,
// so flag 1 recomputes each record's CRC and flag 2 each sample's CRC from
// the bytes it names, letting the fuzzer reach what lies behind them.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "record/crc32.h"
#include "record/mp4_reader.h"
#include "record/recording_repair.h"

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

void FixChecksums(std::vector<uint8_t>& journal, const std::vector<uint8_t>& media, bool records, bool samples) {
  for (size_t at = 0; journal.size() - at >= 9;) {
    const uint32_t length = Be32(&journal[at + 1]);
    if (length > journal.size() - at - 9) return;
    uint8_t* payload = &journal[at + 5];
    const uint8_t type = journal[at];
    const size_t crcAt = type == 'V' ? 13 : 12;
    if (samples && (type == 'V' || type == 'A') && length == crcAt + 4) {
      const uint32_t offset = Be32(payload), size = Be32(payload + 4);
      if (offset <= media.size() && size <= media.size() - offset)
        Put32(payload + crcAt, record::Crc32(media.data() + offset, size));
    }
    if (records) Put32(payload + length, record::Crc32(&journal[at], 5 + length));
    at += 9 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const uint8_t flags = data[0];
  const size_t split = std::min<size_t>(Be32(data + 1), size - 5);
  const std::vector<uint8_t> media(data + 5, data + 5 + split);
  std::vector<uint8_t> journal(data + 5 + split, data + size);
  FixChecksums(journal, media, flags & 1, flags & 2);
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
