#pragma once
// Recording control of one node: starts and stops an MP4 recording of what
// the node receives, and hands it the received video units (from the media
// worker, after decoding) and audio frames (queued by the receive thread)
// with clocks that never run backwards.
//
// Threads and what each owns:
//   window thread   Toggle, Start, Stop; takes the stream lock. Path and
//                   LastFailure read RecordingStatus, without the stream lock.
//   media worker    FeedVideo, Pump, NoteDiscardedVideo; takes the stream lock
//                   and is the only thread that writes samples.
//                   SetVideoConfiguration takes only RecordingConfiguration's lock.
//   receive thread  FeedAudio: takes only HeldSound's small lock, never
//                   the stream lock, so no camera's network input waits for
//                   a disk.
//   finisher        finalises and closes each finished file (FileFinisher),
//                   so no one waits for its syncs either; records and tells a
//                   file it could not finish.
//
// Both tracks of a file share one clock (TrackTimes); sound is held
// (HeldSound) until the pictures have caught up with it, or it has waited
// too long.
//
// Each file starts with an intra picture and never replaces another file
// (RecordingNames). The recording continues in the next free numbered file
// when the camera changes its configuration, when a file nears its size limit, and goes on
// at the next intra picture after pictures were discarded, and after the
// link was down (Interrupt) with the first intra picture it brings. A file that
// cannot be written (a full disk) ends the recording: the file is finalised
// with what fits, and LastFailure says why; one that could not be written at
// all is removed, so a full disk leaves no empty files. A file that cannot
// be finished keeps its journal for the repair at the next start, and that
// is a failure told like the others.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "codec/video/video_encoder.h"
#include "node/media/held_sound.h"
#include "node/media/recording_configuration.h"
#include "node/media/recording_names.h"
#include "node/media/recording_status.h"
#include "node/media/track_times.h"
#include "os/window_seam.h"
#include "record/file_finisher.h"
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
  using OutputFactory = RecordingNames::OutputFactory;

  // `parentWindow` is the view window frame (Toggle's notice), `mainWindow`
  // the main window (notice after Start and Stop).
  NodeRecorder(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window, os::WindowHandle main_window,
               RecorderHost& host);
  // Stops a recording still open and waits until every file is finished.
  ~NodeRecorder();
  NodeRecorder(const NodeRecorder&) = delete;
  NodeRecorder& operator=(const NodeRecorder&) = delete;

  // The view's record command: without a camera ID only posts
  // WM_NODE_CHANNEL_READY to the parent; otherwise Start("") or Stop(), then
  // the same post.
  void Toggle();
  // Empty path: the user chooses one (and may replace the file chosen, the
  // dialog having asked); a given path that is taken gives way to the next
  // free numbered name. Returns 0 when recording started, -1 when cancelled,
  // refused (no camera ID, link down, already recording, file in use) or
  // the file could not be created.
  int Start(const std::string& path);
  // Ends the recording; its file is finalised on the finisher's thread.
  // Nothing when not recording.
  void Stop();
  // The link went down while recording: the open file is finished with what
  // it holds and the recording waits, still on; the first intra picture
  // after the link is back starts the next free numbered file. Window thread.
  void Interrupt();
  // The next intra picture ends the file and starts a new one at `path` (or
  // the next free numbered name after it), as a recording plan cuts its
  // files each hour; `why` goes to the log and the event. Also the file that
  // follows an interruption takes this name. Nothing when not recording.
  // Any thread; the media worker, calling it just before FeedVideo of an
  // intra picture, cuts at that very picture.
  void ContinueIn(const std::string& path, const std::string& why);
  // Where the recorder tells what it did (started, stopped, continued in a
  // new file, failed, interrupted); called with the stream lock held, so it
  // must only queue. Set before the first Start.
  using EventTeller = RecordingStatus::EventTeller;
  enum TellKind { kTellStarted, kTellStopped, kTellRolledOver, kTellFailed };
  void SetEventTeller(EventTeller teller) { status_.SetEventTeller(std::move(teller)); }
  // Returns once every file of this recorder is finalised and closed.
  void WaitFinished() { finisher_.WaitIdle(); }

  bool IsRecording() const { return recording_.load(); }
  // The file being written now (the chosen path, or a numbered one after it).
  std::string Path() const { return status_.Path(); }
  RecordingFailureReport LastFailure() const { return status_.LastFailure(); }

  // The configuration unit the node's decoder applied before the pictures
  // that follow, and the picture size it reported for it (media worker); a
  // recording started later uses it as its unit 0. One
  // that decodes differently from the open file's unit 0 makes the next
  // intra picture start a new file.
  void SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height) {
    configuration_.Set(data, length, width, height);
  }
  void ClearVideoConfiguration() { configuration_.Clear(); }

  // One received video unit, after decoding; `have_picture`: the node holds a
  // picture buffer. One received audio frame (queued only).
  void FeedVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool have_picture);
  void FeedAudio(const uint8_t* data, uint32_t length, uint64_t timestamp);
  // Media worker, between pictures: writes the sound that waited long enough.
  void Pump();
  // Media worker: `count` received video units were thrown away unseen; the
  // pictures after them refer to what is missing.
  void NoteDiscardedVideo(uint64_t count);

  void SetOutputFactory(OutputFactory factory);
  // The largest file; a recording continues in the next numbered file before
  // a file would pass it. 0: the format's own limit (4 GiB).
  void SetSizeLimit(uint64_t bytes);

  // "%#c" where the C runtime knows it (long date and time on Windows);
  // elsewhere the '#' is dropped and "%c" gives the locale's date and time.
  static std::string FormatLocalTime(const char* format, std::time_t when);
  // How far below its size limit a file rolls over at the next intra
  // picture: room for the pictures until then.
  static uint64_t RollOverMargin(uint64_t limit);

 private:
  int StartAt(const std::string& path, bool may_replace);
  // Makes the writer on `output` with unit 0 written: the received
  // configuration, or the encoder's headers without one. Stream lock held.
  std::unique_ptr<record::Mp4File> OpenFile(std::unique_ptr<record::Mp4Output> output);
  bool OpenPendingFile();
  // After an interruption: the next free numbered file, made when pictures come again.
  bool OpenNextAfterInterruption();
  // Finalises the open file and continues in the next numbered one; false
  // (and no longer recording) when that cannot be created. Stream lock held.
  bool RollOver(const std::string& why);
  // Whether the next intra picture starts a new file; sets the reason.
  bool NeedsNewFile(std::string* why);
  // A recording that cannot go on: the file is finished with what it holds.
  void Fail(RecordingFailure kind, std::string path);
  // A sound frame with its place in the file, written by the finisher.
  struct TimedAudio {
    std::vector<uint8_t> bytes;
    uint32_t index;
    uint32_t time;
  };
  // The file goes to the finisher, which writes `lastAudio` and finalises it.
  void HandOver(std::unique_ptr<record::Mp4File> writer, std::vector<TimedAudio> last_audio = {});
  // The open file ends: the held sound up to its last picture, placed, and
  // the rest dropped. Stream lock held.
  std::vector<TimedAudio> TakeLastAudio();
  // Writes the held sound that is due. Stream lock held; media worker.
  void WriteHeldAudio();
  // A recording that ended by itself: the main window and the frame (its
  // toggle) are told, after the stream lock is let go.
  void NotifyEnded(std::unique_lock<std::mutex>& lock);

  const int node_index_;
  RecorderHost& host_;
  RecordingStatus status_;       // its own lock
  RecordingConfiguration configuration_;  // its own lock for what the worker sets
  HeldSound held_sound_;         // its own lock: the receive thread's queue

  mutable std::mutex stream_lock_;
  // Under the stream lock:
  RecordingNames names_;
  uint64_t size_limit_ = 0;
  std::atomic<bool> recording_{false};  // also read without it
  std::time_t start_time_ = 0;
  bool interrupted_ = false;  // the link went down; no file open until the next intra picture
  std::unique_ptr<record::Mp4File> writer_;            // null while waiting for the first picture
  std::unique_ptr<record::Mp4Output> pending_output_;  // the file made at Start, until then
  codec::VideoEncoder encoder_;
  TrackTimes tracks_;
  bool await_intra_ = false;  // the next video written must be an intra picture

  record::FileFinisher finisher_;  // last: its files finish before the rest goes
};

}  // namespace node
