#include "node/media_path.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "node/media_fault.h"
#include "node/motion_recorder.h"
#include "node/node_recorder.h"
#include "node/picture_sink.h"
#include "node/playback_feeder.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "os/thread_name.h"
#include "os/thread_priority.h"

namespace node {

namespace {
// Decoded pictures come in whole macroblocks, at most 2048 on a side.
bool IsPictureSize(int width, int height) {
  return width > 0 && height > 0 && width <= 2048 && height <= 2048 && width % 16 == 0 && height % 16 == 0;
}
}  // namespace

NodeMediaPath::PictureBuffer::PictureBuffer(int w, int h)
    : bytes(size_t(w) * size_t(h) * 3 / 2, 0), width(w), height(h) {
  // Grey until the first picture: mid-level luma, zero chroma.
  std::memset(bytes.data(), 128, size_t(w) * size_t(h));
}

DecodedPicture NodeMediaPath::PictureBuffer::View() {
  DecodedPicture picture;
  picture.data = bytes.data();
  picture.width = width;
  picture.height = height;
  return picture;
}

NodeMediaPath::NodeMediaPath(int nodeIndex, os::WindowPoster& poster, os::WindowHandle parentWindow,
                             PictureSink* sink, PlaybackFeeder* feeder, NodeRecorder* recorder)
    : m_nodeIndex(nodeIndex), m_poster(poster), m_parentWindow(parentWindow), m_sink(sink), m_feeder(feeder),
      m_recorder(recorder) {}

NodeMediaPath::~NodeMediaPath() { StopWorker(); }

void NodeMediaPath::Reset() {
  {
    std::lock_guard<std::mutex> lock(m_configLock);
    m_decoderVideo.Release();
    m_decoderAudio.Reset();
    m_configured = false;
    m_configuration.clear();
  }
  if (m_recorder) m_recorder->ClearVideoConfiguration();
  // A running worker may be reading a slot in place; flushing keeps it.
  if (m_running.load()) {
    m_liveRing.Flush();
    m_audioRing.Flush();
  } else {
    m_liveRing.Reset();
    m_audioRing.Reset();
  }
}

void NodeMediaPath::StartWorker() {
  std::lock_guard<std::mutex> lock(m_workerLock);
  if (m_worker.joinable()) return;
  m_running.store(true);
  m_worker = std::thread([this] {
    os::NameCurrentThread("media");
    WorkerLoop();
  });
}

void NodeMediaPath::StopWorker() {
  std::lock_guard<std::mutex> lock(m_workerLock);
  m_running.store(false);
  WakeWorker();
  if (m_worker.joinable()) m_worker.join();
}

void NodeMediaPath::DeliverMedia(const net::MediaData& media) {
  switch (media.kind) {
    case net::kMediaVideoConfig:
      DeliverConfiguration(media);
      return;
    case net::kMediaVideoFrame:
      if (media.timestamp_ms == net::kEndOfFileTimestamp) {
        m_endOfFile.store(true);
        m_playing.store(false);
        return;
      }
      m_position.store(media.timestamp_ms);
      m_playing.store(true);
      m_endOfFile.store(false);
      m_poster.Post(m_parentWindow, os::kWmNodePosition, static_cast<uintptr_t>(media.timestamp_ms & 0xFFFFFFFFu), 0);
      if (!m_configured.load()) return;  // nothing can decode a picture before its headers
      m_liveRing.Push(media.payload, media.payload_length, media.timestamp_ms);
      WakeWorker();
      return;
    case net::kMediaAudio:
      if (media.timestamp_ms == net::kEndOfFileTimestamp) {
        m_endOfFile.store(true);
        m_playing.store(false);
        return;
      }
      if (media.payload_length == 0 || media.payload == nullptr) return;
      m_audioRing.Push(media.payload, media.payload_length, media.timestamp_ms);
      if (m_recorder) m_recorder->FeedAudio(media.payload, media.payload_length, media.timestamp_ms);
      if (m_motionRecorder) m_motionRecorder->OnAudio(media.payload, media.payload_length, media.timestamp_ms);
      WakeWorker();
      return;
    default:
      return;
  }
}

// Decides under the configuration lock; posts, recorder and sink come after it.
void NodeMediaPath::DeliverConfiguration(const net::MediaData& media) {
  if (media.payload_length == 0 || media.payload == nullptr) return;
  int width = 0, height = 0;
  bool usable = false, widthChanged = false, sizeChanged = false;
  {
    std::lock_guard<std::mutex> lock(m_configLock);
    // Short-header pictures carry no layer header: their size is what the
    // source format names, 320 x 240 where it names none.
    int shortWidth = 320, shortHeight = 240;
    ShortHeaderSourceSize(media.payload, media.payload_length, &shortWidth, &shortHeight);
    m_decoderVideo.SetSize(shortWidth, shortHeight);
    m_decoderVideo.SetPostFilter(true, true);
    const int result = GuardDecoderCall(DecoderKind::kVideo, m_nodeIndex,
                                        [&] { return m_decoderVideo.Decode(media.payload, media.payload_length); });
    width = m_decoderVideo.Width();
    height = m_decoderVideo.Height();
    // A refused header leaves the decoder reporting the size it had before.
    usable = result != kDecodeFatal && IsPictureSize(width, height);
    if (!usable) {
      // Headers the decoder cannot use: nothing after them decodes, so
      // pictures are dropped until usable headers come.
      m_configured = false;
      m_configuration.clear();
    } else {
      m_configuration.assign(media.payload, media.payload + media.payload_length);
      widthChanged = width != m_width;
      sizeChanged = widthChanged || height != m_height;
      m_width = width;
      m_height = height;
    }
  }
  if (!usable) {
    DebugLog("Node[ %d ] : video configuration with unusable size %d x %d\n", m_nodeIndex, width, height);
    return;
  }
  if (sizeChanged) {
    // Pictures queued for the old size are of no use any more. A new height
    // alone also needs a new buffer: the decoder writes whole pictures.
    m_liveRing.Flush();
    auto buffer = std::make_shared<PictureBuffer>(width, height);
    std::lock_guard<std::mutex> picture(m_pictureLock);
    m_picture = std::move(buffer);
  }
  if (widthChanged) m_poster.Post(m_parentWindow, os::kWmNodePictureWidth, static_cast<uintptr_t>(width), 0);
  if (m_recorder) m_recorder->SetVideoConfiguration(media.payload, media.payload_length, width, height);
  // Published last: a recording started because the stream is configured
  // finds the recorder holding the configuration it will write as unit 0.
  std::lock_guard<std::mutex> lock(m_configLock);
  if (!m_configuration.empty()) m_configured = true;
}

bool NodeMediaPath::ConsumeLiveVideo() {
  const uint64_t now = os::MonotonicMs();
  if (PictureWaitMs(now) > 0) return false;
  const int slot = m_liveRing.BeginRead();
  if (slot < 0) return false;
  const MediaUnit& unit = m_liveRing.Slot(slot);
  const uint64_t discarded = m_liveRing.Discarded();
  if (discarded != m_discardedSeen) {
    // The pictures after a gap refer to pictures that never came.
    if (m_recorder) m_recorder->NoteDiscardedVideo(discarded - m_discardedSeen);
    m_discardedSeen = discarded;
  }
  std::shared_ptr<PictureBuffer> picture;
  const uint64_t started = os::MonotonicUs();
  uint64_t decoded = started, produced = started;
  {
    std::lock_guard<std::mutex> lock(m_configLock);
    GuardDecoderCall(DecoderKind::kVideo, m_nodeIndex, [&] {
      m_decoderVideo.Decode(unit.Data(), unit.length);
      decoded = os::MonotonicUs();
      std::lock_guard<std::mutex> pictureLock(m_pictureLock);
      picture = m_picture;
      // A unit that produced nothing leaves the previous picture in place.
      if (picture) m_decoderVideo.ProducePicture(picture->View());
      produced = os::MonotonicUs();
    });
  }
  // Outside every lock and outside the decoder's fault guard: a renderer may
  // wait for the window, and its faults are its own.
  if (picture && m_sink) {
    Show(*picture);
    const uint64_t shown = os::MonotonicUs();
    m_timing.Add(decoded - started, produced - decoded, shown - produced, shown - unit.received_us);
  }
  if (m_recorder) m_recorder->FeedVideo(unit.Data(), unit.length, unit.timestamp, picture != nullptr);
  if (picture && (m_motionOn.load() || m_detector.InMotion())) DetectMotion(*picture, unit.timestamp);
  if (m_motionRecorder) m_motionRecorder->OnVideo(unit.Data(), unit.length, unit.timestamp, picture != nullptr);
  m_framesShown.fetch_add(1);
  m_bytesShown.fetch_add(unit.length);
  m_shownAny = true;
  m_lastShownMs = now;
  m_liveRing.CommitRead();
  return true;
}

void NodeMediaPath::Show(PictureBuffer& picture) {
  if (picture.width != m_sinkWidth || picture.height != m_sinkHeight) {
    m_sink->Resize(picture.width, picture.height);
    m_sinkWidth = picture.width;
    m_sinkHeight = picture.height;
  }
  m_sink->ShowPicture(picture.View());
}

void NodeMediaPath::SetMotionDetection(bool on, int sensitivity, const MotionDetector::Mask& mask) {
  {
    std::lock_guard<std::mutex> lock(m_motionLock);
    m_motionSensitivity = sensitivity;
    m_motionMask = mask;
  }
  m_motionSettingsChanged = true;
  m_motionOn = on;
}

int NodeMediaPath::MotionSensitivity() const {
  std::lock_guard<std::mutex> lock(m_motionLock);
  return m_motionSensitivity;
}

MotionDetector::Mask NodeMediaPath::MotionMask() const {
  std::lock_guard<std::mutex> lock(m_motionLock);
  return m_motionMask;
}

MotionDetector::Event NodeMediaPath::LastMotion() const {
  std::lock_guard<std::mutex> lock(m_motionLock);
  return m_lastMotion;
}

void NodeMediaPath::DetectMotion(const PictureBuffer& picture, uint64_t timestamp) {
  const bool on = m_motionOn.load();
  if (m_motionSettingsChanged.exchange(false)) {
    std::lock_guard<std::mutex> lock(m_motionLock);
    m_detector.SetSensitivity(m_motionSensitivity);
    m_detector.SetMask(m_motionMask);
  }
  // Switched off during a motion: it ends here. The worker alone writes the
  // picture buffer, so it reads it unlocked.
  const MotionDetector::Change change =
      on ? m_detector.Feed(picture.bytes.data(), picture.width, picture.height, picture.width, timestamp)
         : m_detector.Finish(timestamp);
  if (!on) m_detector.Reset();  // what it learnt is stale when it is switched on again
  if (m_motionRecorder) m_motionRecorder->OnMotion(change, timestamp);
  if (change == MotionDetector::Change::kNone) {
    if (m_detector.InMotion()) {
      std::lock_guard<std::mutex> lock(m_motionLock);
      m_lastMotion = m_detector.LastEvent();
    }
    return;
  }
  const MotionDetector::Event event = m_detector.LastEvent();
  {
    std::lock_guard<std::mutex> lock(m_motionLock);
    m_lastMotion = event;
  }
  const bool started = change == MotionDetector::Change::kStarted;
  m_inMotion = started;
  if (started)
    DebugLog("Channel %d : motion start\n", m_nodeIndex);
  else
    DebugLog("Channel %d : motion end after %.1f s, at most %.0f%% of the picture changed\n", m_nodeIndex,
             event.lengthMs / 1000.0, event.largestArea * 100.0);
  if (m_motionTeller) m_motionTeller(started, event);
  m_poster.Post(m_parentWindow, os::kWmNodeMotion, static_cast<uintptr_t>(m_nodeIndex), started ? 1 : 0);
}

void NodeMediaPath::WorkerLoop() {
  // Above the interface threads so a busy window does not starve the pictures.
  os::SetCurrentThreadPriority(os::ThreadPriority::kAboveNormal);
  m_shownAny = false;
  while (m_running.load()) {
    while (m_running.load() && m_feeder && m_feeder->IsOpen() &&
           GuardDecoderCall(DecoderKind::kAudio, m_nodeIndex,
                            [&] { return m_feeder->FeedOne(m_sound); })) {
    }
    while (m_running.load() && ConsumeLiveVideo()) {
    }
    if (m_recorder) m_recorder->Pump();
    WaitForWork();
  }
}

void NodeMediaPath::WakeWorker() {
  {
    std::lock_guard<std::mutex> lock(m_wakeLock);
    m_wakePending = true;
  }
  m_wake.notify_one();
}

uint64_t NodeMediaPath::PictureWaitMs(uint64_t nowMs) const {
  if (!m_shownAny || m_liveRing.Count() > kCatchUpBacklog) return 0;
  const uint64_t due = m_lastShownMs + kPictureIntervalMs;
  return due > nowMs ? due - nowMs : 0;
}

void NodeMediaPath::WaitForWork() {
  // A waiting picture waits only for its turn.
  uint64_t waitMs = kIdleWaitMs;
  if (m_liveRing.Count() > 0) waitMs = std::min(waitMs, PictureWaitMs(os::MonotonicMs()));
  std::unique_lock<std::mutex> lock(m_wakeLock);
  if (waitMs > 0 && m_running.load())
    m_wake.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_wakePending; });
  m_wakePending = false;
}

void NodeMediaPath::StatisticsTick() { StatisticsTickAt(os::MonotonicMs()); }

void NodeMediaPath::StatisticsTickAt(uint64_t nowMs) {
  const uint64_t frames = m_framesShown.load();
  const uint64_t bytes = m_bytesShown.load();
  // The timer's own period stands in for the time before the first tick.
  uint64_t elapsedMs = m_previousTickMs && nowMs > m_previousTickMs ? nowMs - m_previousTickMs : 1000;
  // Pictures per second rounded to the nearest; bits per millisecond are kbit/s.
  const uint64_t fps = ((frames - m_previousFrames) * 1000 + elapsedMs / 2) / elapsedMs;
  const uint64_t kbps = (bytes - m_previousBytes) * 8 / elapsedMs;
  m_previousFrames = frames;
  m_previousBytes = bytes;
  m_previousTickMs = nowMs;
  char text[64];
  std::snprintf(text, sizeof text, "%d fps, %d kbps", static_cast<int>(fps), static_cast<int>(kbps));
  std::lock_guard<std::mutex> lock(m_statusLock);
  m_fps = static_cast<int>(fps);
  m_kbps = static_cast<int>(kbps);
  m_statusText = text;
}

std::string NodeMediaPath::StatusText() const {
  std::lock_guard<std::mutex> lock(m_statusLock);
  return m_statusText;
}

int NodeMediaPath::FramesPerSecond() const {
  std::lock_guard<std::mutex> lock(m_statusLock);
  return m_fps;
}

int NodeMediaPath::KilobitsPerSecond() const {
  std::lock_guard<std::mutex> lock(m_statusLock);
  return m_kbps;
}

int NodeMediaPath::Width() const { return m_width.load(); }

int NodeMediaPath::Height() const { return m_height.load(); }

bool NodeMediaPath::HasConfiguration() const { return m_configured.load(); }

std::vector<uint8_t> NodeMediaPath::Configuration() const {
  std::lock_guard<std::mutex> lock(m_configLock);
  return m_configuration;
}

bool NodeMediaPath::WithPicture(const std::function<void(const DecodedPicture&)>& draw) const {
  std::lock_guard<std::mutex> lock(m_pictureLock);
  if (!m_picture) return false;
  draw(m_picture->View());
  return true;
}

}  // namespace node
