#include "record/mp4_reader.h"

#include <algorithm>
#include <cstring>

namespace record {
namespace {

// A moov larger than this is not a recording's (4 GiB of samples need ~60 MB).
constexpr uint64_t kMaxMoovBytes = 256u << 20;

// A bounded view of bytes in memory.
struct Span {
  const uint8_t* p = nullptr;
  size_t n = 0;
  bool Has(size_t at, size_t count) const { return at <= n && count <= n - at; }
  uint32_t U8(size_t at) const { return p[at]; }
  uint32_t U16(size_t at) const { return uint32_t(p[at]) << 8 | p[at + 1]; }
  uint32_t U32(size_t at) const { return U16(at) << 16 | U16(at + 2); }
  uint64_t U64(size_t at) const { return uint64_t(U32(at)) << 32 | U32(at + 4); }
  Span From(size_t at) const { return at <= n ? Span{p + at, n - at} : Span{}; }
};

struct Box {
  std::string type;
  Span body;
};

// The child boxes of `in`; false when one runs past its parent.
bool Children(Span in, std::vector<Box>* out) {
  size_t at = 0;
  while (at < in.n) {
    if (!in.Has(at, 8)) return false;
    uint64_t size = in.U32(at);
    size_t header = 8;
    if (size == 1) {
      if (!in.Has(at, 16)) return false;
      size = in.U64(at + 8);
      header = 16;
    } else if (size == 0) {
      size = in.n - at;
    }
    if (size < header || size > in.n - at) return false;
    Box box;
    box.type.assign(reinterpret_cast<const char*>(in.p + at + 4), 4);
    box.body = Span{in.p + at + header, static_cast<size_t>(size - header)};
    out->push_back(box);
    at += static_cast<size_t>(size);
  }
  return true;
}

const Box* Child(const std::vector<Box>& boxes, const char* type) {
  for (const Box& b : boxes)
    if (b.type == type) return &b;
  return nullptr;
}

class TrackReader {
 public:
  TrackReader(uint64_t file_size, std::string* error) : file_size_(file_size), error_(error) {}
  bool Read(Span trak, Mp4ReadTrack* track);

 private:
  bool Fail(const std::string& why) {
    *error_ = "track " + std::to_string(track_ ? track_->trackId : 0) + ": " + why;
    return false;
  }
  bool ReadSampleEntry(Span stsd);
  bool ReadEsds(Span esds);
  bool ReadTables(const std::vector<Box>& stbl);
  bool ReadSizes(Span stsz, std::vector<uint32_t>* sizes);
  bool ReadOffsets(const std::vector<Box>& stbl, uint32_t samples, std::vector<uint64_t>* offsets);
  bool ReadTimes(const std::vector<Box>& stbl);

  uint64_t file_size_;
  std::string* error_;
  Mp4ReadTrack* track_ = nullptr;
};

bool TrackReader::Read(Span trak, Mp4ReadTrack* track) {
  track_ = track;
  std::vector<Box> kids, mdia, minf, stbl;
  if (!Children(trak, &kids)) return Fail("damaged box");
  const Box* tkhd = Child(kids, "tkhd");
  const Box* mdiaBox = Child(kids, "mdia");
  if (!tkhd || !mdiaBox || !tkhd->body.Has(0, 4)) return Fail("no track header or media");
  const size_t idAt = tkhd->body.U8(0) == 1 ? 20 : 12;
  if (!tkhd->body.Has(idAt, 4)) return Fail("short track header");
  track->trackId = tkhd->body.U32(idAt);
  if (!Children(mdiaBox->body, &mdia)) return Fail("damaged media box");
  const Box* mdhd = Child(mdia, "mdhd");
  const Box* hdlr = Child(mdia, "hdlr");
  const Box* minfBox = Child(mdia, "minf");
  if (!mdhd || !hdlr || !minfBox || !mdhd->body.Has(0, 4)) return Fail("no media header, handler or information");
  const size_t scaleAt = mdhd->body.U8(0) == 1 ? 20 : 12;
  if (!mdhd->body.Has(scaleAt, 4) || !hdlr->body.Has(8, 4)) return Fail("short media header or handler");
  track->timescale = mdhd->body.U32(scaleAt);
  track->handler.assign(reinterpret_cast<const char*>(hdlr->body.p + 8), 4);
  if (track->timescale == 0) return Fail("timescale 0");
  if (!Children(minfBox->body, &minf)) return Fail("damaged media information");
  const Box* stblBox = Child(minf, "stbl");
  if (!stblBox || !Children(stblBox->body, &stbl)) return Fail("no sample table");
  const Box* stsd = Child(stbl, "stsd");
  if (!stsd) return Fail("no sample description");
  return ReadSampleEntry(stsd->body) && ReadTables(stbl);
}

bool TrackReader::ReadSampleEntry(Span stsd) {
  std::vector<Box> entries;
  if (!stsd.Has(0, 8) || stsd.U32(4) == 0 || !Children(stsd.From(8), &entries) || entries.empty())
    return Fail("no sample description");
  const Box& entry = entries.front();
  track_->sampleEntry = entry.type;
  size_t fields = 8;  // reserved and data_reference_index
  if (track_->handler == "vide") {
    fields = 78;
    if (!entry.body.Has(0, fields)) return Fail("short visual sample entry");
    track_->width = static_cast<uint16_t>(entry.body.U16(24));
    track_->height = static_cast<uint16_t>(entry.body.U16(26));
  } else if (track_->handler == "soun") {
    fields = 28;
    if (!entry.body.Has(0, fields)) return Fail("short sound sample entry");
    track_->channels = static_cast<uint16_t>(entry.body.U16(16));
    track_->sampleRate = entry.body.U32(24) >> 16;
  }
  // Only the MPEG-4 entries carry an esds where this reader expects it.
  if (entry.type != "mp4v" && entry.type != "mp4a" && entry.type != "mp4s") return true;
  std::vector<Box> kids;
  if (!entry.body.Has(0, fields)) return Fail("short sample entry");
  if (!Children(entry.body.From(fields), &kids)) return Fail("damaged sample entry");
  const Box* esds = Child(kids, "esds");
  return !esds || ReadEsds(esds->body);
}

// Descriptor header: tag and a size of one to four 7-bit groups.
bool Descriptor(Span in, size_t* at, uint8_t* tag, Span* body) {
  if (!in.Has(*at, 2)) return false;
  *tag = static_cast<uint8_t>(in.U8(*at));
  size_t pos = *at + 1;
  uint32_t size = 0;
  for (int i = 0; i < 4; ++i) {
    if (!in.Has(pos, 1)) return false;
    const uint32_t b = in.U8(pos++);
    size = size << 7 | (b & 0x7F);
    if (!(b & 0x80)) break;
    if (i == 3) return false;
  }
  if (!in.Has(pos, size)) return false;
  *body = Span{in.p + pos, size};
  *at = pos + size;
  return true;
}

bool TrackReader::ReadEsds(Span esds) {
  size_t at = 4;  // version and flags
  uint8_t tag = 0;
  Span es;
  if (!Descriptor(esds, &at, &tag, &es) || tag != 0x03 || !es.Has(0, 3)) return Fail("damaged ES descriptor");
  const uint32_t flags = es.U8(2);
  size_t pos = 3;
  if (flags & 0x80) pos += 2;
  if (flags & 0x40) {
    if (!es.Has(pos, 1)) return Fail("damaged ES descriptor");
    pos += 1 + es.U8(pos);
  }
  if (flags & 0x20) pos += 2;
  Span config;
  if (!es.Has(pos, 0) || !Descriptor(es, &pos, &tag, &config) || tag != 0x04 || !config.Has(0, 13))
    return Fail("damaged decoder configuration");
  track_->objectType = static_cast<uint8_t>(config.U8(0));
  size_t dsiAt = 13;
  Span info;
  if (config.n > 13 && Descriptor(config, &dsiAt, &tag, &info) && tag == 0x05)
    track_->decoderInfo.assign(info.p, info.p + info.n);
  return true;
}

bool TrackReader::ReadSizes(Span stsz, std::vector<uint32_t>* sizes) {
  if (!stsz.Has(0, 12)) return Fail("short sample size table");
  const uint32_t constant = stsz.U32(4);
  const uint32_t count = stsz.U32(8);
  if (constant == 0) {
    if (uint64_t{count} * 4 > stsz.n - 12) return Fail("sample size table cut short");
    sizes->resize(count);
    for (uint32_t i = 0; i < count; ++i) (*sizes)[i] = stsz.U32(12 + 4 * size_t{i});
  } else {
    // Each sample takes at least a byte of the file.
    if (count > file_size_) return Fail("more samples than bytes");
    sizes->assign(count, constant);
  }
  return true;
}

bool TrackReader::ReadOffsets(const std::vector<Box>& stbl, uint32_t samples, std::vector<uint64_t>* offsets) {
  const Box* stco = Child(stbl, "stco");
  const Box* co64 = Child(stbl, "co64");
  const Box* stsc = Child(stbl, "stsc");
  const Box* table = stco ? stco : co64;
  if (!table || !stsc) return Fail("no chunk tables");
  const size_t width = stco ? 4 : 8;
  if (!table->body.Has(0, 8) || !stsc->body.Has(0, 8)) return Fail("short chunk table");
  const uint32_t chunks = table->body.U32(4);
  const uint32_t entries = stsc->body.U32(4);
  if (uint64_t{chunks} * width > table->body.n - 8 || uint64_t{entries} * 12 > stsc->body.n - 8)
    return Fail("chunk table cut short");
  offsets->clear();
  offsets->reserve(samples);
  for (uint32_t e = 0; e < entries && offsets->size() < samples; ++e) {
    const Span s = stsc->body.From(8 + 12 * size_t{e});
    const uint32_t first = s.U32(0), perChunk = s.U32(4);
    const uint32_t next = e + 1 < entries ? stsc->body.U32(8 + 12 * size_t{e + 1}) : chunks + 1;
    if (first == 0 || next <= first || next > chunks + 1) return Fail("chunk map out of order");
    for (uint32_t c = first; c < next && offsets->size() < samples; ++c) {
      const size_t at = 8 + width * size_t{c - 1};
      const uint64_t chunk = width == 4 ? table->body.U32(at) : table->body.U64(at);
      for (uint32_t k = 0; k < perChunk && offsets->size() < samples; ++k) offsets->push_back(chunk);
    }
  }
  if (offsets->size() != samples) return Fail("chunks hold fewer samples than the size table");
  return true;
}

bool TrackReader::ReadTimes(const std::vector<Box>& stbl) {
  std::vector<Mp4ReadSample>& samples = track_->samples;
  const Box* stts = Child(stbl, "stts");
  if (!stts || !stts->body.Has(0, 8)) return Fail("no time-to-sample table");
  const uint32_t entries = stts->body.U32(4);
  if (uint64_t{entries} * 8 > stts->body.n - 8) return Fail("time-to-sample table cut short");
  size_t i = 0;
  uint64_t time = 0;
  for (uint32_t e = 0; e < entries; ++e) {
    const uint32_t count = stts->body.U32(8 + 8 * size_t{e}), delta = stts->body.U32(12 + 8 * size_t{e});
    if (count > samples.size() - i) return Fail("time-to-sample table counts more samples than the size table");
    for (uint32_t k = 0; k < count; ++k, ++i, time += delta) samples[i].decodeTime = time;
  }
  if (i != samples.size()) return Fail("time-to-sample table counts fewer samples than the size table");

  if (const Box* ctts = Child(stbl, "ctts")) {
    if (!ctts->body.Has(0, 8)) return Fail("short composition table");
    const bool signedOffsets = ctts->body.U8(0) == 1;
    const uint32_t runs = ctts->body.U32(4);
    if (uint64_t{runs} * 8 > ctts->body.n - 8) return Fail("composition table cut short");
    i = 0;
    for (uint32_t e = 0; e < runs; ++e) {
      const uint32_t count = ctts->body.U32(8 + 8 * size_t{e}), raw = ctts->body.U32(12 + 8 * size_t{e});
      const int64_t offset = signedOffsets ? int64_t{static_cast<int32_t>(raw)} : int64_t{raw};
      if (count > samples.size() - i) return Fail("composition table counts more samples than the size table");
      for (uint32_t k = 0; k < count; ++k) samples[i++].compositionOffset = offset;
    }
    if (i != samples.size()) return Fail("composition table counts fewer samples than the size table");
  }

  if (const Box* stss = Child(stbl, "stss")) {
    if (!stss->body.Has(0, 8)) return Fail("short sync table");
    const uint32_t count = stss->body.U32(4);
    if (uint64_t{count} * 4 > stss->body.n - 8) return Fail("sync table cut short");
    for (Mp4ReadSample& s : samples) s.sync = false;
    for (uint32_t e = 0; e < count; ++e) {
      const uint32_t number = stss->body.U32(8 + 4 * size_t{e});
      if (number == 0 || number > samples.size()) return Fail("sync table names a sample that does not exist");
      samples[number - 1].sync = true;
    }
  }
  return true;
}

bool TrackReader::ReadTables(const std::vector<Box>& stbl) {
  const Box* stsz = Child(stbl, "stsz");
  std::vector<uint32_t> sizes;
  std::vector<uint64_t> chunks;
  if (!stsz) return Fail("no sample size table");
  if (!ReadSizes(stsz->body, &sizes)) return false;
  if (!ReadOffsets(stbl, static_cast<uint32_t>(sizes.size()), &chunks)) return false;
  track_->samples.resize(sizes.size());
  // Samples of one chunk follow each other.
  for (size_t i = 0; i < sizes.size(); ++i) {
    const bool sameChunk = i > 0 && chunks[i] == chunks[i - 1];
    const Mp4ReadSample* before = i > 0 ? &track_->samples[i - 1] : nullptr;
    const uint64_t offset = sameChunk ? before->offset + before->size : chunks[i];
    if (offset > file_size_ || sizes[i] > file_size_ - offset) return Fail("a sample lies past the end of the file");
    track_->samples[i].offset = offset;
    track_->samples[i].size = sizes[i];
  }
  return ReadTimes(stbl);
}

// Walks the top-level boxes by their headers; finds the first mdat and moov.
bool WalkTopLevel(Mp4Storage& file, Mp4Index* index, uint64_t* moov_at, uint64_t* moov_size, std::string* error) {
  const uint64_t size = file.Size();
  uint64_t at = 0;
  bool haveMdat = false, haveMoov = false;
  while (at < size) {
    uint8_t h[16];
    if (size - at < 8 || !file.Read(at, h, 8)) return *error = "the file ends inside a box header", false;
    uint64_t boxSize = uint64_t(h[0]) << 24 | uint64_t(h[1]) << 16 | uint64_t(h[2]) << 8 | h[3];
    uint64_t header = 8;
    if (boxSize == 1) {
      if (size - at < 16 || !file.Read(at + 8, h + 8, 8)) return *error = "the file ends inside a box header", false;
      boxSize = 0;
      for (int i = 8; i < 16; ++i) boxSize = boxSize << 8 | h[i];
      header = 16;
    } else if (boxSize == 0) {
      boxSize = size - at;
    }
    const std::string type(reinterpret_cast<const char*>(h + 4), 4);
    if (boxSize < header) return *error = "box '" + type + "' has a size smaller than its header", false;
    if (boxSize > size - at) return *error = "box '" + type + "' runs past the end of the file", false;
    index->topLevel.push_back(type);
    if (type == "mdat" && !haveMdat) {
      haveMdat = true;
      index->mdatStart = at;
      index->mdatEnd = at + boxSize;
    } else if (type == "moov" && !haveMoov) {
      haveMoov = true;
      *moov_at = at + header;
      *moov_size = boxSize - header;
    }
    at += boxSize;
  }
  if (!haveMoov) return *error = "no movie box (moov): the file was never finished", false;
  if (*moov_size > kMaxMoovBytes) return *error = "the movie box is too large", false;
  return true;
}

// The movie header's creation time; 0 when it has none.
uint32_t CreationTime(Span mvhd) {
  if (!mvhd.Has(0, 4)) return 0;
  if (mvhd.U8(0) == 1) {
    if (!mvhd.Has(4, 8)) return 0;
    const uint64_t t = mvhd.U64(4);
    return t > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(t);
  }
  return mvhd.Has(4, 4) ? mvhd.U32(4) : 0;
}

// Reads boxes of a file by their headers, through one block kept in memory,
// so walking a few dozen small boxes costs a read or two.
class BoxCursor {
 public:
  static constexpr size_t kBlock = 16 * 1024;
  explicit BoxCursor(Mp4Storage& file) : file_(file) {}

  bool Read(uint64_t at, uint8_t* out, size_t n) {
    if (n > kBlock / 2) return file_.Read(at, out, n);
    if (at < block_at_ || at - block_at_ > block_.size() || n > block_.size() - (at - block_at_)) {
      const uint64_t size = file_.Size();
      if (at > size || n > size - at) return false;
      block_.resize(static_cast<size_t>(std::min<uint64_t>(kBlock, size - at)));
      if (!file_.Read(at, block_.data(), block_.size())) return block_.clear(), false;
      block_at_ = at;
    }
    std::memcpy(out, block_.data() + (at - block_at_), n);
    return true;
  }

  // The box at `at` within [at, end): its type, body start and body size.
  bool Box(uint64_t at, uint64_t end, std::string* type, uint64_t* body, uint64_t* body_size) {
    uint8_t h[16];
    if (end - at < 8 || !Read(at, h, 8)) return false;
    uint64_t size = uint64_t(h[0]) << 24 | uint64_t(h[1]) << 16 | uint64_t(h[2]) << 8 | h[3];
    uint64_t header = 8;
    if (size == 1) {
      if (end - at < 16 || !Read(at + 8, h + 8, 8)) return false;
      size = 0;
      for (int i = 8; i < 16; ++i) size = size << 8 | h[i];
      header = 16;
    } else if (size == 0) {
      size = end - at;
    }
    if (size < header || size > end - at) return false;
    type->assign(reinterpret_cast<const char*>(h + 4), 4);
    *body = at + header;
    *body_size = size - header;
    return true;
  }

  // The first child of type `want` in [from, end).
  bool Find(uint64_t from, uint64_t end, const char* want, uint64_t* body, uint64_t* body_size) {
    std::string type;
    for (uint64_t at = from; at < end; at = *body + *body_size) {
      if (!Box(at, end, &type, body, body_size)) return false;
      if (type == want) return true;
    }
    return false;
  }

 private:
  Mp4Storage& file_;
  std::vector<uint8_t> block_;
  uint64_t block_at_ = 0;
};

// One track of the timing read: its handler, and when it is the one wanted,
// its time-to-sample runs and first composition offset.
bool ReadTrackTiming(BoxCursor& cursor, uint64_t trak, uint64_t trak_end, uint64_t file_size, const char* handler,
                     Mp4Timing* timing, std::string* error) {
  uint64_t mdia = 0, mdiaSize = 0, at = 0, n = 0;
  if (!cursor.Find(trak, trak_end, "mdia", &mdia, &mdiaSize)) return false;
  uint8_t b[24];
  if (!cursor.Find(mdia, mdia + mdiaSize, "hdlr", &at, &n) || n < 12 || !cursor.Read(at + 8, b, 4)) return false;
  if (std::memcmp(b, handler, 4) != 0) return false;
  if (!cursor.Find(mdia, mdia + mdiaSize, "mdhd", &at, &n) || n < 4 || !cursor.Read(at, b, 1)) return false;
  const size_t scaleAt = b[0] == 1 ? 20 : 12;
  if (n < scaleAt + 4 || !cursor.Read(at + scaleAt, b, 4)) return false;
  const Span scale{b, 4};
  timing->timescale = scale.U32(0);
  uint64_t minf = 0, minfSize = 0, stbl = 0, stblSize = 0;
  if (!cursor.Find(mdia, mdia + mdiaSize, "minf", &minf, &minfSize) ||
      !cursor.Find(minf, minf + minfSize, "stbl", &stbl, &stblSize))
    return false;
  if (timing->timescale == 0) return *error = "timescale 0", false;
  if (!cursor.Find(stbl, stbl + stblSize, "stts", &at, &n) || n < 8) return *error = "no time-to-sample table", false;
  if (n > kMaxMoovBytes) return *error = "the time-to-sample table is too large", false;
  std::vector<uint8_t> stts(static_cast<size_t>(n));
  if (!cursor.Read(at, stts.data(), stts.size())) return *error = "cannot read the time-to-sample table", false;
  const Span table{stts.data(), stts.size()};
  const uint32_t entries = table.U32(4);
  if (uint64_t{entries} * 8 > table.n - 8) return *error = "time-to-sample table cut short", false;
  timing->runs.resize(entries);
  uint64_t samples = 0;
  for (uint32_t e = 0; e < entries; ++e) {
    timing->runs[e] = {table.U32(8 + 8 * size_t{e}), table.U32(12 + 8 * size_t{e})};
    samples += timing->runs[e].count;
  }
  // Each sample takes at least a byte of the file.
  if (samples > file_size) return *error = "more samples than bytes", false;
  timing->samples = static_cast<uint32_t>(samples);
  if (cursor.Find(stbl, stbl + stblSize, "ctts", &at, &n) && n >= 16 && cursor.Read(at, b, 16)) {
    const Span ctts{b, 16};
    if (ctts.U32(4) > 0 && ctts.U32(8) > 0) {
      const uint32_t raw = ctts.U32(12);
      timing->firstOffset = ctts.U8(0) == 1 ? int64_t{static_cast<int32_t>(raw)} : int64_t{raw};
    }
  }
  return true;
}

}  // namespace

bool ReadMp4Index(Mp4Storage& file, Mp4Index* index, std::string* error) {
  *index = Mp4Index();
  const uint64_t size = file.Size();
  uint64_t moovAt = 0, moovSize = 0;
  if (!WalkTopLevel(file, index, &moovAt, &moovSize, error)) return false;
  std::vector<uint8_t> moov(static_cast<size_t>(moovSize));
  if (!file.Read(moovAt, moov.data(), moov.size())) return *error = "cannot read the movie box", false;
  std::vector<Box> kids;
  if (!Children(Span{moov.data(), moov.size()}, &kids)) return *error = "damaged movie box", false;
  if (const Box* mvhd = Child(kids, "mvhd")) index->creationTime = CreationTime(mvhd->body);
  for (const Box& b : kids) {
    if (b.type != "trak") continue;
    Mp4ReadTrack track;
    TrackReader reader(size, error);
    if (!reader.Read(b.body, &track)) return false;
    index->tracks.push_back(std::move(track));
  }
  return true;
}

bool ReadMp4Timing(Mp4Storage& file, Mp4Timing* timing, std::string* error) {
  *timing = Mp4Timing();
  Mp4Index top;
  uint64_t moov = 0, moovSize = 0;
  if (!WalkTopLevel(file, &top, &moov, &moovSize, error)) return false;
  BoxCursor cursor(file);
  const uint64_t end = moov + moovSize;
  uint64_t at = 0, n = 0;
  uint8_t mvhd[12] = {};
  if (cursor.Find(moov, end, "mvhd", &at, &n) && cursor.Read(at, mvhd, static_cast<size_t>(std::min<uint64_t>(n, 12))))
    timing->creationTime = CreationTime(Span{mvhd, static_cast<size_t>(std::min<uint64_t>(n, 12))});
  // The video track times a recording; a recording of sound alone, its sound.
  for (const char* handler : {"vide", "soun"}) {
    std::string type;
    for (uint64_t box = moov; box < end; box = at + n) {
      if (!cursor.Box(box, end, &type, &at, &n)) return *error = "damaged movie box", false;
      if (type != "trak") continue;
      const std::string before = *error;
      if (ReadTrackTiming(cursor, at, at + n, file.Size(), handler, timing, error)) {
        timing->video = handler[0] == 'v';
        return true;
      }
      if (*error != before) return false;  // the track was the one wanted, and damaged
      timing->timescale = 0;
    }
  }
  return *error = "no video or sound track", false;
}

}  // namespace record
