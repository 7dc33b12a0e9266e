#include "node/node_recorder.h"

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
}  // namespace

NodeRecorder::NodeRecorder(int nodeIndex, os::WindowPoster& poster, os::WindowHandle parentWindow,
                           os::WindowHandle mainWindow, RecorderHost& host)
    : m_nodeIndex(nodeIndex), m_poster(poster), m_parentWindow(parentWindow), m_mainWindow(mainWindow), m_host(host),
      m_outputFactory([](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
        return record::Mp4FileOutput::CreateNew(path);
      }) {}

NodeRecorder::~NodeRecorder() {
  Stop();
  m_finisher.WaitIdle();
}

void NodeRecorder::SetOutputFactory(OutputFactory factory) {
  std::lock_guard<std::mutex> lock(m_streamLock);
  m_outputFactory = std::move(factory);
}

void NodeRecorder::SetSizeLimit(uint64_t bytes) {
  std::lock_guard<std::mutex> lock(m_streamLock);
  m_sizeLimit = bytes;
  if (m_writer) m_writer->SetSizeLimit(bytes ? bytes : record::Mp4File::kMaxMdatBytes);
}

uint64_t NodeRecorder::RollOverMargin(uint64_t limit) {
  return std::min<uint64_t>(limit / 8, uint64_t{256} << 20);
}

std::string NodeRecorder::FormatLocalTime(const char* format, std::time_t when) {
  return os::FormatLocalTime(format, when);
}

void NodeRecorder::PostChannelReady(os::WindowHandle window) {
  m_poster.Post(window, os::kWmNodeChannelReady, static_cast<uintptr_t>(m_nodeIndex), 0);
}

void NodeRecorder::NotifyEnded(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  PostChannelReady(m_mainWindow);
  PostChannelReady(m_parentWindow);
}

void NodeRecorder::Toggle() {
  if (m_host.CameraIdKnown()) {
    if (!IsRecording())
      Start(std::string());
    else
      Stop();
  }
  PostChannelReady(m_parentWindow);
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
  for (int tries = 0; tries < kMaxNameTries; ++tries, ++m_fileNumber) {
    const std::string candidate = NumberedPath(m_firstPath, m_fileNumber);
    if (os::FileExists(candidate) || InUse(candidate)) continue;
    std::unique_ptr<record::Mp4Output> output = m_outputFactory ? m_outputFactory(candidate) : nullptr;
    if (output) {
      m_path = candidate;
      return output;
    }
    // Another program took the name in between: try the next one.
    if (!os::FileExists(candidate)) {
      m_path = candidate;
      return nullptr;
    }
  }
  m_path = NumberedPath(m_firstPath, m_fileNumber);
  return nullptr;
}

std::unique_ptr<record::Mp4File> NodeRecorder::OpenFile(std::unique_ptr<record::Mp4Output> output) {
  auto writer = std::make_unique<record::Mp4File>();
  if (!writer->Initialise(kRecordMode) || !output || !writer->Open(std::move(output))) {
    DebugLog("Channel %d : Record Open Fail : %s\n", m_nodeIndex, m_path.c_str());
    return nullptr;
  }
  if (m_sizeLimit) writer->SetSizeLimit(m_sizeLimit);
  // Unit 0 describes every recorded picture, so it must be the configuration
  // the camera sent and the node decodes with: headers of our own could carry
  // another time-increment width or leave out resync markers the pictures use.
  const uint8_t* unit = m_configuration.data();
  size_t length = m_configuration.size();
  if (length == 0 || !writer->WriteVideo(unit, static_cast<uint32_t>(length), 0, 0)) {
    unit = m_encoder.Headers(&length);
    if (unit) writer->WriteVideo(unit, static_cast<uint32_t>(length), 0, 0);
  }
  if (!unit || !record::ParseM4vConfig(unit, length, &m_fileConfig)) m_fileConfig = record::M4vConfig();
  m_firstVideo = m_firstAudio = true;
  m_awaitIntra = true;
  m_videoIndex = 1;
  m_audioIndex = 0;
  m_lastVideo = m_lastAudio = m_base = 0;
  m_audioShift = 0;
  m_newConfiguration = false;
  return writer;
}

int NodeRecorder::Start(const std::string& givenPath) {
  std::string path = givenPath;
  const bool chosen = path.empty();
  if (chosen && !m_host.ChooseRecordingPath(&path)) path.clear();
  if (path.empty()) return -1;
  return StartAt(path, chosen);
}

int NodeRecorder::StartAt(const std::string& path, bool mayReplace) {
  const std::time_t startTime = std::time(nullptr);
  if (!m_host.CameraIdKnown() || !m_host.LinkUp()) return -1;

  std::unique_lock<std::mutex> lock(m_streamLock);
  if (m_recording) return -1;
  if (mayReplace && InUse(path)) {
    // The user agreed to replace a file, not to break a recording.
    DebugLog("Channel %d : Record Open Fail : %s is being recorded\n", m_nodeIndex, path.c_str());
    SetFailure(RecordingFailure::kInUse, path);
    return -1;
  }
  if (mayReplace && os::FileExists(path)) os::RemoveFile(path);

  // The encoder's headers stand in only when the camera sent no configuration.
  m_encoder.m_resilienceMode = 0;
  m_encoder.m_intraPeriod = 30;
  m_encoder.m_pictureStep = 1;
  m_encoder.m_targetBitRate = 0;
  m_encoder.m_rateControlMode = 0;
  m_encoder.m_ticksPerPicture = 100;
  m_encoder.m_intraQuantiser = 5;
  m_encoder.m_interQuantiser = 5;
  m_encoder.m_writeHeadersFirst = 0;
  TakeConfiguration();
  if (m_encoder.Initialise(m_width, m_height) != 0) m_encoder.Free();

  // The file is made now, so a bad path fails here; it is written from the
  // first intra picture on, with the configuration the camera sends by then.
  m_firstPath = path;
  m_fileNumber = 1;
  m_pendingOutput = CreateFreeOutput();
  if (!m_pendingOutput) {
    DebugLog("Channel %d : Record Open Fail : %s\n", m_nodeIndex, m_path.c_str());
    SetFailure(RecordingFailure::kCannotCreate, m_path);
    m_path.clear();
    m_encoder.Free();
    return -1;
  }
  {
    std::lock_guard<std::mutex> audio(m_audioLock);
    m_heldAudio.clear();
    m_heldCount = 0;
    m_queueClockSet = false;
  }
  m_writer.reset();
  m_startTime = startTime;
  PublishPath();
  m_recording = true;
  m_interrupted = false;
  Tell(kTellStarted, "Recording started: " + m_path);
  const std::string started = FormatLocalTime("Record Start : %#c\n", startTime);
  DebugLog("Channel %d : %s", m_nodeIndex, started.c_str());
  lock.unlock();
  PostChannelReady(m_mainWindow);
  return 0;
}

void NodeRecorder::HandOver(std::unique_ptr<record::Mp4File> writer, std::vector<TimedAudio> lastAudio) {
  if (!writer) return;
  const std::string path = m_path;
  const int node = m_nodeIndex;
  auto done = [path, node](const record::Mp4File& file, bool finalised) {
    if (!finalised) DebugLog("Channel %d : Record Finalise Fail : %s\n", node, path.c_str());
    if (finalised && file.SamplesGivenBack() > 0)
      DebugLog("Channel %d : %u units left out of %s to make room for its index\n", node, file.SamplesGivenBack(),
               path.c_str());
  };
  auto before = [audio = std::move(lastAudio)](record::Mp4File& file) {
    for (const TimedAudio& frame : audio)
      file.WriteAudio(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()), frame.index, frame.time);
  };
  m_finisher.Finish(std::move(writer), done, before);
}

void NodeRecorder::Stop() {
  std::unique_lock<std::mutex> lock(m_streamLock);
  if (!m_recording) return;
  // Stopped before the first picture: still a valid (empty) recording.
  TakeConfiguration();
  // Stopped before the first picture (not during a gap): an empty but valid file.
  if (!m_writer && m_pendingOutput) OpenPendingFile();
  m_interrupted = false;
  Tell(kTellStopped, "Recording stopped: " + m_path);
  // The sound up to the last picture goes into the file on the finisher's
  // thread: a hung disk must not hang the window.
  std::vector<TimedAudio> lastAudio;
  for (HeldAudio& frame : TakeHeldAudio(true)) {
    uint32_t index = 0, time = 0;
    if (TimeAudio(frame, &index, &time)) lastAudio.push_back({std::move(frame.bytes), index, time});
  }
  HandOver(std::move(m_writer), std::move(lastAudio));
  m_pendingOutput.reset();
  m_encoder.Free();
  m_recording = false;
  m_path.clear();
  PublishPath();
  const std::string started = FormatLocalTime("<<%#c>>", m_startTime);
  const std::string stopped = FormatLocalTime("Record Stop: %#c\n", std::time(nullptr));
  DebugLog("Channel %d : %s %s", m_nodeIndex, started.c_str(), stopped.c_str());
  lock.unlock();
  PostChannelReady(m_mainWindow);
}

void NodeRecorder::Interrupt() {
  std::unique_lock<std::mutex> lock(m_streamLock);
  if (!m_recording || m_interrupted) return;
  m_interrupted = true;
  // Not a picture written yet: the file made at Start still waits for one.
  if (!m_writer) return;
  std::vector<TimedAudio> lastAudio;
  for (HeldAudio& frame : TakeHeldAudio(true)) {
    uint32_t index = 0, time = 0;
    if (TimeAudio(frame, &index, &time)) lastAudio.push_back({std::move(frame.bytes), index, time});
  }
  HandOver(std::move(m_writer), std::move(lastAudio));
  {
    std::lock_guard<std::mutex> audio(m_audioLock);
    m_heldAudio.clear();
    m_heldCount = 0;
    m_queueClockSet = false;  // the camera's clock may start afresh with the new link
  }
  DebugLog("Channel %d : the link is down, %s ends here; the recording goes on when pictures come again\n",
           m_nodeIndex, m_path.c_str());
}

bool NodeRecorder::OpenNextAfterInterruption() {
  ++m_fileNumber;
  m_pendingOutput = CreateFreeOutput();
  PublishPath();
  if (!m_pendingOutput) return false;
  DebugLog("Channel %d : pictures again, recording continues in %s\n", m_nodeIndex, m_path.c_str());
  Tell(kTellRolledOver, "Recording continues in " + m_path + " after the gap");
  return true;
}

void NodeRecorder::Fail(RecordingFailure kind, std::string path) {
  Tell(kTellFailed, std::string("Recording failed: ") +
                        (kind == RecordingFailure::kWriteFailed ? "cannot write " : "cannot create ") + path);
  m_interrupted = false;
  HandOver(std::move(m_writer));
  m_pendingOutput.reset();
  m_encoder.Free();
  m_recording = false;
  m_path.clear();
  SetFailure(kind, path);
  PublishPath();
  const std::string stopped = FormatLocalTime("Record Stop: %#c\n", std::time(nullptr));
  if (kind == RecordingFailure::kWriteFailed)
    DebugLog("Channel %d : Record Write Fail : %s %s", m_nodeIndex, path.c_str(), stopped.c_str());
  else
    DebugLog("Channel %d : %s", m_nodeIndex, stopped.c_str());
}

bool NodeRecorder::RollOver(const std::string& why) {
  HandOver(std::move(m_writer));
  ++m_fileNumber;
  std::unique_ptr<record::Mp4Output> output = CreateFreeOutput();
  DebugLog("Channel %d : %s, recording continues in %s\n", m_nodeIndex, why.c_str(), m_path.c_str());
  Tell(kTellRolledOver, "Recording continues in " + m_path + " (" + why + ")");
  m_writer = output ? OpenFile(std::move(output)) : nullptr;
  PublishPath();
  if (m_writer) return true;
  if (!output) DebugLog("Channel %d : Record Open Fail : %s\n", m_nodeIndex, m_path.c_str());
  Fail(RecordingFailure::kCannotCreate, m_path);
  return false;
}

bool NodeRecorder::OpenPendingFile() {
  m_writer = OpenFile(std::move(m_pendingOutput));
  return m_writer != nullptr;
}

bool NodeRecorder::IsRecording() const { return m_recording.load(); }

std::string NodeRecorder::Path() const {
  std::lock_guard<std::mutex> lock(m_infoLock);
  return m_shownPath;
}

RecordingFailureReport NodeRecorder::LastFailure() const {
  std::lock_guard<std::mutex> lock(m_infoLock);
  return m_failure;
}

void NodeRecorder::PublishPath() {
  std::lock_guard<std::mutex> lock(m_infoLock);
  m_shownPath = m_path;
}

void NodeRecorder::SetFailure(RecordingFailure kind, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_infoLock);
  m_failure = {kind, path, m_failure.serial + 1};
}

void NodeRecorder::SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height) {
  std::lock_guard<std::mutex> lock(m_configLock);
  m_receivedConfiguration.assign(data, data + length);
  if (width > 0 && height > 0) {
    m_receivedWidth = width;
    m_receivedHeight = height;
  }
  ++m_configurationSerial;
}

void NodeRecorder::ClearVideoConfiguration() {
  std::lock_guard<std::mutex> lock(m_configLock);
  m_receivedConfiguration.clear();
  ++m_configurationSerial;
}

void NodeRecorder::TakeConfiguration() {
  std::lock_guard<std::mutex> lock(m_configLock);
  if (m_seenSerial == m_configurationSerial) return;
  m_seenSerial = m_configurationSerial;
  m_configuration = m_receivedConfiguration;
  m_width = m_receivedWidth;
  m_height = m_receivedHeight;
  if (!m_writer || m_configuration.empty()) return;
  // Compared by value: a camera may resend its headers with other user data.
  record::M4vConfig received;
  record::ParseM4vConfig(m_configuration.data(), m_configuration.size(), &received);
  std::string difference;
  if (!record::SameDecoding(m_fileConfig, received, &difference)) {
    m_newConfiguration = true;
    m_newConfigurationReason = "video configuration changed (" + difference + ")";
  } else {
    m_newConfiguration = false;
  }
}

bool NodeRecorder::NeedsNewFile(std::string* why) {
  if (m_newConfiguration) {
    *why = m_newConfigurationReason;
    return true;
  }
  const uint64_t limit = m_writer->SizeLimit();
  if (m_writer->LimitReached() || m_writer->Position() + RollOverMargin(limit) >= limit) {
    *why = "the file reached " + std::to_string(m_writer->Position()) + " bytes";
    return true;
  }
  return false;
}

void NodeRecorder::AdvanceClock(uint64_t timestamp, uint32_t fallbackStep, uint64_t* last) {
  if (timestamp > *last && timestamp - *last <= kLargestStepMs)
    *last = timestamp;
  else if (timestamp == *last)
    *last += 1;  // stamped alike (a burst within one millisecond): a file's times must still grow
  else
    *last += fallbackStep;
}

void NodeRecorder::NoteDiscardedVideo(uint64_t count) {
  std::lock_guard<std::mutex> lock(m_streamLock);
  if (!m_recording || !m_writer || m_awaitIntra) return;
  m_awaitIntra = true;
  DebugLog("Channel %d : %llu video units discarded, the recording goes on at the next intra picture\n", m_nodeIndex,
           static_cast<unsigned long long>(count));
}

void NodeRecorder::FeedVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool havePicture) {
  std::unique_lock<std::mutex> lock(m_streamLock);
  if (!m_recording) return;
  TakeConfiguration();
  // Pictures before an intra one refer to pictures the file does not hold.
  const bool intra = havePicture && IsIntra(data, length);
  if (!m_writer) {
    if (!intra) return;
    const bool made = !m_pendingOutput && m_interrupted ? OpenNextAfterInterruption() : true;
    m_interrupted = false;
    if (!made || !OpenPendingFile()) {
      Fail(RecordingFailure::kCannotCreate, m_path);
      NotifyEnded(lock);
      return;
    }
  }
  // A picture of a new configuration belongs to the next file, which must
  // start with an intra picture.
  if (m_newConfiguration && !intra) return;
  std::string why;
  if (intra && !m_firstVideo && NeedsNewFile(&why)) {
    // The sound up to this picture still belongs to the file that ends.
    m_lastVideo = std::max(m_lastVideo, timestamp);
    WriteHeldAudio();
    if (!RollOver(why)) {
      NotifyEnded(lock);
      return;
    }
  }
  if (m_awaitIntra) {
    if (!intra) return;
    m_awaitIntra = false;
  }
  if (m_firstVideo) {
    m_firstVideo = false;
    m_lastVideo = m_base = timestamp;
  } else {
    AdvanceClock(timestamp, kVideoFallbackStepMs, &m_lastVideo);
  }
  if (!havePicture) return;
  // A refused unit is missing from the file; the index still moves.
  if (!m_writer->WriteVideo(data, length, m_videoIndex, static_cast<uint32_t>(m_lastVideo - m_base))) {
    if (m_writer->LimitReached()) m_awaitIntra = true;  // the next intra picture starts the next file
  }
  ++m_videoIndex;
  if (!m_writer->OutputFailed()) WriteHeldAudio();
  if (m_writer->OutputFailed()) {
    Fail(RecordingFailure::kWriteFailed, m_path);
    NotifyEnded(lock);
  }
}

void NodeRecorder::FeedAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (!m_recording.load() || data == nullptr || length == 0) return;
  std::lock_guard<std::mutex> lock(m_audioLock);
  // The clock rule applies here already, so the queue's times only grow and
  // a frame stamped an hour ahead cannot hold up the ones behind it.
  if (!m_queueClockSet)
    m_queueClock = timestamp;
  else
    AdvanceClock(timestamp, kAudioFallbackStepMs, &m_queueClock);
  m_queueClockSet = true;
  // A recording whose pictures stopped coming keeps the newest sound only.
  if (m_heldAudio.size() >= kMaxHeldAudio) m_heldAudio.pop_front();
  m_heldAudio.push_back({std::vector<uint8_t>(data, data + length), m_queueClock});
  m_heldCount = m_heldAudio.size();
}

void NodeRecorder::Pump() {
  if (m_heldCount.load() == 0 || !m_recording.load()) return;
  std::unique_lock<std::mutex> lock(m_streamLock);
  if (!m_recording || !m_writer || m_firstVideo) return;
  WriteHeldAudio();
  if (!m_writer->OutputFailed()) return;
  Fail(RecordingFailure::kWriteFailed, m_path);
  NotifyEnded(lock);
}

std::deque<NodeRecorder::HeldAudio> NodeRecorder::TakeHeldAudio(bool ending) {
  std::deque<HeldAudio> ready;
  std::lock_guard<std::mutex> lock(m_audioLock);
  if (m_heldAudio.empty()) return ready;
  const uint64_t newest = m_heldAudio.back().timestamp;
  while (!m_heldAudio.empty()) {
    HeldAudio& front = m_heldAudio.front();
    if (m_firstAudio && m_audioShift == 0 && !m_firstVideo) {
      // Sound stamped by a clock far from the pictures' is put beside the
      // picture written last instead.
      const uint64_t t = front.timestamp;
      const uint64_t gap = t > m_lastVideo ? t - m_lastVideo : m_lastVideo - t;
      if (gap > kLargestStepMs) m_audioShift = static_cast<int64_t>(m_lastVideo) - static_cast<int64_t>(t);
    }
    const uint64_t at = front.timestamp + static_cast<uint64_t>(m_audioShift);
    const bool caughtUp = !m_firstVideo && at <= m_lastVideo;
    const bool waitedLong = front.timestamp + kAudioHoldMs <= newest;
    if (!caughtUp && !waitedLong && !ending) break;
    if (caughtUp || (waitedLong && !ending)) ready.push_back(std::move(front));
    m_heldAudio.pop_front();
  }
  m_heldCount = m_heldAudio.size();
  return ready;
}

void NodeRecorder::WriteHeldAudio() {
  for (const HeldAudio& frame : TakeHeldAudio(false)) {
    uint32_t index = 0, time = 0;
    if (!TimeAudio(frame, &index, &time)) continue;
    m_writer->WriteAudio(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()), index, time);
    if (m_writer->OutputFailed()) return;
  }
}

bool NodeRecorder::TimeAudio(const HeldAudio& frame, uint32_t* index, uint32_t* time) {
  if (m_firstVideo) return false;  // no picture yet: the file's clock has not started
  const uint64_t at = frame.timestamp + static_cast<uint64_t>(m_audioShift);
  if (m_firstAudio) {
    if (at < m_base) return false;  // sound from before the file's first picture
    m_firstAudio = false;
    m_lastAudio = at;
  } else {
    AdvanceClock(at, kAudioFallbackStepMs, &m_lastAudio);
  }
  *index = m_audioIndex++;
  *time = static_cast<uint32_t>(m_lastAudio - m_base);
  return true;
}

}  // namespace node
