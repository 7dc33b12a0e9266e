#include "node/media/node_recorder.h"

#include <algorithm>

#include "os/debug_log.h"
#include "os/file.h"
#include "os/local_time.h"
#include "record/open_recordings.h"
#include "record/recording_journal.h"

namespace node {

namespace {
// MPEG-4 video with ADPCM audio, the only mode a node records in.
constexpr int kRecordMode = static_cast<int>(record::RecordMode::kMpeg4Adpcm);
// Numbered names tried before a recording gives up on a folder.
constexpr int kMaxNameTries = 10000;

bool IsIntra(const uint8_t* data, uint32_t length) { return record::VopCodingType(data, length) == 0; }

// Every recorder's failures on one count, so the later of two is known.
std::atomic<uint32_t> failure_count{0};
}  // namespace

NodeRecorder::NodeRecorder(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window,
                           os::WindowHandle main_window, RecorderHost& host)
    : node_index_(node_index), poster_(poster), parent_window_(parent_window), main_window_(main_window), host_(host),
      output_factory_([](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
        return record::Mp4FileOutput::CreateNew(path);
      }) {}

NodeRecorder::~NodeRecorder() {
  Stop();
  finisher_.WaitIdle();
}

void NodeRecorder::SetOutputFactory(OutputFactory factory) {
  std::lock_guard<std::mutex> lock(stream_lock_);
  output_factory_ = std::move(factory);
}

void NodeRecorder::SetSizeLimit(uint64_t bytes) {
  std::lock_guard<std::mutex> lock(stream_lock_);
  size_limit_ = bytes;
  if (writer_) writer_->SetSizeLimit(bytes ? bytes : record::Mp4File::kMaxMdatBytes);
}

uint64_t NodeRecorder::RollOverMargin(uint64_t limit) {
  return std::min<uint64_t>(limit / 8, uint64_t{256} << 20);
}

std::string NodeRecorder::FormatLocalTime(const char* format, std::time_t when) {
  return os::FormatLocalTime(format, when);
}

void NodeRecorder::PostChannelReady(os::WindowHandle window) {
  poster_.Post(window, os::kWmNodeChannelReady, static_cast<uintptr_t>(node_index_), 0);
}

void NodeRecorder::NotifyEnded(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  PostChannelReady(main_window_);
  PostChannelReady(parent_window_);
}

void NodeRecorder::Toggle() {
  if (host_.CameraIdKnown()) {
    if (!IsRecording())
      Start(std::string());
    else
      Stop();
  }
  PostChannelReady(parent_window_);
}

std::string NodeRecorder::NumberedPath(const std::string& path, int number) {
  if (number <= 1) return path;
  const size_t name = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  std::string suffix = "-";  // appended, not "-" + …: GCC 12 warns falsely (-Wrestrict) on that
  suffix += std::to_string(number);
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + suffix;
  return path.substr(0, dot) + suffix + path.substr(dot);
}

bool NodeRecorder::InUse(const std::string& path) {
  if (os::FileExists(record::JournalPathFor(path))) return true;  // recording, or awaiting repair
  const record::OpenRecordingList* open = record::CurrentOpenRecordingList();
  if (!open) return false;
  const std::vector<std::string> paths = open->Paths();
  return std::find(paths.begin(), paths.end(), os::AbsolutePath(path)) != paths.end();
}

std::unique_ptr<record::Mp4Output> NodeRecorder::CreateFreeOutput() {
  for (int tries = 0; tries < kMaxNameTries; ++tries, ++file_number_) {
    const std::string candidate = NumberedPath(first_path_, file_number_);
    if (os::FileExists(candidate) || InUse(candidate)) continue;
    std::unique_ptr<record::Mp4Output> output = output_factory_ ? output_factory_(candidate) : nullptr;
    if (output) {
      path_ = candidate;
      return output;
    }
    // Another program took the name in between: try the next one.
    if (!os::FileExists(candidate)) {
      path_ = candidate;
      return nullptr;
    }
  }
  path_ = NumberedPath(first_path_, file_number_);
  return nullptr;
}

void NodeRecorder::RemoveIfEmpty(const std::string& path) {
  if (!path.empty() && os::FileExists(path) && os::FileSize(path) == 0) os::RemoveFile(path);
}

std::unique_ptr<record::Mp4File> NodeRecorder::OpenFile(std::unique_ptr<record::Mp4Output> output) {
  auto writer = std::make_unique<record::Mp4File>();
  if (!writer->Initialise(kRecordMode) || !output || !writer->Open(std::move(output))) {
    DebugLog("Channel %d : Record Open Fail : %s\n", node_index_, path_.c_str());
    RemoveIfEmpty(path_);
    return nullptr;
  }
  if (size_limit_) writer->SetSizeLimit(size_limit_);
  // Unit 0 describes every recorded picture, so it must be the configuration
  // the camera sent and the node decodes with: headers of our own could carry
  // another time-increment width or leave out resync markers the pictures use.
  const uint8_t* unit = configuration_.data();
  size_t length = configuration_.size();
  if (length == 0 || !writer->WriteVideo(unit, static_cast<uint32_t>(length), 0, 0)) {
    unit = encoder_.Headers(&length);
    if (unit) writer->WriteVideo(unit, static_cast<uint32_t>(length), 0, 0);
  }
  if (!unit || !record::ParseM4vConfig(unit, length, &file_config_)) file_config_ = record::M4vConfig();
  first_video_ = first_audio_ = true;
  await_intra_ = true;
  video_index_ = 1;
  audio_index_ = 0;
  last_video_ = last_audio_ = base_ = 0;
  audio_clock_.Reset();
  audio_shift_ = 0;
  new_configuration_ = false;
  cut_pending_ = false;  // a new file is a cut already
  return writer;
}

int NodeRecorder::Start(const std::string& given_path) {
  std::string path = given_path;
  const bool chosen = path.empty();
  if (chosen && !host_.ChooseRecordingPath(&path)) path.clear();
  if (path.empty()) return -1;
  return StartAt(path, chosen);
}

int NodeRecorder::StartAt(const std::string& path, bool may_replace) {
  const std::time_t startTime = std::time(nullptr);
  if (!host_.CameraIdKnown() || !host_.LinkUp()) return -1;

  std::unique_lock<std::mutex> lock(stream_lock_);
  if (recording_) return -1;
  if (may_replace && InUse(path)) {
    // The user agreed to replace a file, not to break a recording.
    DebugLog("Channel %d : Record Open Fail : %s is being recorded\n", node_index_, path.c_str());
    SetFailure(RecordingFailure::kInUse, path);
    return -1;
  }
  if (may_replace && os::FileExists(path)) os::RemoveFile(path);

  // The encoder's headers stand in only when the camera sent no configuration.
  encoder_.resilience_mode_ = 0;
  encoder_.intra_period_ = 30;
  encoder_.picture_step_ = 1;
  encoder_.target_bit_rate_ = 0;
  encoder_.rate_control_mode_ = 0;
  encoder_.ticks_per_picture_ = 100;
  encoder_.intra_quantiser_ = 5;
  encoder_.inter_quantiser_ = 5;
  encoder_.write_headers_first_ = 0;
  TakeConfiguration();
  if (encoder_.Initialise(width_, height_) != 0) encoder_.Free();

  // The file is made now, so a bad path fails here; it is written from the
  // first intra picture on, with the configuration the camera sends by then.
  first_path_ = path;
  file_number_ = 1;
  cut_pending_ = false;
  pending_output_ = CreateFreeOutput();
  if (!pending_output_) {
    DebugLog("Channel %d : Record Open Fail : %s\n", node_index_, path_.c_str());
    Tell(kTellFailed, "Recording failed: cannot create " + path_);
    SetFailure(RecordingFailure::kCannotCreate, path_);
    path_.clear();
    encoder_.Free();
    return -1;
  }
  {
    std::lock_guard<std::mutex> audio(audio_lock_);
    held_audio_.clear();
    held_count_ = 0;
    queue_clock_.Reset();
  }
  video_clock_.Reset();
  writer_.reset();
  start_time_ = startTime;
  PublishPath();
  recording_ = true;
  interrupted_ = false;
  Tell(kTellStarted, "Recording started: " + path_);
  const std::string started = FormatLocalTime("Record Start : %#c\n", startTime);
  DebugLog("Channel %d : %s", node_index_, started.c_str());
  lock.unlock();
  PostChannelReady(main_window_);
  return 0;
}

void NodeRecorder::HandOver(std::unique_ptr<record::Mp4File> writer, std::vector<TimedAudio> last_audio) {
  if (!writer) return;
  const std::string path = path_;
  const int node = node_index_;
  // Runs on the finisher's thread, which the destructor waits for.
  auto done = [this, path, node](const record::Mp4File& file, bool finalised) {
    if (!finalised) {
      // Its journal stays beside it (and the file on the open list), so the
      // repair at the next start finishes it.
      DebugLog("Channel %d : Record Finalise Fail : %s\n", node, path.c_str());
      SetFailure(RecordingFailure::kFinishFailed, path);
      Tell(kTellFailed, "Recording could not be finished: " + path + " (it is repaired at the next start)");
    }
    if (finalised && file.SamplesGivenBack() > 0)
      DebugLog("Channel %d : %u units left out of %s to make room for its index\n", node, file.SamplesGivenBack(),
               path.c_str());
  };
  auto before = [audio = std::move(last_audio)](record::Mp4File& file) {
    for (const TimedAudio& frame : audio)
      file.WriteAudio(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()), frame.index, frame.time);
  };
  finisher_.Finish(std::move(writer), done, before);
}

void NodeRecorder::Stop() {
  std::unique_lock<std::mutex> lock(stream_lock_);
  if (!recording_) return;
  // Stopped before the first picture: still a valid (empty) recording.
  TakeConfiguration();
  // Stopped before the first picture (not during a gap): an empty but valid file.
  if (!writer_ && pending_output_ && !OpenPendingFile()) SetFailure(RecordingFailure::kCannotCreate, path_);
  interrupted_ = false;
  Tell(kTellStopped, "Recording stopped: " + path_);
  // The sound up to the last picture goes into the file on the finisher's
  // thread: a hung disk must not hang the window.
  std::vector<TimedAudio> lastAudio;
  for (HeldAudio& frame : TakeHeldAudio(true)) {
    uint32_t index = 0, time = 0;
    if (TimeAudio(frame, &index, &time)) lastAudio.push_back({std::move(frame.bytes), index, time});
  }
  HandOver(std::move(writer_), std::move(lastAudio));
  pending_output_.reset();
  encoder_.Free();
  recording_ = false;
  path_.clear();
  PublishPath();
  const std::string started = FormatLocalTime("<<%#c>>", start_time_);
  const std::string stopped = FormatLocalTime("Record Stop: %#c\n", std::time(nullptr));
  DebugLog("Channel %d : %s %s", node_index_, started.c_str(), stopped.c_str());
  lock.unlock();
  PostChannelReady(main_window_);
}

void NodeRecorder::Interrupt() {
  std::unique_lock<std::mutex> lock(stream_lock_);
  if (!recording_ || interrupted_) return;
  interrupted_ = true;
  // Not a picture written yet: the file made at Start still waits for one.
  if (!writer_) return;
  std::vector<TimedAudio> lastAudio;
  for (HeldAudio& frame : TakeHeldAudio(true)) {
    uint32_t index = 0, time = 0;
    if (TimeAudio(frame, &index, &time)) lastAudio.push_back({std::move(frame.bytes), index, time});
  }
  HandOver(std::move(writer_), std::move(lastAudio));
  {
    std::lock_guard<std::mutex> audio(audio_lock_);
    held_audio_.clear();
    held_count_ = 0;
    queue_clock_.Reset();  // the camera's clock may start afresh with the new link
  }
  video_clock_.Reset();
  DebugLog("Channel %d : the link is down, %s ends here; the recording goes on when pictures come again\n",
           node_index_, path_.c_str());
}

void NodeRecorder::ContinueIn(const std::string& path, const std::string& why) {
  std::lock_guard<std::mutex> lock(stream_lock_);
  if (!recording_ || path.empty()) return;
  cut_pending_ = true;
  cut_path_ = path;
  cut_why_ = why;
}

void NodeRecorder::AdvanceName() {
  if (cut_pending_) {
    first_path_ = cut_path_;
    file_number_ = 1;
    cut_pending_ = false;
  } else {
    ++file_number_;
  }
}

bool NodeRecorder::OpenNextAfterInterruption() {
  AdvanceName();
  pending_output_ = CreateFreeOutput();
  PublishPath();
  if (!pending_output_) return false;
  DebugLog("Channel %d : pictures again, recording continues in %s\n", node_index_, path_.c_str());
  Tell(kTellRolledOver, "Recording continues in " + path_ + " after the gap");
  return true;
}

void NodeRecorder::Fail(RecordingFailure kind, std::string path) {
  Tell(kTellFailed, std::string("Recording failed: ") +
                        (kind == RecordingFailure::kWriteFailed ? "cannot write " : "cannot create ") + path);
  interrupted_ = false;
  HandOver(std::move(writer_));
  pending_output_.reset();
  encoder_.Free();
  recording_ = false;
  path_.clear();
  SetFailure(kind, path);
  PublishPath();
  const std::string stopped = FormatLocalTime("Record Stop: %#c\n", std::time(nullptr));
  if (kind == RecordingFailure::kWriteFailed)
    DebugLog("Channel %d : Record Write Fail : %s %s", node_index_, path.c_str(), stopped.c_str());
  else
    DebugLog("Channel %d : %s", node_index_, stopped.c_str());
}

bool NodeRecorder::RollOver(const std::string& why) {
  HandOver(std::move(writer_));
  AdvanceName();
  std::unique_ptr<record::Mp4Output> output = CreateFreeOutput();
  DebugLog("Channel %d : %s, recording continues in %s\n", node_index_, why.c_str(), path_.c_str());
  Tell(kTellRolledOver, "Recording continues in " + path_ + " (" + why + ")");
  writer_ = output ? OpenFile(std::move(output)) : nullptr;
  PublishPath();
  if (writer_) return true;
  if (!output) DebugLog("Channel %d : Record Open Fail : %s\n", node_index_, path_.c_str());
  Fail(RecordingFailure::kCannotCreate, path_);
  return false;
}

bool NodeRecorder::OpenPendingFile() {
  writer_ = OpenFile(std::move(pending_output_));
  return writer_ != nullptr;
}

bool NodeRecorder::IsRecording() const { return recording_.load(); }

std::string NodeRecorder::Path() const {
  std::lock_guard<std::mutex> lock(info_lock_);
  return shown_path_;
}

RecordingFailureReport NodeRecorder::LastFailure() const {
  std::lock_guard<std::mutex> lock(info_lock_);
  return failure_;
}

void NodeRecorder::PublishPath() {
  std::lock_guard<std::mutex> lock(info_lock_);
  shown_path_ = path_;
}

void NodeRecorder::SetFailure(RecordingFailure kind, const std::string& path) {
  std::lock_guard<std::mutex> lock(info_lock_);
  failure_ = {kind, path, ++failure_count, false};
}

void NodeRecorder::SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height) {
  std::lock_guard<std::mutex> lock(config_lock_);
  received_configuration_.assign(data, data + length);
  if (width > 0 && height > 0) {
    received_width_ = width;
    received_height_ = height;
  }
  ++configuration_serial_;
}

void NodeRecorder::ClearVideoConfiguration() {
  std::lock_guard<std::mutex> lock(config_lock_);
  received_configuration_.clear();
  ++configuration_serial_;
}

void NodeRecorder::TakeConfiguration() {
  std::lock_guard<std::mutex> lock(config_lock_);
  if (seen_serial_ == configuration_serial_) return;
  seen_serial_ = configuration_serial_;
  configuration_ = received_configuration_;
  width_ = received_width_;
  height_ = received_height_;
  if (!writer_ || configuration_.empty()) return;
  // Compared by value: a camera may resend its headers with other user data.
  record::M4vConfig received;
  record::ParseM4vConfig(configuration_.data(), configuration_.size(), &received);
  std::string difference;
  if (!record::SameDecoding(file_config_, received, &difference)) {
    new_configuration_ = true;
    new_configuration_reason_ = "video configuration changed (" + difference + ")";
  } else {
    new_configuration_ = false;
  }
}

bool NodeRecorder::NeedsNewFile(std::string* why) {
  if (cut_pending_) {
    *why = cut_why_;
    return true;
  }
  if (new_configuration_) {
    *why = new_configuration_reason_;
    return true;
  }
  const uint64_t limit = writer_->SizeLimit();
  if (writer_->LimitReached() || writer_->Position() + RollOverMargin(limit) >= limit) {
    *why = "the file reached " + std::to_string(writer_->Position()) + " bytes";
    return true;
  }
  return false;
}

bool NodeRecorder::UnitClock::Follows(uint64_t stamp, uint64_t previous) {
  return NotBefore(stamp, previous) && stamp - previous <= kLargestStepMs;
}

uint64_t NodeRecorder::UnitClock::Advance(uint64_t stamp) {
  if (!started_) {
    started_ = true;
    candidate_units_ = 0;
    offset_ = 0;
    return last_ = anchor_ = stamp;
  }
  uint64_t time;
  if (Follows(stamp, anchor_)) {
    anchor_ = stamp;
    candidate_units_ = 0;
    time = stamp + offset_;
  } else if (candidate_units_ > 0 && Follows(stamp, candidate_anchor_)) {
    // The camera's clock jumped a unit or two ago and goes on from there.
    candidate_anchor_ = stamp;
    time = stamp + candidate_offset_;
    if (++candidate_units_ >= kSettleUnits) {
      anchor_ = stamp;
      offset_ = candidate_offset_;
      candidate_units_ = 0;
    }
  } else {
    // A jump (a step back, a correction, a wrap, an hour's leap or stall):
    // one step on, and the camera's clock as it now runs is followed from here.
    time = last_ + step_;
    candidate_units_ = 1;
    candidate_anchor_ = stamp;
    candidate_offset_ = time - stamp;
  }
  // Stamped alike (a burst within one millisecond), or behind a unit placed
  // ahead of its stamp: a file's times must still grow.
  if (!NotBefore(time, last_ + 1)) time = last_ + 1;
  return last_ = time;
}

void NodeRecorder::NoteDiscardedVideo(uint64_t count) {
  std::lock_guard<std::mutex> lock(stream_lock_);
  if (!recording_ || !writer_ || await_intra_) return;
  await_intra_ = true;
  DebugLog("Channel %d : %llu video units discarded, the recording goes on at the next intra picture\n", node_index_,
           static_cast<unsigned long long>(count));
}

void NodeRecorder::FeedVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool have_picture) {
  std::unique_lock<std::mutex> lock(stream_lock_);
  if (!recording_) return;
  TakeConfiguration();
  // Pictures before an intra one refer to pictures the file does not hold.
  const bool intra = have_picture && IsIntra(data, length);
  if (!writer_) {
    if (!intra) return;
    const bool made = !pending_output_ && interrupted_ ? OpenNextAfterInterruption() : true;
    interrupted_ = false;
    if (!made || !OpenPendingFile()) {
      Fail(RecordingFailure::kCannotCreate, path_);
      NotifyEnded(lock);
      return;
    }
  }
  // A picture of a new configuration belongs to the next file, which must
  // start with an intra picture.
  if (new_configuration_ && !intra) return;
  std::string why;
  if (intra && !first_video_ && NeedsNewFile(&why)) {
    // The sound up to this picture still belongs to the file that ends.
    const uint64_t time = video_clock_.Peek(timestamp);
    if (NotBefore(time, last_video_)) last_video_ = time;
    WriteHeldAudio();
    if (!RollOver(why)) {
      NotifyEnded(lock);
      return;
    }
  }
  if (await_intra_) {
    if (!intra) return;
    await_intra_ = false;
  }
  last_video_ = video_clock_.Advance(timestamp);
  if (first_video_) {
    first_video_ = false;
    base_ = last_video_;
  }
  if (!have_picture) return;
  // A refused unit is missing from the file; the index still moves.
  if (!writer_->WriteVideo(data, length, video_index_, static_cast<uint32_t>(last_video_ - base_))) {
    if (writer_->LimitReached()) await_intra_ = true;  // the next intra picture starts the next file
  }
  ++video_index_;
  if (!writer_->OutputFailed()) WriteHeldAudio();
  if (writer_->OutputFailed()) {
    Fail(RecordingFailure::kWriteFailed, path_);
    NotifyEnded(lock);
  }
}

void NodeRecorder::FeedAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (!recording_.load() || data == nullptr || length == 0) return;
  std::lock_guard<std::mutex> lock(audio_lock_);
  // The clock rule applies here already, so the queue's times only grow and
  // a frame stamped an hour ahead cannot hold up the ones behind it.
  const uint64_t time = queue_clock_.Advance(timestamp);
  // A recording whose pictures stopped coming keeps the newest sound only.
  if (held_audio_.size() >= kMaxHeldAudio) held_audio_.pop_front();
  held_audio_.push_back({std::vector<uint8_t>(data, data + length), time});
  held_count_ = held_audio_.size();
}

void NodeRecorder::Pump() {
  if (held_count_.load() == 0 || !recording_.load()) return;
  std::unique_lock<std::mutex> lock(stream_lock_);
  if (!recording_ || !writer_ || first_video_) return;
  WriteHeldAudio();
  if (!writer_->OutputFailed()) return;
  Fail(RecordingFailure::kWriteFailed, path_);
  NotifyEnded(lock);
}

std::deque<NodeRecorder::HeldAudio> NodeRecorder::TakeHeldAudio(bool ending) {
  std::deque<HeldAudio> ready;
  std::lock_guard<std::mutex> lock(audio_lock_);
  if (held_audio_.empty()) return ready;
  const uint64_t newest = held_audio_.back().timestamp;
  while (!held_audio_.empty()) {
    HeldAudio& front = held_audio_.front();
    if (first_audio_ && audio_shift_ == 0 && !first_video_) {
      // Sound stamped by a clock far from the pictures' is put beside the
      // picture written last instead.
      const uint64_t t = front.timestamp;
      const uint64_t gap = NotBefore(t, last_video_) ? t - last_video_ : last_video_ - t;
      if (gap > kLargestStepMs) audio_shift_ = static_cast<int64_t>(last_video_ - t);
    }
    const uint64_t at = front.timestamp + static_cast<uint64_t>(audio_shift_);
    const bool caughtUp = !first_video_ && NotBefore(last_video_, at);
    const bool waitedLong = NotBefore(newest, front.timestamp + kAudioHoldMs);
    if (!caughtUp && !waitedLong && !ending) break;
    if (caughtUp || (waitedLong && !ending)) ready.push_back(std::move(front));
    held_audio_.pop_front();
  }
  held_count_ = held_audio_.size();
  return ready;
}

void NodeRecorder::WriteHeldAudio() {
  for (const HeldAudio& frame : TakeHeldAudio(false)) {
    uint32_t index = 0, time = 0;
    if (!TimeAudio(frame, &index, &time)) continue;
    writer_->WriteAudio(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()), index, time);
    if (writer_->OutputFailed()) return;
  }
}

bool NodeRecorder::TimeAudio(const HeldAudio& frame, uint32_t* index, uint32_t* time) {
  if (first_video_) return false;  // no picture yet: the file's clock has not started
  const uint64_t at = frame.timestamp + static_cast<uint64_t>(audio_shift_);
  if (first_audio_) {
    if (!NotBefore(at, base_)) return false;  // sound from before the file's first picture
    first_audio_ = false;
  }
  last_audio_ = audio_clock_.Advance(at);
  *index = audio_index_++;
  *time = static_cast<uint32_t>(last_audio_ - base_);
  return true;
}

}  // namespace node
