#include "node/node_recorder.h"

#include "present/debug_log.h"

namespace node {

namespace {
// MPEG-4 video with ADPCM audio, the only mode a node records in.
constexpr int kRecordMode = static_cast<int>(record::RecordMode::kMpeg4Adpcm);
}  // namespace

NodeRecorder::NodeRecorder(int nodeIndex, os::WindowPoster& poster, os::WindowHandle parentWindow,
                           os::WindowHandle mainWindow, RecorderHost& host)
    : m_nodeIndex(nodeIndex), m_poster(poster), m_parentWindow(parentWindow), m_mainWindow(mainWindow), m_host(host),
      m_outputFactory([](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
        return record::Mp4FileOutput::Create(path);
      }) {}

NodeRecorder::~NodeRecorder() { Stop(); }

void NodeRecorder::SetOutputFactory(OutputFactory factory) {
  std::lock_guard<std::mutex> lock(m_streamLock);
  m_outputFactory = std::move(factory);
}

std::string NodeRecorder::FormatLocalTime(const char* format, std::time_t when) {
  std::string pattern(format);
#ifndef _WIN32
  for (size_t at = pattern.find("%#"); at != std::string::npos; at = pattern.find("%#", at + 1)) pattern.erase(at + 1, 1);
#endif
  std::tm local = {};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  char text[256];
  const size_t n = std::strftime(text, sizeof text, pattern.c_str(), &local);
  return std::string(text, n);
}

void NodeRecorder::PostChannelReady(os::WindowHandle window) {
  m_poster.Post(window, os::kWmNodeChannelReady, static_cast<uintptr_t>(m_nodeIndex), 0);
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
  const std::string suffix = "-" + std::to_string(number);
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + suffix;
  return path.substr(0, dot) + suffix + path.substr(dot);
}

std::unique_ptr<record::Mp4File> NodeRecorder::OpenFile(const std::string& path) {
  return OpenFile(path, m_outputFactory ? m_outputFactory(path) : nullptr);
}

std::unique_ptr<record::Mp4File> NodeRecorder::OpenFile(const std::string& path,
                                                        std::unique_ptr<record::Mp4Output> output) {
  auto writer = std::make_unique<record::Mp4File>();
  if (!writer->Initialise(kRecordMode) || !output || !writer->Open(std::move(output))) {
    DebugLog("Channel %d : Record Open Fail : %s\n", m_nodeIndex, path.c_str());
    return nullptr;
  }
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
  m_lastVideo = m_lastAudio = m_videoBase = m_audioBase = 0;
  m_newFilePending = false;
  m_path = path;
  return writer;
}

int NodeRecorder::Start(const std::string& givenPath) {
  const std::time_t startTime = std::time(nullptr);
  std::string path = givenPath;
  if (path.empty() && !m_host.ChooseRecordingPath(&path)) path.clear();
  if (path.empty()) return -1;
  if (!m_host.CameraIdKnown() || !m_host.LinkUp()) return -1;

  std::unique_lock<std::mutex> lock(m_streamLock);
  if (m_recording) return -1;

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
  if (m_encoder.Initialise(m_width, m_height) != 0) m_encoder.Free();

  if (m_configuration.empty()) {
    // No configuration from the camera yet: one is usually on its way, and
    // headers of our own as unit 0 would make the file roll over the moment
    // it comes. The file is made now (so a bad path fails here) and written
    // from the first picture on.
    m_pendingOutput = m_outputFactory ? m_outputFactory(path) : nullptr;
    if (!m_pendingOutput) {
      DebugLog("Channel %d : Record Open Fail : %s\n", m_nodeIndex, path.c_str());
      m_encoder.Free();
      return -1;
    }
    m_path = path;
  } else {
    m_writer = OpenFile(path);
    if (!m_writer) {
      m_encoder.Free();
      return -1;
    }
  }
  m_firstPath = path;
  m_fileNumber = 1;
  m_startTime = startTime;
  m_recording = true;
  const std::string started = FormatLocalTime("Record Start : %#c\n", startTime);
  DebugLog("Channel %d : %s", m_nodeIndex, started.c_str());
  lock.unlock();
  PostChannelReady(m_mainWindow);
  return 0;
}

void NodeRecorder::Stop() {
  std::unique_lock<std::mutex> lock(m_streamLock);
  if (!m_recording) return;
  // Stopped before the first picture: still a valid (empty) recording.
  if (!m_writer) OpenPendingFile();
  const bool finalised = m_writer && m_writer->Finalise();
  if (!m_writer) m_pendingOutput.reset();
  if (m_writer) m_writer->Close();
  m_writer.reset();
  m_encoder.Free();
  m_recording = false;
  if (!finalised) DebugLog("Channel %d : Record Finalise Fail : %s\n", m_nodeIndex, m_path.c_str());
  m_path.clear();
  const std::string started = FormatLocalTime("<<%#c>>", m_startTime);
  const std::string stopped = FormatLocalTime("Record Stop: %#c\n", std::time(nullptr));
  DebugLog("Channel %d : %s %s", m_nodeIndex, started.c_str(), stopped.c_str());
  lock.unlock();
  PostChannelReady(m_mainWindow);
}

bool NodeRecorder::RollOver() {
  if (!m_writer->Finalise()) DebugLog("Channel %d : Record Finalise Fail : %s\n", m_nodeIndex, m_path.c_str());
  m_writer->Close();
  const std::string next = NumberedPath(m_firstPath, ++m_fileNumber);
  DebugLog("Channel %d : video configuration changed (%s), recording continues in %s\n", m_nodeIndex,
           m_newFileReason.c_str(), next.c_str());
  m_writer = OpenFile(next);
  if (m_writer) return true;
  m_encoder.Free();
  m_recording = false;
  m_path.clear();
  return false;
}

bool NodeRecorder::OpenPendingFile() {
  m_writer = OpenFile(m_path, std::move(m_pendingOutput));
  if (m_writer) return true;
  m_encoder.Free();
  m_path.clear();
  return false;
}

bool NodeRecorder::IsRecording() const {
  std::lock_guard<std::mutex> lock(m_streamLock);
  return m_recording;
}

std::string NodeRecorder::Path() const {
  std::lock_guard<std::mutex> lock(m_streamLock);
  return m_path;
}

void NodeRecorder::SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height) {
  std::lock_guard<std::mutex> lock(m_streamLock);
  m_configuration.assign(data, data + length);
  if (width > 0 && height > 0) {
    m_width = width;
    m_height = height;
  }
  if (!m_recording) return;
  // Compared by value: a camera may resend its headers with other user data.
  record::M4vConfig received;
  record::ParseM4vConfig(data, length, &received);
  m_newFilePending = !record::SameDecoding(m_fileConfig, received, &m_newFileReason);
}

void NodeRecorder::ClearVideoConfiguration() {
  std::lock_guard<std::mutex> lock(m_streamLock);
  m_configuration.clear();
}

void NodeRecorder::AdvanceClock(uint64_t timestamp, uint32_t fallbackStep, uint64_t* last) {
  if (timestamp >= *last && timestamp - *last <= kLargestStepMs)
    *last = timestamp;
  else
    *last += fallbackStep;
}

void NodeRecorder::FeedVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool havePicture) {
  std::unique_lock<std::mutex> lock(m_streamLock);
  if (!m_recording) return;
  if (!m_writer) {
    // The file starts with a picture that decodes on its own.
    if (!havePicture || record::VopCodingType(data, length) > 0) return;
    if (!OpenPendingFile()) {
      m_recording = false;
      lock.unlock();
      PostChannelReady(m_mainWindow);
      return;
    }
  }
  if (m_newFilePending) {
    // Pictures before the next intra one need what the old file holds.
    if (!havePicture || record::VopCodingType(data, length) != 0) return;
    if (!RollOver()) {
      lock.unlock();
      PostChannelReady(m_mainWindow);
      return;
    }
  }
  if (m_awaitIntra) {
    // Pictures before the first intra one refer to pictures the file does
    // not hold: a file that starts with them does not decode.
    if (!havePicture || record::VopCodingType(data, length) != 0) return;
    m_awaitIntra = false;
  }
  if (m_firstVideo) {
    m_firstVideo = false;
    m_lastVideo = m_videoBase = timestamp;
  } else {
    AdvanceClock(timestamp, kVideoFallbackStepMs, &m_lastVideo);
  }
  if (!havePicture) return;
  // A refused or failed unit is missing from the file; the index still moves.
  m_writer->WriteVideo(data, length, m_videoIndex, static_cast<uint32_t>(m_lastVideo - m_videoBase));
  ++m_videoIndex;
}

void NodeRecorder::FeedAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  std::lock_guard<std::mutex> lock(m_streamLock);
  if (!m_recording || !m_writer) return;
  if (m_firstAudio) {
    m_firstAudio = false;
    m_lastAudio = m_audioBase = timestamp;
  } else {
    AdvanceClock(timestamp, kAudioFallbackStepMs, &m_lastAudio);
  }
  m_writer->WriteAudio(data, length, m_audioIndex, static_cast<uint32_t>(m_lastAudio - m_audioBase));
  ++m_audioIndex;
}

}  // namespace node
