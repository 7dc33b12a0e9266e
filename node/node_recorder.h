#pragma once
// Recording control of one node: starts and stops an MP4 recording of what
// the node receives, and hands it the received video units (from the media
// worker, after decoding) and audio frames (from the receive thread) with
// clocks that never run backwards.
//
// Thread use: Toggle, Start and Stop on the window's thread; FeedVideo on
// the media worker; FeedAudio and SetVideoConfiguration on the receive
// thread. One stream lock serialises them all, so Stop never finalises a
// file while a unit is being written into it. Files are finalised by Stop
// and by the media worker (a new configuration), never on the receive thread.
//
// A camera that changes its configuration in anything a decoder depends on
// continues in a new file beside the first: "name-2.mp4", "name-3.mp4", ...
// Each file's unit 0 describes every picture in it, and each starts with an
// intra picture: a recording started between two intra pictures leaves out
// the pictures before the next one, which could not be decoded.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "codec/video/video_encoder.h"
#include "os/window_seam.h"
#include "record/m4v_headers.h"
#include "record/mp4_file.h"
#include "record/mp4_output.h"

namespace node {

// What the recorder asks of its node. Called without the recorder's lock.
class RecorderHost {
 public:
  virtual ~RecorderHost() = default;
  // The camera has identified itself (its camera ID is not empty).
  virtual bool CameraIdKnown() const = 0;
  // The node's link to the camera is up.
  virtual bool LinkUp() const = 0;
  // The save dialog ("(*.mp4)|*.mp4;||", default extension "mp4", read-only
  // box hidden, overwrite confirmed): true with the chosen path, false on Cancel.
  virtual bool ChooseRecordingPath(std::string* path) = 0;
};

class NodeRecorder {
 public:
  static constexpr uint32_t kMenuCommand = 32777;  // "Interative Rec"
  static constexpr uint64_t kLargestStepMs = 3600000;
  static constexpr uint32_t kVideoFallbackStepMs = 50;
  static constexpr uint32_t kAudioFallbackStepMs = 64;

  // Where a recording's bytes go; the default creates the file at `path`.
  using OutputFactory = std::function<std::unique_ptr<record::Mp4Output>(const std::string& path)>;

  // `parentWindow` is the view window frame (Toggle's notice), `mainWindow`
  // the main window (notice after Start and Stop).
  NodeRecorder(int nodeIndex, os::WindowPoster& poster, os::WindowHandle parentWindow, os::WindowHandle mainWindow,
               RecorderHost& host);
  // Stops (finalises) a recording still open.
  ~NodeRecorder();
  NodeRecorder(const NodeRecorder&) = delete;
  NodeRecorder& operator=(const NodeRecorder&) = delete;

  // Menu command 32777: without a camera ID only posts WM_NODE_CHANNEL_READY
  // to the parent; otherwise Start("") or Stop(), then the same post.
  void Toggle();
  // Empty path: the user chooses one. Returns 0 when recording started, -1
  // when cancelled, refused (no camera ID, link down, already recording) or
  // the file could not be created.
  int Start(const std::string& path);
  // Finalises and closes the recording; nothing when not recording.
  void Stop();

  bool IsRecording() const;
  // The file being written now (the chosen path, or a numbered one after it).
  std::string Path() const;

  // The node's received configuration unit and the picture size the decoder
  // reported for it; a recording started later uses it as its unit 0. One
  // that decodes differently from the open file's unit 0 makes the next
  // intra picture start a new file.
  void SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height);
  void ClearVideoConfiguration();

  // One received video unit, after decoding; `havePicture`: the node holds a
  // picture buffer. One received audio frame.
  void FeedVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool havePicture);
  void FeedAudio(const uint8_t* data, uint32_t length, uint64_t timestamp);

  void SetOutputFactory(OutputFactory factory);

  // "%#c" where the C runtime knows it (long date and time on Windows);
  // elsewhere the '#' is dropped and "%c" gives the locale's date and time.
  static std::string FormatLocalTime(const char* format, std::time_t when);
  // "dir/name.mp4" numbered 2 is "dir/name-2.mp4"; number 1 is the path itself.
  static std::string NumberedPath(const std::string& path, int number);

 private:
  // Creates the writer at `path` with unit 0 written: the received
  // configuration, or the encoder's headers without one. Stream lock held.
  std::unique_ptr<record::Mp4File> OpenFile(const std::string& path);
  std::unique_ptr<record::Mp4File> OpenFile(const std::string& path, std::unique_ptr<record::Mp4Output> output);
  // A recording started before the camera's configuration came: its file is
  // written from the first intra picture on. False (writer gone) on failure.
  bool OpenPendingFile();
  // Finalises the open file and continues in the next numbered one; false
  // (and no longer recording) when that cannot be created. Stream lock held.
  bool RollOver();
  // The clock rule: a unit that goes back, or forward by more than an hour,
  // is placed `fallbackStep` after the previous one.
  static void AdvanceClock(uint64_t timestamp, uint32_t fallbackStep, uint64_t* last);
  void PostChannelReady(os::WindowHandle window);

  const int m_nodeIndex;
  os::WindowPoster& m_poster;
  const os::WindowHandle m_parentWindow;
  const os::WindowHandle m_mainWindow;
  RecorderHost& m_host;

  mutable std::mutex m_streamLock;
  OutputFactory m_outputFactory;
  bool m_recording = false;
  std::time_t m_startTime = 0;
  std::string m_path;       // the file being written
  std::string m_firstPath;  // the path the recording started with
  int m_fileNumber = 1;
  std::unique_ptr<record::Mp4File> m_writer;            // null while waiting for the first picture
  std::unique_ptr<record::Mp4Output> m_pendingOutput;  // the file made at Start, until then
  codec::VideoEncoder m_encoder;

  std::vector<uint8_t> m_configuration;  // empty: none received
  int m_width = 320;
  int m_height = 240;
  record::M4vConfig m_fileConfig;        // what the open file's unit 0 says
  bool m_newFilePending = false;         // the camera's configuration no longer matches it
  std::string m_newFileReason;

  bool m_awaitIntra = false;  // a new file's video starts with an intra picture
  bool m_firstVideo = false;
  bool m_firstAudio = false;
  uint64_t m_videoBase = 0;
  uint64_t m_audioBase = 0;
  uint64_t m_lastVideo = 0;
  uint64_t m_lastAudio = 0;
  uint32_t m_videoIndex = 0;
  uint32_t m_audioIndex = 0;
};

}  // namespace node
