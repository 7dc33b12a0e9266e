#include "node/storage/plan_recorder.h"

#include <algorithm>

#include "node/events/event_log.h"
#include "node/storage/retention_service.h"
#include "node/storage/storage_layout.h"
#include "os/debug_log.h"
#include "os/disk.h"
#include "os/local_time.h"
#include "record/m4v_headers.h"

namespace node {

namespace {

bool SameState(const PlanState& a, const PlanState& b) {
  return a.kind == b.kind && a.mode == b.mode && a.why == b.why && a.path == b.path && a.next_change == b.next_change;
}

std::string FailureText(const RecordingFailureReport& failure) {
  switch (failure.kind) {
    case RecordingFailure::kCannotCreate: return "cannot create " + failure.path;
    case RecordingFailure::kInUse: return failure.path + " is being recorded";
    case RecordingFailure::kWriteFailed: return "cannot write " + failure.path + " (a full disk?)";
    case RecordingFailure::kFinishFailed: return "cannot finish " + failure.path + "; it is repaired at the next start";
    case RecordingFailure::kNone: break;
  }
  return std::string();
}

std::string CutReason(int minutes) {
  return minutes == 60 ? "a new file each hour" : "a new file each " + std::to_string(minutes) + " minutes";
}

}  // namespace

const char* PlanStateName(PlanStateKind kind) {
  switch (kind) {
    case PlanStateKind::kWaiting: return "waiting";
    case PlanStateKind::kRecording: return "recording";
    case PlanStateKind::kFailed: return "failed";
    case PlanStateKind::kOff: break;
  }
  return "off";
}

PlanRecorder::PlanRecorder(int node_index, Clock clock)
    : clock_(clock ? std::move(clock) : Clock(os::WallSeconds)),
      continuous_(node_index, no_windows_, 0, 0, *this),
      motion_(node_index, no_windows_, 0, 0, *this) {
  // A motion's file is named by the plan's clock, in the day folder of its start.
  motion_.SetNamer([this] { return PrepareFile(TakeConfig(), clock_(), true); });
}

PlanRecorder::~PlanRecorder() {
  Stop();
  continuous_.WaitFinished();
  motion_.recorder().WaitFinished();
}

void PlanRecorder::Configure(const RecordingPlan& plan, const std::string& root, const std::string& camera) {
  std::lock_guard<std::mutex> lock(config_lock_);
  config_.plan = plan;
  config_.root = root;
  config_.camera = camera;
  config_.set = true;
}

void PlanRecorder::SetDiskGuard(const DiskGuard* guard) { guard_ = guard; }

void PlanRecorder::SetEventLog(EventLog* log) {
  log_ = log;
  if (!log) {
    continuous_.SetEventTeller(nullptr);
    motion_.recorder().SetEventTeller(nullptr);
    return;
  }
  // Called with a recorder's stream lock held: it only queues.
  const auto teller = [this, log](int kind, const std::string& text) {
    const EventKind event = kind == NodeRecorder::kTellStarted      ? EventKind::kRecordingStarted
                            : kind == NodeRecorder::kTellStopped    ? EventKind::kRecordingStopped
                            : kind == NodeRecorder::kTellRolledOver ? EventKind::kRecordingRolledOver
                                                                    : EventKind::kRecordingFailed;
    log->Add(event, TakeConfig().camera, text);
  };
  continuous_.SetEventTeller(teller);
  motion_.recorder().SetEventTeller(teller);
}

PlanRecorder::Config PlanRecorder::TakeConfig() const {
  std::lock_guard<std::mutex> lock(config_lock_);
  return config_;
}

std::string PlanRecorder::PrepareFile(const Config& config, int64_t seconds, bool motion) {
  // A folder that cannot be made fails the recording's start, which says so.
  os::MakeFolders(DayFolder(config.root, config.camera, seconds));
  return PlanFilePath(config.root, config.camera, seconds, motion);
}

void PlanRecorder::Log(bool failure, const std::string& text) {
  DebugLog("Plan : %s\n", text.c_str());
  if (log_) log_->Add(failure ? EventKind::kRecordingFailed : EventKind::kRecordingStarted, TakeConfig().camera, text);
}

void PlanRecorder::NoteFailures(int64_t now) {
  const RecordingFailureReport continuous = continuous_.LastFailure();
  const RecordingFailureReport motion = motion_.recorder().LastFailure();
  bool failed = false;
  if (continuous.serial != continuous_failures_) {
    continuous_failures_ = continuous.serial;
    // A file that could not be finished leaves the recording going.
    if (continuous.kind != RecordingFailure::kFinishFailed) {
      failure_ = FailureText(continuous);
      failed = true;
    }
  }
  if (motion.serial != motion_failures_) {
    motion_failures_ = motion.serial;
    if (motion.kind != RecordingFailure::kFinishFailed) failure_ = FailureText(motion);
  }
  if (!failed) return;
  cutting_ = false;
  retry_at_ = now + retry_delay_;
  retry_delay_ = std::min(retry_delay_ * 2, kLongestRetryS);
}

void PlanRecorder::StartContinuous(const Config& config, int64_t now) {
  const int minutes = config.plan.file_minutes;
  // Set first: the worker may see the first picture before Start returns.
  file_minutes_ = minutes;
  next_cut_ = NextFileCut(now, minutes);
  if (continuous_.Start(PrepareFile(config, now, false)) == 0) {
    started_at_ = now;
    failure_.clear();
    cutting_ = true;
    return;
  }
  NoteFailures(now);
  if (retry_at_ <= now) {  // refused without a failure of its own (the link went meanwhile)
    retry_at_ = now + retry_delay_;
    if (failure_.empty()) failure_ = "the recording could not start";
  }
}

void PlanRecorder::SetMotion(bool on, const Config& config) {
  if (on == motion_.Enabled()) return;
  motion_.Configure(on, config.root, config.camera);
}

void PlanRecorder::Tick() {
  const int64_t now = clock_();
  const Config config = TakeConfig();
  const PlanMode mode = config.set ? config.plan.ModeAtTime(now) : PlanMode::kOff;
  const bool linkReady = camera_known_.load() && link_up_.load();
  NoteFailures(now);

  std::string full;
  const bool stopped = guard_ && guard_->Stopped(&full);
  if (stopped != guard_stopped_) {
    guard_stopped_ = stopped;
    if (config.set && config.plan.Active())
      Log(stopped, stopped ? "Recording plan stopped: " + full : "Recording plan resumed: there is room on the disk again");
    if (!stopped) {  // room again: at once, not after the wait of the failures the full disk caused
      retry_at_ = 0;
      retry_delay_ = kFirstRetryS;
      failure_.clear();
    }
  }
  const bool recordNow = mode != PlanMode::kOff && !stopped && linkReady;

  if (RecordsContinuously(mode) && recordNow) {
    if (!continuous_.IsRecording() && now >= retry_at_) StartContinuous(config, now);
  } else if (continuous_.IsRecording()) {
    cutting_ = false;
    continuous_.Stop();
  }
  SetMotion(RecordsMotion(mode) && recordNow, config);
  // A recording that ran a while makes the next failure's wait short again.
  if (continuous_.IsRecording() && now - started_at_ >= kLongestRetryS) retry_delay_ = kFirstRetryS;
  if (motion_.IsRecording() && !RecordsContinuously(mode)) failure_.clear();

  PlanState state;
  state.mode = mode;
  state.next_change = config.set ? NextPlanChange(config.plan, now) : 0;
  if (mode == PlanMode::kOff) {
    state.kind = PlanStateKind::kOff;
  } else if (stopped) {
    state.kind = PlanStateKind::kFailed;
    state.why = full;
  } else if (!linkReady) {
    state.kind = PlanStateKind::kWaiting;
    state.why = "no link to the camera";
  } else if (RecordsContinuously(mode) && !continuous_.IsRecording()) {
    state.kind = PlanStateKind::kFailed;
    state.why = failure_ + (failure_.empty() ? "" : "; ") + "tried again at " +
                os::FormatLocalTime("%H:%M:%S", static_cast<std::time_t>(std::max(retry_at_, now)));
  } else if (continuous_.IsRecording() || motion_.IsRecording()) {
    state.kind = PlanStateKind::kRecording;
    state.path = continuous_.IsRecording() ? continuous_.Path() : motion_.recorder().Path();
    state.why = failure_;  // a motion's file that failed beside the continuous one
  } else if (!failure_.empty()) {
    state.kind = PlanStateKind::kFailed;
    state.why = failure_;
  } else {
    state.kind = PlanStateKind::kWaiting;
    state.why = "watching for motion";
  }
  Publish(std::move(state));
}

void PlanRecorder::Stop() {
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    config_.set = false;
  }
  cutting_ = false;
  continuous_.Stop();
  motion_.Configure(false, std::string(), std::string());
  Publish(PlanState());
}

void PlanRecorder::Publish(PlanState state) {
  std::lock_guard<std::mutex> lock(state_lock_);
  if (SameState(state, state_)) return;
  state.serial = state_.serial + 1;
  state_ = std::move(state);
}

PlanState PlanRecorder::State() const {
  std::lock_guard<std::mutex> lock(state_lock_);
  return state_;
}

void PlanRecorder::TapConfiguration(const uint8_t* data, size_t length, int width, int height) {
  continuous_.SetVideoConfiguration(data, length, width, height);
  motion_.SetVideoConfiguration(data, length, width, height);
}

void PlanRecorder::TapVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool have_picture) {
  // The file is cut at the first intra picture once its time is up, so the
  // next one starts with a picture that decodes alone.
  if (cutting_.load() && have_picture && record::VopCodingType(data, length) == 0) {
    const int64_t now = clock_();
    if (now >= next_cut_.load()) {
      const int minutes = file_minutes_.load();
      continuous_.ContinueIn(PrepareFile(TakeConfig(), now, false), CutReason(minutes));
      next_cut_ = NextFileCut(now, minutes);
    }
  }
  continuous_.FeedVideo(data, length, timestamp, have_picture);
  motion_.OnVideo(data, length, timestamp, have_picture);
}

void PlanRecorder::TapAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  continuous_.FeedAudio(data, length, timestamp);
  motion_.OnAudio(data, length, timestamp);
}

void PlanRecorder::TapDiscarded(uint64_t count) {
  continuous_.NoteDiscardedVideo(count);
  motion_.NoteDiscardedVideo(count);
}

void PlanRecorder::TapMotion(MotionDetector::Change change, uint64_t timestamp) { motion_.OnMotion(change, timestamp); }

void PlanRecorder::TapPump() {
  continuous_.Pump();
  motion_.recorder().Pump();
}

void PlanRecorder::TapReset() {
  continuous_.ClearVideoConfiguration();
  motion_.Reset();
}

void PlanRecorder::TapLinkState(bool camera_known, bool link_up) {
  camera_known_ = camera_known;
  link_up_ = link_up;
}

void PlanRecorder::TapLinkInterrupted() {
  // The file ends with what it holds; the next tick, seeing no link, ends the
  // recording, and the link's return starts a file named for its own time.
  continuous_.Interrupt();
  motion_.recorder().Stop();
}

void PlanRecorder::TapLinkClosed() {
  cutting_ = false;
  continuous_.Stop();
  motion_.recorder().Stop();
}

}  // namespace node
