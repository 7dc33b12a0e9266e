#include "node/motion_recorder.h"

#include <vector>

#include "os/debug_log.h"
#include "record/m4v_headers.h"

namespace node {

MotionRecorder::MotionRecorder(int nodeIndex, os::WindowPoster& poster, os::WindowHandle parentWindow,
                               os::WindowHandle mainWindow, RecorderHost& host)
    : m_recorder(nodeIndex, poster, parentWindow, mainWindow, host) {}

MotionRecorder::~MotionRecorder() { StopRecording(); }

void MotionRecorder::Configure(bool enabled, const std::string& folder, const std::string& camera) {
  {
    std::lock_guard<std::mutex> lock(m_configLock);
    m_folder = folder;
    m_camera = camera;
  }
  m_enabled = enabled;
  if (!enabled) {
    m_preRoll.Clear();
    StopRecording();
  }
}

std::string MotionRecorder::FileName(const std::string& folder, const std::string& camera, std::time_t when) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + camera + NodeRecorder::FormatLocalTime("_%Y%m%d_%H%M%S_motion.mp4", when);
}

void MotionRecorder::OnVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool havePicture) {
  if (!m_enabled.load()) return;
  const bool intra = havePicture && record::VopCodingType(data, length) == 0;
  if (havePicture) m_preRoll.AddVideo(data, length, timestamp, intra);
  if (!m_recorder.IsRecording()) return;
  m_recorder.FeedVideo(data, length, timestamp, havePicture);
  if (!m_inMotion && timestamp >= m_tailEnd) StopRecording();
}

void MotionRecorder::OnAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (!m_enabled.load()) return;
  std::lock_guard<std::mutex> lock(m_liveLock);
  m_preRoll.AddAudio(data, length, timestamp);
  if (m_live) m_recorder.FeedAudio(data, length, timestamp);
}

void MotionRecorder::OnMotion(MotionDetector::Change change, uint64_t timestamp) {
  if (change == MotionDetector::Change::kNone || !m_enabled.load()) return;
  if (change == MotionDetector::Change::kEnded) {
    m_inMotion = false;
    m_tailEnd = timestamp + kTailMs;
    return;
  }
  m_inMotion = true;
  if (!m_recorder.IsRecording()) StartRecording(timestamp);
}

void MotionRecorder::StartRecording(uint64_t timestamp) {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(m_configLock);
    path = FileName(m_folder, m_camera, std::time(nullptr));
  }
  if (m_recorder.Start(path) != 0) return;
  // The sound of the seconds before goes in first, in order, and live sound
  // after it; the pictures follow from this thread, which may write.
  std::vector<PreRollBuffer::Unit> pictures;
  {
    std::lock_guard<std::mutex> lock(m_liveLock);
    m_preRoll.Replay(timestamp, [&](const PreRollBuffer::Unit& unit) {
      if (unit.video)
        pictures.push_back(unit);
      else
        m_recorder.FeedAudio(unit.bytes.data(), static_cast<uint32_t>(unit.bytes.size()), unit.timestamp);
    });
    m_live = true;
  }
  for (const PreRollBuffer::Unit& unit : pictures)
    m_recorder.FeedVideo(unit.bytes.data(), static_cast<uint32_t>(unit.bytes.size()), unit.timestamp, true);
  m_tailEnd = timestamp + kTailMs;
}

void MotionRecorder::StopRecording() {
  {
    std::lock_guard<std::mutex> lock(m_liveLock);
    m_live = false;
  }
  m_recorder.Stop();
}

}  // namespace node
