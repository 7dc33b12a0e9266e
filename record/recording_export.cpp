#include "record/recording_export.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "codec/audio/adpcm.h"
#include "os/file.h"
#include "record/mkv_writer.h"
#include "record/mp4_reader.h"

namespace record {
namespace {

constexpr uint8_t kVideoTrack = 1;
constexpr uint8_t kAudioTrack = 2;
constexpr uint32_t kSoundRate = 8000;
// A sample larger than this is no camera's picture or sound frame.
constexpr uint32_t kMaxSampleBytes = 64u << 20;
// Block times are 16-bit offsets from their cluster's time.
constexpr uint64_t kMaxClusterSpanMs = 30000;
constexpr size_t kMaxClusterBytes = 16u << 20;

struct Block {
  const Mp4ReadSample* sample;
  bool video;
  uint64_t timeMs;
};

uint64_t PresentationMs(const Mp4ReadSample& s, uint32_t timescale) {
  const int64_t time = static_cast<int64_t>(s.decodeTime) + s.compositionOffset;
  return time <= 0 ? 0 : static_cast<uint64_t>(time) * 1000 / timescale;
}

const Mp4ReadTrack* FindTrack(const Mp4Index& index, const char* handler, const char* entry, uint8_t object_type) {
  for (const Mp4ReadTrack& t : index.tracks)
    if (t.handler == handler && t.sampleEntry == entry && t.objectType == object_type) return &t;
  return nullptr;
}

// Keeps the output position, for the cluster and cue positions.
class Sink {
 public:
  explicit Sink(Mp4Output& out) : out_(out) {}
  bool Write(const std::vector<uint8_t>& bytes) {
    if (!ok_) return false;
    ok_ = out_.Write(bytes.data(), bytes.size());
    position_ += bytes.size();
    return ok_;
  }
  bool Patch(uint64_t at, uint64_t value) {
    uint8_t bytes[8];
    PutFixed64(bytes, value);
    ok_ = ok_ && out_.Seek(at) && out_.Write(bytes, 8) && out_.Seek(position_);
    return ok_;
  }
  uint64_t Position() const { return position_; }
  bool Ok() const { return ok_; }

 private:
  Mp4Output& out_;
  uint64_t position_ = 0;
  bool ok_ = true;
};

class Exporter {
 public:
  Exporter(Mp4Storage& in, Mp4Output& out, const Mp4ReadTrack* video, const Mp4ReadTrack* audio)
      : in_(in), sink_(out), video_(video), audio_(audio) {}
  bool Run(ExportSummary* summary, std::string* error);

 private:
  std::vector<Block> Blocks() const;
  uint64_t DurationMs(const std::vector<Block>& blocks) const;
  void WriteHeaders(uint64_t duration_ms);
  bool WriteBlock(const Block& b, std::string* error);
  bool FlushCluster();

  Mp4Storage& in_;
  Sink sink_;
  const Mp4ReadTrack* video_;
  const Mp4ReadTrack* audio_;
  uint64_t segment_data_ = 0;  // where the segment's body starts
  uint64_t segment_size_at_ = 0;
  uint64_t cues_seek_at_ = 0;   // the Cues entry of the SeekHead, patched at the end

  EbmlBuffer cluster_;
  size_t cluster_start_ = 0;
  bool cluster_open_ = false;
  uint64_t cluster_time_ = 0;
  std::vector<std::pair<uint64_t, uint64_t>> cues_;  // time, cluster position

  codec::AdpcmDecoder decoder_;
  std::vector<uint8_t> bytes_;
  std::vector<int16_t> pcm_;
  std::vector<uint8_t> pcm_bytes_;
  ExportSummary summary_;
};

std::vector<Block> Exporter::Blocks() const {
  std::vector<Block> blocks;
  for (const Mp4ReadTrack* t : {video_, audio_})
    if (t)
      for (const Mp4ReadSample& s : t->samples) blocks.push_back({&s, t == video_, PresentationMs(s, t->timescale)});
  // Time order; the video first at equal times; each track keeps its order.
  std::stable_sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) {
    return a.timeMs != b.timeMs ? a.timeMs < b.timeMs : a.video && !b.video;
  });
  return blocks;
}

uint64_t Exporter::DurationMs(const std::vector<Block>& blocks) const {
  uint64_t end = 0;
  for (const Block& b : blocks) {
    uint64_t length = 0;
    if (!b.video) length = uint64_t{b.sample->size} * 8 / 3 * 1000 / kSoundRate;
    end = std::max(end, b.timeMs + length);
  }
  return end;
}

void Exporter::WriteHeaders(uint64_t duration_ms) {
  EbmlBuffer head;
  const size_t ebml = head.Begin(mkv::kEbml);
  head.Uint(mkv::kEbmlVersion, 1);
  head.Uint(mkv::kEbmlReadVersion, 1);
  head.Uint(mkv::kEbmlMaxIdLength, 4);
  head.Uint(mkv::kEbmlMaxSizeLength, 8);
  head.String(mkv::kDocType, "matroska");
  head.Uint(mkv::kDocTypeVersion, 4);
  head.Uint(mkv::kDocTypeReadVersion, 2);
  head.End(ebml);
  const size_t segment = head.Begin(mkv::kSegment);
  segment_size_at_ = segment;
  segment_data_ = head.Size();

  // SeekHead first, its positions known once Info and Tracks are laid out.
  EbmlBuffer info;
  const size_t infoAt = info.Begin(mkv::kInfo);
  info.Uint(mkv::kTimestampScale, 1000000);  // block times in milliseconds
  info.Float(mkv::kDuration, static_cast<double>(duration_ms));
  info.String(mkv::kMuxingApp, "Halyard");
  info.String(mkv::kWritingApp, "Halyard export");
  info.End(infoAt);

  EbmlBuffer tracks;
  const size_t tracksAt = tracks.Begin(mkv::kTracks);
  if (video_) {
    const size_t entry = tracks.Begin(mkv::kTrackEntry);
    tracks.Uint(mkv::kTrackNumber, kVideoTrack);
    tracks.Uint(mkv::kTrackUid, kVideoTrack);
    tracks.Uint(mkv::kTrackType, 1);
    tracks.Uint(mkv::kFlagLacing, 0);
    tracks.String(mkv::kLanguage, "und");
    tracks.String(mkv::kCodecId, "V_MPEG4/ISO/ASP");
    if (!video_->decoderInfo.empty())
      tracks.Binary(mkv::kCodecPrivate, video_->decoderInfo.data(), video_->decoderInfo.size());
    if (video_->width && video_->height) {  // a size of 0 is no size
      const size_t picture = tracks.Begin(mkv::kVideo);
      tracks.Uint(mkv::kPixelWidth, video_->width);
      tracks.Uint(mkv::kPixelHeight, video_->height);
      tracks.End(picture);
    }
    tracks.End(entry);
  }
  if (audio_) {
    const size_t entry = tracks.Begin(mkv::kTrackEntry);
    tracks.Uint(mkv::kTrackNumber, kAudioTrack);
    tracks.Uint(mkv::kTrackUid, kAudioTrack);
    tracks.Uint(mkv::kTrackType, 2);
    tracks.Uint(mkv::kFlagLacing, 0);
    tracks.String(mkv::kLanguage, "und");
    tracks.String(mkv::kCodecId, "A_PCM/INT/LIT");
    const size_t sound = tracks.Begin(mkv::kAudio);
    tracks.Float(mkv::kSamplingFrequency, kSoundRate);
    tracks.Uint(mkv::kChannels, 1);
    tracks.Uint(mkv::kBitDepth, 16);
    tracks.End(sound);
    tracks.End(entry);
  }
  tracks.End(tracksAt);

  EbmlBuffer seek;
  const size_t seekHead = seek.Begin(mkv::kSeekHead);
  size_t positionAt[3] = {};
  const uint32_t ids[3] = {mkv::kInfo, mkv::kTracks, mkv::kCues};
  for (int i = 0; i < 3; ++i) {
    const size_t entry = seek.Begin(mkv::kSeek);
    const uint8_t id[4] = {uint8_t(ids[i] >> 24), uint8_t(ids[i] >> 16), uint8_t(ids[i] >> 8), uint8_t(ids[i])};
    seek.Binary(mkv::kSeekId, id, 4);
    positionAt[i] = seek.FixedUint(mkv::kSeekPosition, 0);
    seek.End(entry);
  }
  seek.End(seekHead);
  // Positions count from the segment's body; the Cues' is known at the end.
  std::vector<uint8_t> seekBytes = seek.Data();
  PutFixed64(&seekBytes[positionAt[0]], seek.Size());
  PutFixed64(&seekBytes[positionAt[1]], seek.Size() + info.Size());
  cues_seek_at_ = segment_data_ + positionAt[2];

  std::vector<uint8_t> all = head.Data();
  all.insert(all.end(), seekBytes.begin(), seekBytes.end());
  all.insert(all.end(), info.Data().begin(), info.Data().end());
  all.insert(all.end(), tracks.Data().begin(), tracks.Data().end());
  sink_.Write(all);
}

bool Exporter::FlushCluster() {
  if (!cluster_open_) return true;
  cluster_.End(cluster_start_);
  cluster_open_ = false;
  const bool ok = sink_.Write(cluster_.Data());
  cluster_.Clear();
  return ok;
}

bool Exporter::WriteBlock(const Block& b, std::string* error) {
  const Mp4ReadSample& s = *b.sample;
  if (s.size > kMaxSampleBytes) return *error = "a sample is too large to be a camera's", false;
  bytes_.resize(s.size);
  if (!in_.Read(s.offset, bytes_.data(), bytes_.size())) return *error = "cannot read the recording", false;
  const bool keyframe = !b.video || s.sync;
  // A cluster starts at every I picture, so players seek to one.
  const bool startCluster = !cluster_open_ || (b.video && s.sync) || b.timeMs - cluster_time_ > kMaxClusterSpanMs ||
                            cluster_.Size() > kMaxClusterBytes;
  if (startCluster) {
    if (!FlushCluster()) return *error = "cannot write the copy", false;
    if (b.video && s.sync) cues_.emplace_back(b.timeMs, sink_.Position() - segment_data_);
    cluster_start_ = cluster_.Begin(mkv::kCluster);
    cluster_.Uint(mkv::kTimestamp, b.timeMs);
    cluster_open_ = true;
    cluster_time_ = b.timeMs;
  }
  const int16_t relative = static_cast<int16_t>(b.timeMs - cluster_time_);
  if (b.video) {
    cluster_.SimpleBlock(kVideoTrack, relative, keyframe, bytes_.data(), bytes_.size());
    ++summary_.pictures;
    return true;
  }
  // The decoder carries its state from frame to frame, as the node's does.
  const int samples = codec::AdpcmDecodedSize(static_cast<int>(bytes_.size())) / 2;
  pcm_.resize(static_cast<size_t>(samples));
  decoder_.Decode(bytes_.data(), static_cast<int>(bytes_.size()), pcm_.data());
  pcm_bytes_.resize(pcm_.size() * 2);
  for (size_t i = 0; i < pcm_.size(); ++i) {
    const uint16_t v = static_cast<uint16_t>(pcm_[i]);
    pcm_bytes_[2 * i] = static_cast<uint8_t>(v);
    pcm_bytes_[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
  cluster_.SimpleBlock(kAudioTrack, relative, true, pcm_bytes_.data(), pcm_bytes_.size());
  ++summary_.soundFrames;
  summary_.pcmSamples += pcm_.size();
  return true;
}

bool Exporter::Run(ExportSummary* summary, std::string* error) {
  const std::vector<Block> blocks = Blocks();
  summary_.durationMs = DurationMs(blocks);
  WriteHeaders(summary_.durationMs);
  for (const Block& b : blocks)
    if (!WriteBlock(b, error)) return false;
  if (!FlushCluster()) return *error = "cannot write the copy", false;

  EbmlBuffer cues;
  const size_t cuesAt = cues.Begin(mkv::kCues);
  for (const auto& cue : cues_) {
    const size_t point = cues.Begin(mkv::kCuePoint);
    cues.Uint(mkv::kCueTime, cue.first);
    const size_t positions = cues.Begin(mkv::kCueTrackPositions);
    cues.Uint(mkv::kCueTrack, kVideoTrack);
    cues.Uint(mkv::kCueClusterPosition, cue.second);
    cues.End(positions);
    cues.End(point);
  }
  cues.End(cuesAt);
  const uint64_t cuesPosition = sink_.Position() - segment_data_;
  sink_.Write(cues.Data());
  const uint64_t segmentSize = sink_.Position() - segment_data_;
  sink_.Patch(cues_seek_at_, cuesPosition);
  sink_.Patch(segment_size_at_, segmentSize | (uint64_t{1} << 56));
  if (!sink_.Ok()) return *error = "cannot write the copy", false;
  *summary = summary_;
  return true;
}

// UTF-8 as the file system's path; empty when the text is no valid UTF-8.
std::filesystem::path PathOf(const std::string& utf8) {
  try {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
  } catch (const std::exception&) {
    return std::filesystem::path();
  }
}

// Both names lead to one file: the same path, a hard link, a symbolic link.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(PathOf(a), PathOf(b), error) && !error;
}

// "<output>.part", or "<output>.part2", ... where that name is taken.
std::string PartPathFor(const std::string& out_path) {
  std::string path = out_path + ".part";
  for (int n = 2; os::FileExists(path) && n < 1000; ++n) path = out_path + ".part" + std::to_string(n);
  return path;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::rename(PathOf(from), PathOf(to), error);
  return !error;
}

}  // namespace

bool ExportRecording(Mp4Storage& in, Mp4Output& out, ExportSummary* summary, std::string* error) {
  Mp4Index index;
  if (!ReadMp4Index(in, &index, error)) return false;
  const Mp4ReadTrack* video = FindTrack(index, "vide", "mp4v", 0x20);
  const Mp4ReadTrack* audio = FindTrack(index, "soun", "mp4a", 0xC1);
  if (!video && !audio) return *error = "no MPEG-4 video or ADPCM sound track", false;
  Exporter exporter(in, out, video, audio);
  return exporter.Run(summary, error);
}

bool ExportRecordingFile(const std::string& in_path, const std::string& out_path, ExportSummary* summary,
                         std::string* error) {
  std::unique_ptr<Mp4FileOutput> in = Mp4FileOutput::OpenExisting(in_path, false);
  if (!in) return *error = "cannot open " + in_path, false;
  if (SameFile(in_path, out_path))
    return *error = out_path + " is the recording itself; the copy needs a name of its own", false;
  // The copy goes to a file of its own beside the output and takes the
  // output's name only when it is whole: a failed export leaves a file that
  // was there as it was.
  const std::string partPath = PartPathFor(out_path);
  std::unique_ptr<Mp4FileOutput> out = Mp4FileOutput::Create(partPath);
  if (!out) return *error = "cannot create " + out_path, false;
  bool done = ExportRecording(*in, *out, summary, error);
  if (done && !out->Sync()) done = (*error = "cannot write the copy", false);
  out.reset();
  if (done && !ReplaceFile(partPath, out_path)) done = (*error = "cannot replace " + out_path, false);
  if (!done) os::RemoveFile(partPath);
  return done;
}

}  // namespace record
