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
  const bool encoderReady = m_encoder.Initialise(m_width, m_height) == 0;

  auto writer = std::make_unique<record::Mp4File>();
  std::unique_ptr<record::Mp4Output> output = m_outputFactory ? m_outputFactory(path) : nullptr;
  if (!writer->Initialise(kRecordMode) || !output || !writer->Open(std::move(output))) {
    m_encoder.Free();
    lock.unlock();
    DebugLog("Channel %d : Record Open Fail : %s\n", m_nodeIndex, path.c_str());
    return -1;
  }
  m_firstVideo = m_firstAudio = true;
  m_videoIndex = m_audioIndex = 0;
  m_lastVideo = m_lastAudio = m_videoBase = m_audioBase = 0;

  // Unit 0 describes every recorded picture, so it must be the configuration
  // the camera sent and the node decodes with: headers of our own could carry
  // another time-increment width or leave out resync markers the pictures use.
  bool configured = false;
  if (!m_configuration.empty())
    configured = writer->WriteVideo(m_configuration.data(), static_cast<uint32_t>(m_configuration.size()), 0, 0);
  if (!configured && encoderReady) {
    size_t length = 0;
    const uint8_t* headers = m_encoder.Headers(&length);
    writer->WriteVideo(headers, static_cast<uint32_t>(length), 0, 0);
  }
  m_videoIndex = 1;

  m_writer = std::move(writer);
  m_recordWidth = m_width;
  m_recordHeight = m_height;
  m_path = path;
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
  const bool finalised = m_writer->Finalise();
  m_writer->Close();
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

bool NodeRecorder::IsRecording() const {
  std::lock_guard<std::mutex> lock(m_streamLock);
  return m_recording;
}

std::string NodeRecorder::Path() const {
  std::lock_guard<std::mutex> lock(m_streamLock);
  return m_path;
}

void NodeRecorder::SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height) {
  bool sizeChanged = false;
  {
    std::lock_guard<std::mutex> lock(m_streamLock);
    m_configuration.assign(data, data + length);
    if (width > 0 && height > 0) {
      m_width = width;
      m_height = height;
    }
    sizeChanged = m_recording && (m_width != m_recordWidth || m_height != m_recordHeight);
  }
  // Pictures of another size cannot follow the recording's unit 0: close the
  // file while everything in it still plays.
  if (sizeChanged) {
    DebugLog("Channel %d : picture size now %d x %d, recording closed\n", m_nodeIndex, width, height);
    Stop();
  }
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
  std::lock_guard<std::mutex> lock(m_streamLock);
  if (!m_recording) return;
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
  if (!m_recording) return;
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
