#pragma once
// Recording control of one node: starts and stops an MP4 recording of what
// the node receives, and hands it the received video units (from the media
// worker, after decoding) and audio frames (queued by the receive thread)
// with clocks that never run backwards.
//
// Threads and what each owns:
//   window thread   Toggle, Start, Stop; takes the stream lock.
//   media worker    FeedVideo, Pump, NoteDiscardedVideo; takes the stream lock
//                   and is the only thread that writes samples.
//                   SetVideoConfiguration takes only the configuration lock.
//   receive thread  FeedAudio: takes only the small sound-queue lock, never
//                   the stream lock, so no camera's network input waits for
//                   a disk.
//   finisher        finalises and closes each finished file (FileFinisher),
//                   so no one waits for its syncs either; records and tells a
//                   file it could not finish.
//
// Both tracks of a file share one clock: the camera's timestamp of the
// file's first picture is time 0 of the video and of the sound, so a
// picture and the sound recorded with it play together. Sound is held in
// the queue until the pictures have caught up with it (or it has waited too
// long), and sound older than the file's first picture is left out.
//
// Each file starts with an intra picture and never replaces another file:
// a name that is taken gives way to "name-2.mp4", "name-3.mp4", ... The
// recording continues in the next free numbered file when the camera
// changes its configuration, when a file nears its size limit, and goes on
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
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "codec/video/video_encoder.h"
#include "os/window_seam.h"
#include "record/file_finisher.h"
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

// Why the last recording ended or did not start, for the view to tell.
enum class RecordingFailure {
  kNone,
  kCannotCreate,   // the file could not be created
  kInUse,          // another recording (or a repair) has the file
  kWriteFailed,    // a write failed: a full disk, a removed drive
  kFinishFailed,   // the file could not be finished; its journal stays for the repair at the next start
};

struct RecordingFailureReport {
  RecordingFailure kind = RecordingFailure::kNone;
  std::string path;
  // Grows with every failure of any recorder, so each is told once and the
  // later of two recorders' failures has the larger serial.
  uint32_t serial = 0;
  bool motion = false;  // set by NodeMedia: the recording on motion failed
};

class NodeRecorder {
 public:
  static constexpr uint64_t kLargestStepMs = 3600000;
  static constexpr uint32_t kVideoFallbackStepMs = 50;
  static constexpr uint32_t kAudioFallbackStepMs = 64;
  // Sound waits this long for the pictures before it is written alone.
  static constexpr uint64_t kAudioHoldMs = 2000;
  // At most this many sound frames wait (about 30 s of 64 ms frames).
  static constexpr size_t kMaxHeldAudio = 480;

  // Where a recording's bytes go; the default creates a new file at `path`
  // and gives null when one exists there.
  using OutputFactory = std::function<std::unique_ptr<record::Mp4Output>(const std::string& path)>;

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
  using EventTeller = std::function<void(int kind, const std::string& text)>;
  enum TellKind { kTellStarted, kTellStopped, kTellRolledOver, kTellFailed };
  void SetEventTeller(EventTeller teller) { tell_ = std::move(teller); }
  // Returns once every file of this recorder is finalised and closed.
  void WaitFinished() { finisher_.WaitIdle(); }

  bool IsRecording() const;
  // The file being written now (the chosen path, or a numbered one after it).
  std::string Path() const;
  RecordingFailureReport LastFailure() const;

  // The configuration unit the node's decoder applied before the pictures
  // that follow, and the picture size it reported for it (media worker); a
  // recording started later uses it as its unit 0. One
  // that decodes differently from the open file's unit 0 makes the next
  // intra picture start a new file.
  void SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height);
  void ClearVideoConfiguration();

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
  // "dir/name.mp4" numbered 2 is "dir/name-2.mp4"; number 1 is the path itself.
  static std::string NumberedPath(const std::string& path, int number);
  // How far below its size limit a file rolls over at the next intra
  // picture: room for the pictures until then.
  static uint64_t RollOverMargin(uint64_t limit);

 private:
  struct HeldAudio {
    std::vector<uint8_t> bytes;
    uint64_t timestamp;
  };

  int StartAt(const std::string& path, bool may_replace);
  // A new output at the first free name from `file_number_` on; sets
  // path_ and file_number_. Null when none can be created.
  std::unique_ptr<record::Mp4Output> CreateFreeOutput();
  // Whether a recording of this program, or one cut off and not yet
  // repaired, owns `path`.
  static bool InUse(const std::string& path);
  // Makes the writer on `output` with unit 0 written: the received
  // configuration, or the encoder's headers without one. Stream lock held.
  std::unique_ptr<record::Mp4File> OpenFile(std::unique_ptr<record::Mp4Output> output);
  bool OpenPendingFile();
  // After an interruption: the next free numbered file, made when pictures come again.
  bool OpenNextAfterInterruption();
  // The name the next file starts from: a cut's path, else the next number.
  // Stream lock held.
  void AdvanceName();
  void Tell(int kind, const std::string& text) {
    if (tell_) tell_(kind, text);
  }
  // A file made for the recording that could not be written at all: gone,
  // so a full disk leaves no empty files behind.
  void RemoveIfEmpty(const std::string& path);
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
  // Copies path_ for Path(); records a failure for LastFailure().
  void PublishPath();
  void SetFailure(RecordingFailure kind, const std::string& path);
  // Takes the held sound that is due: up to the last picture's time, and
  // what waited longer than kAudioHoldMs. `ending`: up to the last picture,
  // the rest dropped (the file ends there). Stream lock held.
  std::deque<HeldAudio> TakeHeldAudio(bool ending);
  // Writes the held sound that is due. Stream lock held; media worker.
  void WriteHeldAudio();
  // The frame's index and time in the file; false when it has no place
  // there (before the file's first picture).
  bool TimeAudio(const HeldAudio& frame, uint32_t* index, uint32_t* time);
  void TakeConfiguration();
  // A track's clock: the camera's stamps in, times that always grow out. A
  // unit that goes back, or forward by more than an hour, is placed `step`
  // after the previous one, and the units after it follow the camera's new
  // clock from there; once a few in a row keep to it, it is the clock (a
  // lone stray unit leaves it as it was). One stamped like the previous unit
  // lies a millisecond after it (no two samples share a time). Stamps and
  // times compare modulo 2^64, so a short timestamp that wraps goes on.
  class UnitClock {
   public:
    explicit UnitClock(uint32_t step) : step_(step) {}
    void Reset() { started_ = false; }
    bool Started() const { return started_; }
    // The unit's time; the first unit's is its own stamp.
    uint64_t Advance(uint64_t stamp);
    // What Advance would give, the clock unchanged.
    uint64_t Peek(uint64_t stamp) const {
      UnitClock copy = *this;
      return copy.Advance(stamp);
    }

   private:
    static bool Follows(uint64_t stamp, uint64_t previous);
    uint32_t step_;
    bool started_ = false;
    uint64_t last_ = 0;    // the time of the last unit
    uint64_t anchor_ = 0;  // the camera's stamp of the last unit on the clock
    uint64_t offset_ = 0;  // time = stamp + offset
    int candidate_units_ = 0;  // units in a row on another clock since a jump
    uint64_t candidate_anchor_ = 0;
    uint64_t candidate_offset_ = 0;
  };
  // Units in a row on the camera's new clock that make it the clock.
  static constexpr int kSettleUnits = 3;
  // Whether `a` lies after `b` (or with it), on clocks that wrap.
  static bool NotBefore(uint64_t a, uint64_t b) { return static_cast<int64_t>(a - b) >= 0; }
  void PostChannelReady(os::WindowHandle window);
  // A recording that ended by itself: the main window and the frame (its
  // toggle) are told, after the stream lock is let go.
  void NotifyEnded(std::unique_lock<std::mutex>& lock);

  const int node_index_;
  os::WindowPoster& poster_;
  const os::WindowHandle parent_window_;
  const os::WindowHandle main_window_;
  RecorderHost& host_;

  mutable std::mutex stream_lock_;
  OutputFactory output_factory_;
  uint64_t size_limit_ = 0;
  std::atomic<bool> recording_{false};
  std::time_t start_time_ = 0;
  std::string path_;       // the file being written
  std::string first_path_;  // the path the recording started with
  int file_number_ = 1;
  bool interrupted_ = false;  // the link went down; no file open until the next intra picture
  bool cut_pending_ = false;  // ContinueIn: the next intra picture starts cut_path_
  std::string cut_path_, cut_why_;
  EventTeller tell_;
  std::unique_ptr<record::Mp4File> writer_;            // null while waiting for the first picture
  std::unique_ptr<record::Mp4Output> pending_output_;  // the file made at Start, until then
  codec::VideoEncoder encoder_;

  // What the window reads, so it never waits for a sample being written.
  mutable std::mutex info_lock_;
  std::string shown_path_;
  RecordingFailureReport failure_;

  // The camera's configuration as the receive thread last set it.
  mutable std::mutex config_lock_;
  std::vector<uint8_t> received_configuration_;  // empty: none received
  int received_width_ = 320;
  int received_height_ = 240;
  uint64_t configuration_serial_ = 0;

  // The stream lock's copy of it, taken by the media worker.
  std::vector<uint8_t> configuration_;
  int width_ = 320;
  int height_ = 240;
  uint64_t seen_serial_ = 0;
  record::M4vConfig file_config_;  // what the open file's unit 0 says
  bool new_configuration_ = false; // the camera's configuration no longer matches it
  std::string new_configuration_reason_;

  bool await_intra_ = false;  // the next video written must be an intra picture
  bool first_video_ = false;
  bool first_audio_ = false;
  // The pictures' clock runs through the whole recording, as the sound
  // queue's does, so a file that follows another keeps both on one clock.
  UnitClock video_clock_{kVideoFallbackStepMs};
  UnitClock audio_clock_{kAudioFallbackStepMs};  // the open file's sound, after the queue's clock
  uint64_t base_ = 0;        // the pictures' clock at the file's first picture
  int64_t audio_shift_ = 0;   // sound on a clock of its own: moved onto the pictures'
  uint64_t last_video_ = 0;
  uint64_t last_audio_ = 0;
  uint32_t video_index_ = 0;
  uint32_t audio_index_ = 0;

  std::mutex audio_lock_;  // the receive thread's queue
  std::deque<HeldAudio> held_audio_;  // times on the queue's clock
  UnitClock queue_clock_{kAudioFallbackStepMs};
  std::atomic<size_t> held_count_{0};

  record::FileFinisher finisher_;  // last: its files finish before the rest goes
};

}  // namespace node
