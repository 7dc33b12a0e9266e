#include "node/media/node_recorder.h"

#include <algorithm>

#include "os/debug_log.h"
#include "os/file.h"
#include "os/local_time.h"
#include "record/m4v_headers.h"

namespace node {

namespace {
// MPEG-4 video with ADPCM audio, the only mode a node records in.
constexpr int kRecordMode = static_cast<int>(record::RecordMode::kMpeg4Adpcm);

bool IsIntra(const uint8_t* data, uint32_t length) { return record::VopCodingType(data, length) == 0; }

// A file made for the recording that could not be written at all: gone, so
// a full disk leaves no empty files behind.
void RemoveIfEmpty(const std::string& path) {
  if (!path.empty() && os::FileExists(path) && os::FileSize(path) == 0) os::RemoveFile(path);
}
}  // namespace

NodeRecorder::NodeRecorder(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window,
                           os::WindowHandle main_window, RecorderHost& host)
    : node_index_(node_index), host_(host), status_(node_index, poster, parent_window, main_window) {}

NodeRecorder::~NodeRecorder() {
  Stop();
  finisher_.WaitIdle();
}

void NodeRecorder::SetOutputFactory(OutputFactory factory) {
  std::lock_guard<std::mutex> lock(stream_lock_);
  names_.SetOutputFactory(std::move(factory));
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

void NodeRecorder::NotifyEnded(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  status_.PostReadyToMain();
  status_.PostReadyToParent();
}

void NodeRecorder::Toggle() {
  if (host_.CameraIdKnown()) {
    if (!IsRecording())
      Start(std::string());
    else
      Stop();
  }
  status_.PostReadyToParent();
}

std::unique_ptr<record::Mp4File> NodeRecorder::OpenFile(std::unique_ptr<record::Mp4Output> output) {
  auto writer = std::make_unique<record::Mp4File>();
  if (!writer->Initialise(kRecordMode) || !output || !writer->Open(std::move(output))) {
    DebugLog("Channel %d : Record Open Fail : %s\n", node_index_, names_.Path().c_str());
    RemoveIfEmpty(names_.Path());
    return nullptr;
  }
  if (size_limit_) writer->SetSizeLimit(size_limit_);
  // Unit 0 describes every recorded picture, so it must be the configuration
  // the camera sent and the node decodes with: headers of our own could carry
  // another time-increment width or leave out resync markers the pictures use.
  const uint8_t* unit = configuration_.Unit().data();
  size_t length = configuration_.Unit().size();
  if (length == 0 || !writer->WriteVideo(unit, static_cast<uint32_t>(length), 0, 0)) {
    unit = encoder_.Headers(&length);
    if (unit) writer->WriteVideo(unit, static_cast<uint32_t>(length), 0, 0);
  }
  configuration_.StartFile(unit, length);
  tracks_.StartFile();
  await_intra_ = true;
  names_.DropCut();  // a new file is a cut already
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
  if (may_replace && RecordingNames::InUse(path)) {
    // The user agreed to replace a file, not to break a recording.
    DebugLog("Channel %d : Record Open Fail : %s is being recorded\n", node_index_, path.c_str());
    status_.SetFailure(RecordingFailure::kInUse, path);
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
  configuration_.Take(writer_ != nullptr);
  if (encoder_.Initialise(configuration_.Width(), configuration_.Height()) != 0) encoder_.Free();

  // The file is made now, so a bad path fails here; it is written from the
  // first intra picture on, with the configuration the camera sends by then.
  names_.Begin(path);
  pending_output_ = names_.CreateFreeOutput();
  if (!pending_output_) {
    DebugLog("Channel %d : Record Open Fail : %s\n", node_index_, names_.Path().c_str());
    status_.Tell(kTellFailed, "Recording failed: cannot create " + names_.Path());
    status_.SetFailure(RecordingFailure::kCannotCreate, names_.Path());
    names_.ClearPath();
    encoder_.Free();
    return -1;
  }
  held_sound_.Clear();
  tracks_.RestartVideoClock();
  writer_.reset();
  start_time_ = startTime;
  status_.Publish(names_.Path());
  recording_ = true;
  interrupted_ = false;
  status_.Tell(kTellStarted, "Recording started: " + names_.Path());
  const std::string started = FormatLocalTime("Record Start : %#c\n", startTime);
  DebugLog("Channel %d : %s", node_index_, started.c_str());
  lock.unlock();
  status_.PostReadyToMain();
  return 0;
}

void NodeRecorder::HandOver(std::unique_ptr<record::Mp4File> writer, std::vector<TimedAudio> last_audio) {
  if (!writer) return;
  const std::string path = names_.Path();
  const int node = node_index_;
  // Runs on the finisher's thread, which the destructor waits for.
  auto done = [this, path, node](const record::Mp4File& file, bool finalised) {
    if (!finalised) {
      // Its journal stays beside it (and the file on the open list), so the
      // repair at the next start finishes it.
      DebugLog("Channel %d : Record Finalise Fail : %s\n", node, path.c_str());
      status_.SetFailure(RecordingFailure::kFinishFailed, path);
      status_.Tell(kTellFailed, "Recording could not be finished: " + path + " (it is repaired at the next start)");
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

std::vector<NodeRecorder::TimedAudio> NodeRecorder::TakeLastAudio() {
  std::vector<TimedAudio> lastAudio;
  for (HeldAudio& frame : held_sound_.Take(true, [this](uint64_t t) { return tracks_.SoundCaughtUp(t); })) {
    uint32_t index = 0, time = 0;
    if (tracks_.PlaceSound(frame.timestamp, &index, &time)) lastAudio.push_back({std::move(frame.bytes), index, time});
  }
  return lastAudio;
}

void NodeRecorder::Stop() {
  std::unique_lock<std::mutex> lock(stream_lock_);
  if (!recording_) return;
  // Stopped before the first picture: still a valid (empty) recording.
  configuration_.Take(writer_ != nullptr);
  // Stopped before the first picture (not during a gap): an empty but valid file.
  if (!writer_ && pending_output_ && !OpenPendingFile())
    status_.SetFailure(RecordingFailure::kCannotCreate, names_.Path());
  interrupted_ = false;
  status_.Tell(kTellStopped, "Recording stopped: " + names_.Path());
  // The sound up to the last picture goes into the file on the finisher's
  // thread: a hung disk must not hang the window.
  HandOver(std::move(writer_), TakeLastAudio());
  pending_output_.reset();
  encoder_.Free();
  recording_ = false;
  names_.ClearPath();
  status_.Publish(names_.Path());
  const std::string started = FormatLocalTime("<<%#c>>", start_time_);
  const std::string stopped = FormatLocalTime("Record Stop: %#c\n", std::time(nullptr));
  DebugLog("Channel %d : %s %s", node_index_, started.c_str(), stopped.c_str());
  lock.unlock();
  status_.PostReadyToMain();
}

void NodeRecorder::Interrupt() {
  std::unique_lock<std::mutex> lock(stream_lock_);
  if (!recording_ || interrupted_) return;
  interrupted_ = true;
  // Not a picture written yet: the file made at Start still waits for one.
  if (!writer_) return;
  HandOver(std::move(writer_), TakeLastAudio());
  held_sound_.Clear();  // the camera's clock may start afresh with the new link
  tracks_.RestartVideoClock();
  DebugLog("Channel %d : the link is down, %s ends here; the recording goes on when pictures come again\n",
           node_index_, names_.Path().c_str());
}

void NodeRecorder::ContinueIn(const std::string& path, const std::string& why) {
  std::lock_guard<std::mutex> lock(stream_lock_);
  if (!recording_ || path.empty()) return;
  names_.CutTo(path, why);
}

bool NodeRecorder::OpenNextAfterInterruption() {
  names_.Advance();
  pending_output_ = names_.CreateFreeOutput();
  status_.Publish(names_.Path());
  if (!pending_output_) return false;
  DebugLog("Channel %d : pictures again, recording continues in %s\n", node_index_, names_.Path().c_str());
  status_.Tell(kTellRolledOver, "Recording continues in " + names_.Path() + " after the gap");
  return true;
}

void NodeRecorder::Fail(RecordingFailure kind, std::string path) {
  status_.Tell(kTellFailed, std::string("Recording failed: ") +
                                (kind == RecordingFailure::kWriteFailed ? "cannot write " : "cannot create ") + path);
  interrupted_ = false;
  HandOver(std::move(writer_));
  pending_output_.reset();
  encoder_.Free();
  recording_ = false;
  names_.ClearPath();
  status_.SetFailure(kind, path);
  status_.Publish(names_.Path());
  const std::string stopped = FormatLocalTime("Record Stop: %#c\n", std::time(nullptr));
  if (kind == RecordingFailure::kWriteFailed)
    DebugLog("Channel %d : Record Write Fail : %s %s", node_index_, path.c_str(), stopped.c_str());
  else
    DebugLog("Channel %d : %s", node_index_, stopped.c_str());
}

bool NodeRecorder::RollOver(const std::string& why) {
  HandOver(std::move(writer_));
  names_.Advance();
  std::unique_ptr<record::Mp4Output> output = names_.CreateFreeOutput();
  DebugLog("Channel %d : %s, recording continues in %s\n", node_index_, why.c_str(), names_.Path().c_str());
  status_.Tell(kTellRolledOver, "Recording continues in " + names_.Path() + " (" + why + ")");
  writer_ = output ? OpenFile(std::move(output)) : nullptr;
  status_.Publish(names_.Path());
  if (writer_) return true;
  if (!output) DebugLog("Channel %d : Record Open Fail : %s\n", node_index_, names_.Path().c_str());
  Fail(RecordingFailure::kCannotCreate, names_.Path());
  return false;
}

bool NodeRecorder::OpenPendingFile() {
  writer_ = OpenFile(std::move(pending_output_));
  return writer_ != nullptr;
}

bool NodeRecorder::NeedsNewFile(std::string* why) {
  if (names_.CutPending()) {
    *why = names_.CutWhy();
    return true;
  }
  if (configuration_.Changed()) {
    *why = configuration_.Reason();
    return true;
  }
  const uint64_t limit = writer_->SizeLimit();
  if (writer_->LimitReached() || writer_->Position() + RollOverMargin(limit) >= limit) {
    *why = "the file reached " + std::to_string(writer_->Position()) + " bytes";
    return true;
  }
  return false;
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
  configuration_.Take(writer_ != nullptr);
  // Pictures before an intra one refer to pictures the file does not hold.
  const bool intra = have_picture && IsIntra(data, length);
  if (!writer_) {
    if (!intra) return;
    const bool made = !pending_output_ && interrupted_ ? OpenNextAfterInterruption() : true;
    interrupted_ = false;
    if (!made || !OpenPendingFile()) {
      Fail(RecordingFailure::kCannotCreate, names_.Path());
      NotifyEnded(lock);
      return;
    }
  }
  // A picture of a new configuration belongs to the next file, which must
  // start with an intra picture.
  if (configuration_.Changed() && !intra) return;
  std::string why;
  if (intra && !tracks_.AwaitsFirstPicture() && NeedsNewFile(&why)) {
    // The sound up to this picture still belongs to the file that ends.
    tracks_.EndBefore(timestamp);
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
  const uint32_t time = tracks_.PictureTime(timestamp);
  if (!have_picture) return;
  // A refused unit is missing from the file; the index still moves.
  if (!writer_->WriteVideo(data, length, tracks_.TakeVideoIndex(), time)) {
    if (writer_->LimitReached()) await_intra_ = true;  // the next intra picture starts the next file
  }
  if (!writer_->OutputFailed()) WriteHeldAudio();
  if (writer_->OutputFailed()) {
    Fail(RecordingFailure::kWriteFailed, names_.Path());
    NotifyEnded(lock);
  }
}

void NodeRecorder::FeedAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (!recording_.load() || data == nullptr || length == 0) return;
  held_sound_.Push(data, length, timestamp);
}

void NodeRecorder::Pump() {
  if (held_sound_.Count() == 0 || !recording_.load()) return;
  std::unique_lock<std::mutex> lock(stream_lock_);
  if (!recording_ || !writer_ || tracks_.AwaitsFirstPicture()) return;
  WriteHeldAudio();
  if (!writer_->OutputFailed()) return;
  Fail(RecordingFailure::kWriteFailed, names_.Path());
  NotifyEnded(lock);
}

void NodeRecorder::WriteHeldAudio() {
  for (const HeldAudio& frame : held_sound_.Take(false, [this](uint64_t t) { return tracks_.SoundCaughtUp(t); })) {
    uint32_t index = 0, time = 0;
    if (!tracks_.PlaceSound(frame.timestamp, &index, &time)) continue;
    writer_->WriteAudio(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()), index, time);
    if (writer_->OutputFailed()) return;
  }
}

}  // namespace node
