// Arbitrary bytes as a recording to read and export: the reader never reads
// past the file, and an export it accepts is a Matroska file whose counts
// match the tables it read.
#include <cstdlib>
#include <vector>

#include "record/mp4_reader.h"
#include "record/recording_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  record::Mp4MemoryOutput in(std::vector<uint8_t>(data, data + size));
  record::Mp4Index index;
  std::string error;
  if (!record::ReadMp4Index(in, &index, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  size_t samples = 0;
  for (const record::Mp4ReadTrack& t : index.tracks)
    for (const record::Mp4ReadSample& s : t.samples) {
      if (s.offset > size || s.size > size - s.offset) std::abort();
      ++samples;
    }
  record::Mp4MemoryOutput out;
  record::ExportSummary summary;
  if (!record::ExportRecording(in, out, &summary, &error)) return 0;
  const std::vector<uint8_t>& mkv = out.Bytes();
  if (mkv.size() < 4 || mkv[0] != 0x1A || mkv[1] != 0x45 || mkv[2] != 0xDF || mkv[3] != 0xA3) std::abort();
  if (summary.pictures + summary.soundFrames > samples) std::abort();
  return 0;
}
