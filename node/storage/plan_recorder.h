#pragma once
// A camera's recording plan at work: given the camera's media path (as a
// MediaTap) and a clock, it starts, stops and switches the plan's
// recordings as the plan in force says, and tells its state for the
// server tree's icon. Continuous files go to
//   ROOT/CAMERA/YYYY-MM-DD/CAMERA_yyyyMMdd_HHmmss.mp4
// cut at the first intra picture after each full hour (or each 30 or 15
// minutes); each motion's file, with the seconds before and after it, goes
// beside them as CAMERA_yyyyMMdd_HHmmss_motion.mp4, which is also how
// "continuous with motion marked" marks its motions for the recordings
// index. Like every recording, no file is ever replaced (the next free
// name is taken) and each has its journal until it is finished.
//
// A full disk with nothing to delete (the DiskGuard of the root's
// RetentionService) stops the plan with an event and the failed state; the
// plan resumes by itself once the guard lets go. A recording that fails on
// its own (a write refused, a folder that cannot be made) is tried again
// after 30 s, then after longer waits, up to 10 minutes.
//
// Threads and what each owns:
//   owner's thread   Configure, SetDiskGuard, SetEventLog, Tick (once a
//   (window thread,  second), Stop; the plan's start, stop and switch
//    console loop)
//   media worker     TapConfiguration, TapVideo (the hourly cut), TapMotion,
//                    TapDiscarded, TapPump: the recorders' own rules
//   receive thread   TapAudio: only queues
//   any thread       State
// config_lock_ guards the plan, root and camera (the worker names files with
// them); state_lock_ the published state. Neither is held across a call out.
// The owner adds the recorder to the media path (NodeMedia::AddTap) and
// removes it before destroying it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "node/media/media_tap.h"
#include "node/media/motion_recorder.h"
#include "node/media/node_recorder.h"
#include "node/storage/recording_plan.h"

namespace node {

class DiskGuard;
class EventLog;

enum class PlanStateKind : uint8_t {
  kOff,        // nothing to record now (no plan, or the schedule's cell is off)
  kWaiting,    // the plan records, but not now: no link to the camera, or watching for motion
  kRecording,  // a file is being written
  kFailed,     // it should record and cannot: a full disk, a folder that cannot be written
};

struct PlanState {
  PlanStateKind kind = PlanStateKind::kOff;
  PlanMode mode = PlanMode::kOff;  // the plan in force now
  std::string why;                 // waiting and failed: why, for a tooltip
  std::string path;                // recording: the file being written
  int64_t next_change = 0;         // a schedule's next change (wall-clock seconds), 0 when none
  uint64_t serial = 0;             // grows with every change of the above
};

const char* PlanStateName(PlanStateKind kind);  // "off", "waiting", "recording", "failed"

class PlanRecorder : public MediaTap, private RecorderHost {
 public:
  using Clock = std::function<int64_t()>;  // wall-clock seconds
  static constexpr int64_t kFirstRetryS = 30;
  static constexpr int64_t kLongestRetryS = 600;

  explicit PlanRecorder(int node_index, Clock clock = {});
  // Ends the plan's recordings and waits until their files are finished.
  ~PlanRecorder() override;
  PlanRecorder(const PlanRecorder&) = delete;
  PlanRecorder& operator=(const PlanRecorder&) = delete;

  // The plan, the root folder and the camera's name; the next Tick acts on it.
  void Configure(const RecordingPlan& plan, const std::string& root, const std::string& camera);
  // The root's guard (RetentionService::guard()); null: none.
  void SetDiskGuard(const DiskGuard* guard);
  // The plan's recordings and its stops and resumptions go to `log` under
  // the camera's name; null before the log goes. Set while no recording runs.
  void SetEventLog(EventLog* log);
  // Brings the recordings in line with the plan in force now.
  void Tick();
  // Ends the plan's recordings (the plan is taken off, the program ends).
  void Stop();

  PlanState State() const;
  NodeRecorder& continuous() { return continuous_; }
  MotionRecorder& motion() { return motion_; }

  // MediaTap
  void TapConfiguration(const uint8_t* data, size_t length, int width, int height) override;
  void TapVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool have_picture) override;
  void TapAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) override;
  void TapDiscarded(uint64_t count) override;
  void TapMotion(MotionDetector::Change change, uint64_t timestamp) override;
  void TapPump() override;
  void TapReset() override;
  bool TapWantsMotion() const override { return motion_.Enabled(); }
  void TapLinkState(bool camera_known, bool link_up) override;
  void TapLinkInterrupted() override;
  void TapLinkClosed() override;

 private:
  // The posts a view's recorder makes go nowhere: the plan has no window.
  class NoWindows : public os::WindowPoster {
   public:
    bool Post(os::WindowHandle, uint32_t, uintptr_t, intptr_t) override { return true; }
  };
  struct Config {
    RecordingPlan plan;
    std::string root, camera;
    bool set = false;
  };

  bool CameraIdKnown() const override { return camera_known_.load(); }
  bool LinkUp() const override { return link_up_.load(); }
  bool ChooseRecordingPath(std::string*) override { return false; }

  Config TakeConfig() const;
  // The file a recording starting at `seconds` goes to, its day folder made.
  std::string PrepareFile(const Config& config, int64_t seconds, bool motion);
  void StartContinuous(const Config& config, int64_t now);
  void SetMotion(bool on, const Config& config);
  // Failures the recorders had since the last look; sets the retry.
  void NoteFailures(int64_t now);
  void Publish(PlanState state);
  void Log(bool failure, const std::string& text);

  const Clock clock_;
  NoWindows no_windows_;
  NodeRecorder continuous_;
  MotionRecorder motion_;

  mutable std::mutex config_lock_;
  Config config_;

  std::atomic<bool> camera_known_{false}, link_up_{false};
  std::atomic<bool> cutting_{false};        // the continuous recording runs: the worker cuts its files
  std::atomic<int64_t> next_cut_{0};        // wall-clock seconds of the next cut
  std::atomic<int> file_minutes_{60};

  // Owner's thread only.
  const DiskGuard* guard_ = nullptr;
  EventLog* log_ = nullptr;
  bool guard_stopped_ = false;
  uint32_t continuous_failures_ = 0, motion_failures_ = 0;  // the serials seen
  std::string failure_;     // the last failure, while it holds
  int64_t retry_at_ = 0;
  int64_t retry_delay_ = kFirstRetryS;
  int64_t started_at_ = 0;  // the continuous recording's start

  mutable std::mutex state_lock_;
  PlanState state_;
};

}  // namespace node
