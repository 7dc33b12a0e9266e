#include "storage_commands.h"

#include <cstdio>
#include <ctime>

#include "cli_session.h"
#include "node/storage/plan_recorder.h"
#include "node/storage/retention_service.h"
#include "node/storage/storage_fs.h"
#include "os/clock.h"
#include "os/local_time.h"

namespace cli {
namespace {

constexpr int kFirstPictureWaitMs = 20000;

std::string Clock() { return os::FormatLocalTime("%H:%M:%S", std::time(nullptr)); }

void PrintState(const node::PlanState& state) {
  std::string detail = state.kind == node::PlanStateKind::kRecording ? state.path : state.why;
  std::printf("plan: %s %s%s%s\n", Clock().c_str(), node::PlanStateName(state.kind), detail.empty() ? "" : " ",
              detail.c_str());
  std::fflush(stdout);
}

void PrintSpace(const node::RetentionReport& report) {
  std::printf("%zu recordings, %s; %s free of %s, %s kept free\n", report.files,
              node::AmountText(report.recorded_bytes).c_str(), node::AmountText(report.free_bytes).c_str(),
              node::AmountText(report.capacity_bytes).c_str(), node::LimitText(report.floor_bytes).c_str());
}

}  // namespace

int RecordByPlan(Session& s, const Options& o, std::string* reason) {
  if (!s.runtime().RunUntil([&] { return s.media().path().HasConfiguration(); }, kFirstPictureWaitMs)) {
    *reason = "no video arrived from the camera";
    return kExitFailed;
  }
  std::string camera = s.node().camera_id();
  if (camera.empty()) camera = o.args[0];
  node::RecordingPlan plan;
  plan.mode = o.plan == "continuous" ? node::PlanMode::kContinuous
              : o.plan == "motion"   ? node::PlanMode::kMotion
                                     : node::PlanMode::kContinuousMotion;
  plan.file_minutes = o.file_minutes;
  // The motion settings the plan's detector runs with; the view's own detection stays off.
  s.media().path().motion().SetMotionDetection(false, o.sensitivity, node::MotionDetector::Mask());
  s.media().path().motion().SetMotionRules(o.min_cells, o.min_duration_ms);

  node::DiskStorage disk;
  node::RetentionService retention(disk, &s.event_log());
  retention.Configure(o.root, o.retention);
  retention.Start();
  node::PlanRecorder recorder(0);
  recorder.SetEventLog(&s.event_log());
  recorder.SetDiskGuard(&retention.guard());
  recorder.Configure(plan, o.root, camera);
  s.media().AddTap(&recorder);

  uint64_t shown = 0;
  const uint64_t start = os::MonotonicMs();
  for (int tick = 0; o.seconds < 0 || tick <= o.seconds; ++tick) {
    recorder.Tick();
    const node::PlanState state = recorder.State();
    if (state.serial != shown) {
      shown = state.serial;
      PrintState(state);
    }
    if (Runtime::interrupted || (o.seconds >= 0 && tick == o.seconds)) break;
    const uint64_t due = start + uint64_t(tick + 1) * 1000;
    s.runtime().RunUntil([&] { return os::MonotonicMs() >= due; }, static_cast<int>(due - os::MonotonicMs() + 50));
  }
  const node::PlanState last = recorder.State();
  recorder.Stop();
  s.media().RemoveTap(&recorder);
  recorder.continuous().WaitFinished();
  recorder.motion().recorder().WaitFinished();
  retention.Stop();
  recorder.SetEventLog(nullptr);
  s.runtime().RunUntil([] { return false; }, 50);  // the last events printed
  if (last.kind == node::PlanStateKind::kFailed) {
    *reason = "the plan could not record: " + last.why;
    return kExitFailed;
  }
  std::printf("recorded by plan into %s\n", o.root.c_str());
  return kExitOk;
}

int RunRetention(const Options& o, std::string* reason) {
  node::DiskStorage disk;
  node::RetentionService retention(disk, nullptr);
  retention.Configure(o.args[0], o.retention);
  const node::RetentionReport report = retention.RunPass(o.dry_run);
  if (!report.scanned) {
    *reason = "cannot read " + o.args[0];
    return kExitFailed;
  }
  const char* verb = o.dry_run ? "would delete" : "deleted";
  for (const node::DeletedRecording& d : report.deleted)
    std::printf("%s %s (%s, %s)\n", verb, d.path.c_str(), node::AmountText(d.size).c_str(),
                node::ReasonText(d.reason, o.retention, report.capacity_bytes).c_str());
  for (const node::RetentionReport::Event& e : report.events)
    std::printf("%s%s\n", o.dry_run ? "(dry run) " : "", e.text.c_str());
  if (report.deleted.empty()) std::printf("nothing to delete in %s\n", o.args[0].c_str());
  PrintSpace(report);
  std::fflush(stdout);
  if (report.keep_list_broken) {
    *reason = "the keep list of " + o.args[0] + " cannot be read; nothing was deleted";
    return kExitFailed;
  }
  if (report.failed) {
    *reason = std::to_string(report.failed) + " recordings could not be deleted";
    return kExitFailed;
  }
  if (!o.dry_run && report.UnderFloor()) {
    *reason = "the disk stays under the " + node::LimitText(report.floor_bytes) +
              " it keeps free: no more recordings there may be deleted";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace cli
