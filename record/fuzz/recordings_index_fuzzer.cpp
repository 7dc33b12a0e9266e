// What the recordings index reads from disk, arbitrary: its own index file
// (whatever it accepts encodes back to the same bytes), an event log's day
// (bands never end before they begin), and a recording read for its times or
// for playback, alone or with a journal (every sample lies inside the file,
// times never run backwards). The first byte chooses which.
#include <cstdlib>
#include <vector>

#include "record/event_days.h"
#include "record/index_cache.h"
#include "record/recording_track.h"

namespace {

void CheckTrack(const record::RecordingTrack& track, uint64_t size) {
  for (const std::vector<record::TrackSample>* list : {&track.video, &track.sound}) {
    int64_t last = INT64_MIN;
    for (const record::TrackSample& s : *list) {
      if (s.offset > size || s.size > size - s.offset) std::abort();
      if (list == &track.video && s.time < last) std::abort();
      last = s.time;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0] % 4;
  const std::vector<uint8_t> rest(data + 1, data + size);
  switch (mode) {
    case 0: {
      std::vector<record::FileFacts> files;
      if (!record::DecodeIndexCache(rest.data(), rest.size(), &files)) return 0;
      if (record::EncodeIndexCache(files) != rest) std::abort();
      return 0;
    }
    case 1: {
      for (const record::EventBand& b :
           record::ParseEventDay(reinterpret_cast<const char*>(rest.data()), rest.size(), 20260314))
        if (b.end < b.begin || b.text.size() > 4096) std::abort();
      return 0;
    }
    case 2: {
      record::Mp4MemoryOutput media(rest);
      record::FileFacts facts;
      record::ReadFileFacts(media, nullptr, &facts);
      for (const record::FileSpan& s : facts.spans)
        if (s.end < s.begin) std::abort();
      record::RecordingTrack track;
      std::string error;
      if (record::ReadRecordingTrack(media, nullptr, &track, &error)) CheckTrack(track, rest.size());
      return 0;
    }
    default: {
      // A media file and its journal: the first four bytes give the media's length.
      if (rest.size() < 4) return 0;
      const size_t split = std::min<size_t>(rest.size() - 4, size_t(rest[0]) << 24 | size_t(rest[1]) << 16 |
                                                                 size_t(rest[2]) << 8 | rest[3]);
      record::Mp4MemoryOutput media(std::vector<uint8_t>(rest.begin() + 4, rest.begin() + 4 + long(split)));
      record::Mp4MemoryOutput journal(std::vector<uint8_t>(rest.begin() + 4 + long(split), rest.end()));
      record::FileFacts facts;
      record::ReadFileFacts(media, &journal, &facts);
      record::RecordingTrack track;
      std::string error;
      if (record::ReadRecordingTrack(media, &journal, &track, &error)) CheckTrack(track, split);
      return 0;
    }
  }
}
