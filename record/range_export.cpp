#include "record/range_export.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "os/file.h"
#include "record/mp4_file.h"
#include "record/recording_export.h"
#include "record/recording_names.h"

namespace record {
namespace {

constexpr uint32_t kSecondsFrom1904To1970 = 2082844800u;
// A sample larger than this is no camera's picture or sound frame.
constexpr uint32_t kMaxSampleBytes = 16u << 20;

// One file's part of the range: pictures [first, end) and the sound of
// their time, [begin, end) on the wall clock.
struct Piece {
  const RecordingFile* file = nullptr;
  std::shared_ptr<const RecordingTrack> track;
  size_t first = 0, endPicture = 0;
  int64_t begin = 0, end = 0;
  size_t SoundFirst() const { return track->SoundAt(begin - file->start); }
  size_t SoundEnd() const { return track->SoundAt(end - file->start); }
  size_t PicturesBefore(int64_t wall) const {
    const auto& v = track->video;
    return static_cast<size_t>(std::lower_bound(v.begin(), v.end(), wall - file->start,
                                                [](const TrackSample& s, int64_t t) { return s.time < t; }) -
                               v.begin());
  }
};

bool Fail(RangeExportResult* result, std::string why) {
  result->error = std::move(why);
  return false;
}

std::filesystem::path PathOf(const std::string& utf8) { return os::PathOf(utf8); }

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(PathOf(a), PathOf(b), error) && !error;
}

// "dir/name.mp4" numbered 2 is "dir/name-2.mp4".
std::string Numbered(const std::string& path, int number) {
  if (number <= 1) return path;
  const size_t name = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + "-" + std::to_string(number);
  return path.substr(0, dot) + "-" + std::to_string(number) + path.substr(dot);
}

std::string WithExtension(const std::string& path, const char* extension) {
  const size_t name = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + extension;
  return path.substr(0, dot) + extension;
}

// The pieces of the range, each beginning at an intra picture; where a
// piece must begin before the one before it ends (another file took over
// between two of its intra pictures), the one before ends there.
bool Plan(const CameraRecordings& camera, TrackSource& tracks, int64_t from, int64_t to, std::vector<Piece>* pieces,
          std::string* error) {
  for (const Segment& segment : camera.segments) {
    if (segment.end <= from || segment.begin >= to) continue;
    const RecordingFile& file = camera.files[segment.file];
    Piece piece;
    piece.file = &file;
    piece.track = tracks.Track(file.path);
    if (!piece.track) return *error = "cannot read " + file.path, false;
    const std::vector<TrackSample>& video = piece.track->video;
    if (video.empty()) continue;
    const int64_t begin = std::max(segment.begin, from);
    piece.end = std::min(segment.end, to);
    piece.first = piece.track->IntraAtOrBefore(piece.track->PictureAt(begin - file.start));
    piece.begin = file.start + video[piece.first].time;
    piece.endPicture = piece.PicturesBefore(piece.end);
    if (piece.endPicture <= piece.first || piece.begin >= piece.end) continue;
    while (!pieces->empty() && pieces->back().end > piece.begin) {
      Piece& before = pieces->back();
      before.end = piece.begin;
      before.endPicture = before.PicturesBefore(before.end);
      if (before.endPicture > before.first && before.begin < before.end) break;
      pieces->pop_back();
    }
    pieces->push_back(std::move(piece));
  }
  return true;
}

class Writer {
 public:
  Writer(const RangeExportRequest& request, const std::function<void(uint64_t, uint64_t)>& progress,
         const std::atomic<bool>* cancel, RangeExportResult* result, uint64_t total)
      : request_(request), progress_(progress), cancel_(cancel), result_(result), total_(total) {}
  ~Writer() {
    mp4_.reset();
    for (const std::string& part : parts_) os::RemoveFile(part);
  }

  bool Write(const std::vector<Piece>& pieces);

 private:
  bool Begin(const Piece& piece, int64_t base);
  bool Finish();
  bool Copy(const Piece& piece);
  bool Sample(Mp4FileOutput& in, const TrackSample& s, bool video, int64_t wall);
  bool Fail(std::string why) { return result_->error = std::move(why), false; }

  const RangeExportRequest& request_;
  const std::function<void(uint64_t, uint64_t)>& progress_;
  const std::atomic<bool>* cancel_;
  RangeExportResult* result_;
  const uint64_t total_;
  uint64_t done_ = 0;

  std::unique_ptr<Mp4File> mp4_;
  std::vector<uint8_t> config_;
  std::string path_, part_;
  std::vector<std::string> parts_;  // written, not yet renamed: removed unless the export ends well
  std::vector<std::pair<std::string, std::string>> finished_;  // part, final name
  int number_ = 1;
  int64_t zero_ = 0;         // the wall-clock ms of the open file's time 0: its first picture's whole second
  bool await_intra_ = false; // after a roll-over at the size limit
  std::vector<uint8_t> bytes_;
};

bool Writer::Begin(const Piece& piece, int64_t base) {
  // The first file takes the name asked for; a continuation the next free numbered one.
  if (number_ == 1) {
    path_ = request_.output;
  } else {
    while (os::FileExists(Numbered(request_.output, number_)) && number_ < 10000) ++number_;
    path_ = Numbered(request_.output, number_);
  }
  ++number_;
  part_ = path_ + ".part";
  for (int n = 2; os::FileExists(part_) && n < 1000; ++n) part_ = path_ + ".part" + std::to_string(n);
  std::unique_ptr<Mp4FileOutput> out = Mp4FileOutput::Create(part_);
  if (!out) return Fail("cannot create " + path_);
  parts_.push_back(part_);
  mp4_ = std::make_unique<Mp4File>();
  if (!mp4_->Open(std::unique_ptr<Mp4Output>(std::move(out)), nullptr)) return Fail("cannot write " + path_);
  zero_ = base - ((base % 1000) + 1000) % 1000;
  mp4_->SetCreationTime(static_cast<uint32_t>(zero_ / 1000 + kSecondsFrom1904To1970));
  config_ = piece.track->config;
  if (config_.empty() || !mp4_->WriteVideo(config_.data(), static_cast<uint32_t>(config_.size()), 0, 0))
    return Fail(piece.file->path + " has no video configuration to export with");
  await_intra_ = false;
  return true;
}

bool Writer::Finish() {
  if (!mp4_) return true;
  const bool ok = mp4_->Finalise();
  mp4_.reset();
  if (!ok) return Fail("cannot write " + path_);
  finished_.emplace_back(part_, path_);
  return true;
}

bool Writer::Sample(Mp4FileOutput& in, const TrackSample& s, bool video, int64_t wall) {
  if (cancel_ && cancel_->load()) return Fail("cancelled");
  ++done_;
  if (progress_ && (done_ % 64 == 0 || done_ == total_)) progress_(done_, total_);
  if (video && await_intra_ && !s.sync) return true;
  if (s.size == 0 || s.size > kMaxSampleBytes) return true;
  bytes_.resize(s.size);
  if (!in.Read(s.offset, bytes_.data(), bytes_.size())) return Fail("cannot read " + in.FilePath());
  const uint32_t time = static_cast<uint32_t>(std::clamp<int64_t>(wall - zero_, 0, UINT32_MAX));
  const bool written = video ? mp4_->WriteVideo(bytes_.data(), s.size, 1, time) : mp4_->WriteAudio(bytes_.data(), s.size, 0, time);
  if (written) {
    ++(video ? result_->pictures : result_->soundFrames);
    if (video) {
      await_intra_ = false;
      result_->end = std::max(result_->end, wall);
    }
    return true;
  }
  if (mp4_->OutputFailed()) return Fail("cannot write " + path_);
  if (mp4_->LimitReached()) {
    // A file of the format's largest size: the rest goes on in the next
    // numbered file, from an intra picture so it decodes from its start.
    await_intra_ = true;
    return Finish() && true;
  }
  return true;  // a unit the writer refuses (not a picture) is left out, as the recorder leaves it
}

bool Writer::Copy(const Piece& piece) {
  std::unique_ptr<Mp4FileOutput> in = Mp4FileOutput::OpenExisting(piece.file->path, false);
  if (!in) return Fail("cannot open " + piece.file->path);
  const std::vector<TrackSample>& video = piece.track->video;
  const std::vector<TrackSample>& sound = piece.track->sound;
  const int64_t start = piece.file->start;
  size_t v = piece.first, a = piece.SoundFirst();
  const size_t soundEnd = piece.SoundEnd();
  while (v < piece.endPicture || a < soundEnd) {
    const bool takeVideo = a >= soundEnd || (v < piece.endPicture && video[v].time <= sound[a].time);
    const TrackSample& s = takeVideo ? video[v++] : sound[a++];
    if (!mp4_) {
      if (!takeVideo || !s.sync) continue;  // after a roll-over: the next file begins with an intra picture
      if (!Begin(piece, start + s.time)) return false;
    }
    if (!Sample(*in, s, takeVideo, start + s.time)) return false;
  }
  return true;
}

bool Writer::Write(const std::vector<Piece>& pieces) {
  result_->firstPicture = pieces.front().begin;
  for (const Piece& piece : pieces) {
    // Pictures of another configuration belong to a file of their own.
    if (mp4_ && piece.track->config != config_ && !Finish()) return false;
    if (!mp4_ && !Begin(piece, piece.begin)) return false;
    if (!Copy(piece)) return false;
    result_->end = std::max(result_->end, piece.end);
  }
  if (!Finish()) return false;
  for (const auto& [part, path] : finished_) {
    std::error_code error;
    std::filesystem::rename(PathOf(part), PathOf(path), error);
    if (error) return Fail("cannot replace " + path);
    parts_.erase(std::remove(parts_.begin(), parts_.end(), part), parts_.end());
    result_->files.push_back(path);
  }
  return true;
}

}  // namespace

bool ExportRange(const RecordingsCatalog& catalog, TrackSource& tracks, const RangeExportRequest& request,
                 const std::function<void(uint64_t, uint64_t)>& progress, const std::atomic<bool>* cancel,
                 RangeExportResult* result) {
  *result = RangeExportResult();
  if (request.to <= request.from) return Fail(result, "the end of the range is not after its start");
  const CameraRecordings* camera = catalog.Find(request.camera);
  if (!camera) return Fail(result, "no recordings of " + request.camera);
  std::vector<Piece> pieces;
  if (!Plan(*camera, tracks, request.from, request.to, &pieces, &result->error)) return false;
  if (pieces.empty())
    return Fail(result, "nothing of " + request.camera + " was recorded from " + LocalTimeText(request.from / 1000) +
                            " to " + LocalTimeText(request.to / 1000));
  uint64_t total = 0;
  for (const Piece& p : pieces) {
    if (SameFile(p.file->path, request.output))
      return Fail(result, request.output + " is one of the recordings; the export needs a name of its own");
    total += (p.endPicture - p.first) + (p.SoundEnd() - p.SoundFirst());
  }
  {
    Writer writer(request, progress, cancel, result, total);
    if (!writer.Write(pieces)) return false;
  }
  if (request.matroska) {
    for (const std::string& file : result->files) {
      const std::string copy = WithExtension(file, ".mkv");
      ExportSummary summary;
      std::string error;
      if (!ExportRecordingFile(file, copy, &summary, &error)) return Fail(result, copy + ": " + error);
      result->copies.push_back(copy);
    }
  }
  return true;
}

}  // namespace record
