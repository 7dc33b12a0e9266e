#include "record/index_cache.h"

#include <algorithm>
#include <cstring>

#include "record/crc32.h"

namespace record {
namespace {

constexpr char kMagic[8] = {'H', 'L', 'Y', 'D', 'R', 'I', 'D', 'X'};
constexpr uint16_t kVersion = 1;
constexpr size_t kFixedEntryBytes = 2 + 8 + 8 + 1 + 4 + 4 + 4 + 4;
constexpr uint32_t kSecondsFrom1904To1970 = 2082844800u;

class Writer {
 public:
  void U8(uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) { U8(v >> 8), U8(v); }
  void U32(uint32_t v) { U16(v >> 16), U16(v); }
  void U64(uint64_t v) { U32(static_cast<uint32_t>(v >> 32)), U32(static_cast<uint32_t>(v)); }
  std::vector<uint8_t> out;
};

class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  bool Has(size_t count) const { return count <= n_ - at_; }
  uint32_t U8() { return p_[at_++]; }
  uint32_t U16() { const uint32_t v = U8() << 8; return v | U8(); }
  uint32_t U32() { const uint32_t v = U16() << 16; return v | U16(); }
  uint64_t U64() { const uint64_t v = uint64_t{U32()} << 32; return v | U32(); }
  const uint8_t* Take(size_t count) { const uint8_t* at = p_ + at_; at_ += count; return at; }
  size_t Left() const { return n_ - at_; }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t at_ = 0;
};

uint32_t Ms(int64_t ms) { return static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, UINT32_MAX)); }

}  // namespace

void ReadFileFacts(Mp4Storage& media, Mp4Storage* journal, FileFacts* facts) {
  facts->state = FileState::kUnreadable;
  facts->creation = facts->firstTime = facts->pictures = 0;
  facts->spans.clear();
  Mp4Timing timing;
  std::string error;
  if (ReadMp4Timing(media, &timing, &error)) {
    facts->state = FileState::kFinished;
    facts->creation = timing.creationTime > kSecondsFrom1904To1970 ? timing.creationTime - kSecondsFrom1904To1970 : 0;
    facts->firstTime = Ms(timing.firstOffset * 1000 / timing.timescale);
    facts->pictures = timing.samples;
    facts->spans = SpansOfRuns(timing.runs, timing.timescale);
    return;
  }
  RecordingTrack track;
  if (!journal || !ReadRecordingTrack(media, journal, &track, &error)) return;
  facts->state = FileState::kUnfinished;
  facts->creation = track.creationTime;
  facts->firstTime = Ms(track.firstTime);
  facts->pictures = static_cast<uint32_t>(track.video.size());
  facts->spans = SpansOfPictures(track.video);
}

std::vector<uint8_t> EncodeIndexCache(const std::vector<FileFacts>& files) {
  Writer w;
  for (char c : kMagic) w.U8(static_cast<uint8_t>(c));
  w.U16(kVersion);
  w.U32(static_cast<uint32_t>(files.size()));
  for (const FileFacts& f : files) {
    const size_t length = std::min<size_t>(f.path.size(), 0xFFFF);
    w.U16(static_cast<uint32_t>(length));
    w.out.insert(w.out.end(), f.path.begin(), f.path.begin() + static_cast<std::ptrdiff_t>(length));
    w.U64(f.size);
    w.U64(static_cast<uint64_t>(f.modified));
    w.U8(static_cast<uint32_t>(f.state));
    w.U32(f.creation);
    w.U32(f.firstTime);
    w.U32(f.pictures);
    w.U32(static_cast<uint32_t>(f.spans.size()));
    for (const FileSpan& s : f.spans) {
      w.U32(Ms(s.begin));
      w.U32(Ms(s.end));
    }
  }
  w.U32(Crc32(w.out.data(), w.out.size()));
  return std::move(w.out);
}

bool DecodeIndexCache(const uint8_t* data, size_t size, std::vector<FileFacts>* files) {
  files->clear();
  if (size < sizeof kMagic + 2 + 4 + 4 || std::memcmp(data, kMagic, sizeof kMagic) != 0) return false;
  const size_t body = size - 4;
  const uint32_t stored = uint32_t(data[body]) << 24 | uint32_t(data[body + 1]) << 16 |
                          uint32_t(data[body + 2]) << 8 | data[body + 3];
  if (Crc32(data, body) != stored) return false;
  Reader r(data + sizeof kMagic, body - sizeof kMagic);
  if (r.U16() != kVersion) return false;
  const uint32_t count = r.U32();
  // Every entry takes its fixed fields: a count that cannot fit is a lie.
  if (uint64_t{count} * kFixedEntryBytes > r.Left()) return false;
  files->reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    FileFacts f;
    if (!r.Has(2)) return false;
    const size_t length = r.U16();
    if (!r.Has(length + kFixedEntryBytes - 2)) return false;
    const uint8_t* path = r.Take(length);
    f.path.assign(reinterpret_cast<const char*>(path), length);
    f.size = r.U64();
    f.modified = static_cast<int64_t>(r.U64());
    const uint32_t state = r.U8();
    if (state > static_cast<uint32_t>(FileState::kUnreadable)) return false;
    f.state = static_cast<FileState>(state);
    f.creation = r.U32();
    f.firstTime = r.U32();
    f.pictures = r.U32();
    const uint32_t spans = r.U32();
    if (uint64_t{spans} * 8 > r.Left()) return false;
    f.spans.resize(spans);
    for (FileSpan& s : f.spans) {
      s.begin = r.U32();
      s.end = r.U32();
      if (s.end < s.begin) return false;
    }
    files->push_back(std::move(f));
  }
  return r.Left() == 0;
}

}  // namespace record
