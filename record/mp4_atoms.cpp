#include "record/mp4_atoms.h"

#include <algorithm>

namespace record {

void Mp4Buffer::U16(uint32_t v) {
  U8(v >> 8);
  U8(v);
}
void Mp4Buffer::U24(uint32_t v) {
  U8(v >> 16);
  U16(v);
}
void Mp4Buffer::U32(uint32_t v) {
  U16(v >> 16);
  U16(v);
}

void Mp4Buffer::Patch32(size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) data_[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

size_t Mp4Buffer::BeginAtom(const char* type) {
  const size_t start = data_.size();
  U32(0);
  FourCC(type);
  return start;
}

size_t Mp4Buffer::BeginFullAtom(const char* type, uint32_t flags) {
  const size_t start = BeginAtom(type);
  U8(0);
  U24(flags);
  return start;
}

void Mp4Buffer::EndAtom(size_t start) { Patch32(start, static_cast<uint32_t>(data_.size() - start)); }

size_t Mp4Buffer::BeginDescriptor(uint8_t tag) {
  const size_t start = data_.size();
  U8(tag);
  U32(0);
  return start;
}

void Mp4Buffer::EndDescriptor(size_t start) {
  const uint32_t size = static_cast<uint32_t>(data_.size() - start - 5);
  data_[start + 1] = static_cast<uint8_t>(0x80 | ((size >> 21) & 0x7F));
  data_[start + 2] = static_cast<uint8_t>(0x80 | ((size >> 14) & 0x7F));
  data_[start + 3] = static_cast<uint8_t>(0x80 | ((size >> 7) & 0x7F));
  data_[start + 4] = static_cast<uint8_t>(size & 0x7F);
}

void Mp4RunTable::Add(uint32_t value) {
  if (!runs_.empty() && runs_.back().value == value)
    ++runs_.back().count;
  else
    runs_.push_back({1, value});
}

void Mp4RunTable::RemoveLast() {
  if (runs_.empty()) return;
  if (--runs_.back().count == 0) runs_.pop_back();
}

uint64_t Mp4RunTable::Total() const {
  uint64_t total = 0;
  for (const Mp4Run& r : runs_) total += uint64_t{r.count} * r.value;
  return total;
}

uint32_t Mp4RunTable::SampleCount() const {
  uint32_t n = 0;
  for (const Mp4Run& r : runs_) n += r.count;
  return n;
}

Mp4Track::Mp4Track(TrackKind kind, uint32_t track_id, uint32_t timescale)
    : kind_(kind), track_id_(track_id), timescale_(timescale) {}

void Mp4Track::AddSample(uint32_t offset, uint32_t size, uint32_t delta, bool sync, uint32_t composition_offset) {
  if (sizes_.empty() && delta == 0) {
    first_sample_untimed_ = true;
  } else {
    stts_.Add(delta);
    last_delta_ = delta;
  }
  ctts_.Add(composition_offset);
  sizes_.push_back(size);
  offsets_.push_back(offset);
  if (sync) sync_numbers_.push_back(static_cast<uint32_t>(sizes_.size()));
}

void Mp4Track::RemoveLastSample() {
  if (sizes_.empty()) return;
  const uint32_t number = static_cast<uint32_t>(sizes_.size());
  if (!sync_numbers_.empty() && sync_numbers_.back() == number) sync_numbers_.pop_back();
  sizes_.pop_back();
  offsets_.pop_back();
  ctts_.RemoveLast();
  if (sizes_.empty()) first_sample_untimed_ = false;
  // An untimed first sample has no entry of its own.
  const size_t timed = first_sample_untimed_ ? sizes_.size() - 1 : sizes_.size();
  while (stts_.SampleCount() > timed) stts_.RemoveLast();
  last_delta_ = stts_.Runs().empty() ? 0 : stts_.Runs().back().value;
}

void Mp4Track::Finish() {
  if (first_sample_untimed_ && stts_.SampleCount() < sizes_.size()) stts_.Add(last_delta_);
  duration_ = static_cast<uint32_t>(std::min<uint64_t>(stts_.Total(), 0xFFFFFFFFu));
}

namespace {

const char* HandlerType(TrackKind kind) {
  switch (kind) {
    case TrackKind::kVideo: return "vide";
    case TrackKind::kAudio: return "soun";
    case TrackKind::kScene: return "sdsm";
    case TrackKind::kObjectDescriptor: return "odsm";
  }
  return "odsm";
}

void WriteMatrix(Mp4Buffer& out) {
  const uint32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
  for (uint32_t v : matrix) out.U32(v);
}

void WriteIdList(Mp4Buffer& out, const char* type, const std::vector<uint32_t>& ids) {
  if (ids.empty()) return;
  const size_t atom = out.BeginAtom(type);
  for (uint32_t id : ids) out.U32(id);
  out.EndAtom(atom);
}

}  // namespace

void Mp4Track::WriteEsds(Mp4Buffer& out) const {
  const size_t esds = out.BeginFullAtom("esds", 0);
  const size_t es = out.BeginDescriptor(0x03);
  out.U16(0);  // ES_ID
  out.U8(0);   // no dependence, URL or OCR stream; priority 0
  const size_t dc = out.BeginDescriptor(0x04);
  out.U8(config.objectTypeIndication);
  out.U8((config.streamType << 2) | 1);  // upStream 0, reserved 1
  out.U24(config.bufferSizeDB);
  out.U32(config.maxBitrate);
  out.U32(config.avgBitrate);
  if (!config.specificInfo.empty()) {
    const size_t dsi = out.BeginDescriptor(0x05);
    out.Bytes(config.specificInfo.data(), config.specificInfo.size());
    out.EndDescriptor(dsi);
  }
  out.EndDescriptor(dc);
  const size_t sl = out.BeginDescriptor(0x06);
  out.U8(2);  // predefined: MP4 file
  out.EndDescriptor(sl);
  out.EndDescriptor(es);
  out.EndAtom(esds);
}

void Mp4Track::WriteSampleEntry(Mp4Buffer& out) const {
  const char* type = kind_ == TrackKind::kVideo ? "mp4v" : kind_ == TrackKind::kAudio ? "mp4a" : "mp4s";
  const size_t entry = out.BeginAtom(type);
  out.Zeros(6);
  out.U16(1);  // data_reference_index
  if (kind_ == TrackKind::kVideo) {
    out.Zeros(16);
    out.U16(width);
    out.U16(height);
    out.U32(0x00480000);  // 72 dpi
    out.U32(0x00480000);
    out.U32(0);
    out.U16(1);  // frame_count
    out.Zeros(32);
    out.U16(24);
    out.U16(0xFFFF);
  } else if (kind_ == TrackKind::kAudio) {
    out.Zeros(8);
    out.U16(1);   // mono
    out.U16(16);  // decoded sample size
    out.U32(0);
    out.U32(8000u << 16);  // 8 kHz, 16.16
  }
  WriteEsds(out);
  out.EndAtom(entry);
}

void Mp4Track::WriteSampleTables(Mp4Buffer& out) const {
  const size_t stbl = out.BeginAtom("stbl");
  for (const char* type : {"stts", "ctts"}) {
    const Mp4RunTable& table = type[0] == 's' ? stts_ : ctts_;
    const size_t atom = out.BeginFullAtom(type, 0);
    out.U32(static_cast<uint32_t>(table.Runs().size()));
    for (const Mp4Run& r : table.Runs()) {
      out.U32(r.count);
      out.U32(r.value);
    }
    out.EndAtom(atom);
  }
  const size_t stsd = out.BeginFullAtom("stsd", 0);
  out.U32(1);
  WriteSampleEntry(out);
  out.EndAtom(stsd);

  const size_t stsz = out.BeginFullAtom("stsz", 0);
  out.U32(0);
  out.U32(SampleCount());
  for (uint32_t s : sizes_) out.U32(s);
  out.EndAtom(stsz);

  const size_t stsc = out.BeginFullAtom("stsc", 0);
  out.U32(SampleCount());
  for (uint32_t chunk = 1; chunk <= SampleCount(); ++chunk) {
    out.U32(chunk);
    out.U32(1);
    out.U32(1);
  }
  out.EndAtom(stsc);

  const size_t stco = out.BeginFullAtom("stco", 0);
  out.U32(SampleCount());
  for (uint32_t o : offsets_) out.U32(o);
  out.EndAtom(stco);

  if (!sync_numbers_.empty()) {
    const size_t stss = out.BeginFullAtom("stss", 0);
    out.U32(static_cast<uint32_t>(sync_numbers_.size()));
    for (uint32_t n : sync_numbers_) out.U32(n);
    out.EndAtom(stss);
  }
  out.EndAtom(stbl);
}

void Mp4Track::Write(Mp4Buffer& out, uint32_t now) const {
  const size_t trak = out.BeginAtom("trak");

  const size_t tkhd = out.BeginFullAtom("tkhd", 1);  // enabled
  out.U32(now);
  out.U32(now);
  out.U32(track_id_);
  out.U32(0x00010000);
  out.U32(duration_);
  out.Zeros(8);
  out.U16(0);  // layer
  out.U16(0);  // alternate_group
  out.U16(kind_ == TrackKind::kAudio ? 0x0100 : 0);
  out.U16(0);
  WriteMatrix(out);
  out.U32(kind_ == TrackKind::kVideo ? uint32_t{width} << 16 : 0);
  out.U32(kind_ == TrackKind::kVideo ? uint32_t{height} << 16 : 0);
  out.EndAtom(tkhd);

  if (!mpod.empty() || !sync.empty()) {
    const size_t tref = out.BeginAtom("tref");
    WriteIdList(out, "mpod", mpod);
    WriteIdList(out, "sync", sync);
    out.EndAtom(tref);
  }

  const size_t mdia = out.BeginAtom("mdia");
  const size_t mdhd = out.BeginFullAtom("mdhd", 0);
  out.U32(now);
  out.U32(now);
  out.U32(timescale_);
  out.U32(duration_);
  out.U16(0x55C4);  // "und"
  out.U16(0);
  out.EndAtom(mdhd);

  const char* handler = HandlerType(kind_);
  const size_t hdlr = out.BeginFullAtom("hdlr", 0);
  out.U32(0);
  out.FourCC(handler);
  out.Zeros(12);
  out.FourCC(handler);
  out.U8(0);
  out.EndAtom(hdlr);

  const size_t minf = out.BeginAtom("minf");
  if (kind_ == TrackKind::kVideo) {
    const size_t vmhd = out.BeginFullAtom("vmhd", 1);
    out.Zeros(8);
    out.EndAtom(vmhd);
  } else if (kind_ == TrackKind::kAudio) {
    const size_t smhd = out.BeginFullAtom("smhd", 0);
    out.U32(0);
    out.EndAtom(smhd);
  } else {
    out.EndAtom(out.BeginFullAtom("nmhd", 0));
  }
  const size_t dinf = out.BeginAtom("dinf");
  const size_t dref = out.BeginFullAtom("dref", 0);
  out.U32(1);
  out.EndAtom(out.BeginFullAtom("url ", 1));  // media in this file
  out.EndAtom(dref);
  out.EndAtom(dinf);
  WriteSampleTables(out);
  out.EndAtom(minf);
  out.EndAtom(mdia);
  out.EndAtom(trak);
}

void Mp4Movie::Finish() {
  uint64_t longest = 0;
  for (const auto& t : tracks) {
    t->Finish();
    if (t->Timescale() != 0) longest = std::max<uint64_t>(longest, uint64_t{t->Duration()} * timescale / t->Timescale());
  }
  duration = static_cast<uint32_t>(std::min<uint64_t>(longest, 0xFFFFFFFFu));
}

void Mp4Movie::Write(Mp4Buffer& out, uint32_t now) const {
  const size_t moov = out.BeginAtom("moov");
  const size_t mvhd = out.BeginFullAtom("mvhd", 0);
  out.U32(now);
  out.U32(now);
  out.U32(timescale);
  out.U32(duration);
  out.U32(0x00010000);
  out.U16(0x0100);
  out.U16(0);
  out.Zeros(8);
  WriteMatrix(out);
  out.Zeros(24);
  out.U32(nextTrackId);
  out.EndAtom(mvhd);

  const size_t iods = out.BeginFullAtom("iods", 0);
  const size_t iod = out.BeginDescriptor(0x10);
  out.U16(0x004F);  // ObjectDescriptorID 1, no URL, no inline profiles
  out.U8(odProfile);
  out.U8(sceneProfile);
  out.U8(audioProfile);
  out.U8(visualProfile);
  out.U8(graphicsProfile);
  for (uint32_t id : esIdIncs) {
    const size_t inc = out.BeginDescriptor(0x0E);
    out.U32(id);
    out.EndDescriptor(inc);
  }
  out.EndDescriptor(iod);
  out.EndAtom(iods);

  for (const auto& t : tracks) t->Write(out, now);
  out.EndAtom(moov);
}

void WriteUserData(Mp4Buffer& out) {
  static const char kNotice[] = "Recorded by Halyard";
  const size_t udta = out.BeginAtom("udta");
  const size_t cprt = out.BeginFullAtom("cprt", 0);
  out.U16(0x55C4);
  out.Bytes(reinterpret_cast<const uint8_t*>(kNotice), sizeof kNotice);  // with its zero
  out.EndAtom(cprt);
  out.EndAtom(udta);
}

const uint8_t kSceneSample[142] = {
    0xC0, 0x04, 0x26, 0x10, 0x00, 0xA0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x7F, 0x00, 0x00, 0x00,
    0x7F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x97, 0x04, 0x0A, 0x00, 0x84, 0x00, 0x00, 0x00, 0x04,
    0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x30, 0x00, 0x00, 0x00, 0x09, 0x41, 0x14, 0x01, 0x89, 0xFC,
    0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x3B, 0x53, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x16, 0xDD, 0x04, 0x1F, 0xC0, 0x00, 0x00, 0x1F, 0xC0, 0x00, 0x00, 0x79, 0x84, 0x02, 0x2E, 0x18,
    0xA0, 0x00, 0x02, 0x16, 0xC0, 0x00, 0x01, 0x9F, 0xC0, 0x00, 0x00, 0x1F, 0xC0, 0x00, 0x00, 0x10, 0x00, 0x00,
    0x00, 0x00, 0x26, 0x04, 0xC0, 0xA8, 0x05, 0x33, 0xF8, 0x00, 0x00, 0x02, 0x3F, 0x80, 0x00, 0x00, 0x40, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x40, 0xED, 0x4C, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFC};

const uint8_t kObjectDescriptorSample[33] = {
    0x01, 0x80, 0x80, 0x80, 0x1C,                          // ObjectDescriptorUpdate, 28 bytes
    0x11, 0x80, 0x80, 0x80, 0x09, 0x00, 0x4F,              // ObjectDescriptor 1
    0x0F, 0x80, 0x80, 0x80, 0x02, 0x00, 0x01,              //   ES_ID_Ref 1: the video
    0x11, 0x80, 0x80, 0x80, 0x09, 0x00, 0x8F,              // ObjectDescriptor 2
    0x0F, 0x80, 0x80, 0x80, 0x02, 0x00, 0x02};             //   ES_ID_Ref 2: the audio

std::vector<uint8_t> SceneConfig(int width, int height) {
  // nodeIDbits 10, routeIDbits 10, isCommandStream, pixelMetric, hasSize,
  // pixelWidth (16), pixelHeight (16), 3 zero bits.
  uint64_t bits = 0;
  bits = (bits << 5) | 10;
  bits = (bits << 5) | 10;
  bits = (bits << 3) | 7;
  bits = (bits << 16) | (static_cast<uint32_t>(width) & 0xFFFF);
  bits = (bits << 16) | (static_cast<uint32_t>(height) & 0xFFFF);
  bits <<= 3;
  std::vector<uint8_t> out(6);
  for (int i = 0; i < 6; ++i) out[i] = static_cast<uint8_t>(bits >> (40 - 8 * i));
  return out;
}

}  // namespace record
