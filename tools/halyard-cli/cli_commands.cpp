#include "cli_commands.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>

#include "cli_session.h"
#include "codec/audio/adpcm.h"
#include "file_commands.h"
#include "codec/audio/wav_reader.h"
#include "media_outputs.h"
#include "os/clock.h"
#include "storage_commands.h"

namespace cli {
namespace {

constexpr int kFirstPictureWaitMs = 20000;
constexpr int kFlushWaitMs = 5000;

// A time group that has passed WithValidTimes: every field within its range.
std::string Time(const net::RecordTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(t.year), static_cast<int>(t.month),
                static_cast<int>(t.day), static_cast<int>(t.hour), static_cast<int>(t.minute),
                static_cast<int>(t.second));
  return text;
}

int List(Session& s) {
  for (const auto& c : s.cameras())
    std::printf("camera %s | %s | %s | %s | %s | port %u\n", c.camera_id.c_str(), c.text36.c_str(), c.text68.c_str(),
                c.text132.c_str(), c.text168.c_str(), c.port);
  const net::RecordTime now = net::CurrentRecordTime();
  for (const auto& raw : s.files()) {
    const net::FileRecord f = net::WithValidTimes(raw, now);
    std::printf("file %s | camera %s | start %s | end %s | length %u ms\n", f.file_name.c_str(), f.camera_id.c_str(),
                Time(f.start).c_str(), Time(f.end).c_str(), f.value288);
  }
  return kExitOk;
}

// Prints the node's status once a second until `seconds` pass (or for ever,
// -1) or an interrupt or `stop` ends it.
void StatusLoop(Session& s, int seconds, const std::function<bool()>& stop = nullptr) {
  const uint64_t start = os::MonotonicMs();
  for (int tick = 1; seconds < 0 || tick <= seconds; ++tick) {
    const uint64_t due = start + static_cast<uint64_t>(tick) * 1000;
    s.runtime().RunUntil([&] { return (stop && stop()) || os::MonotonicMs() >= due; }, static_cast<int>(due - os::MonotonicMs() + 50));
    if (Runtime::interrupted || (stop && stop())) return;
    std::printf("%ds %s | viewers %d | notice %s | %s\n", tick, s.media().path().StatusText().c_str(), s.node().viewers(),
                s.notice_active() ? std::to_string(s.last_notice()).c_str() : "-", s.StateText().c_str());
    std::fflush(stdout);
  }
}

// What --on-alert does at each motion's start.
struct MotionAlerts {
  node::AlertPolicy policy;
  node::AlertProgram program;
  explicit MotionAlerts(const std::string& path) : program(path) {}
};

// The motion's start as an alert: the program run, or why it was not.
void Alert(Session& s, const Options& o, MotionAlerts& alerts, std::time_t when, const std::string& clock) {
  std::string camera = s.node().camera_id();
  if (camera.empty()) camera = o.args[0];
  std::string what;
  switch (alerts.policy.Consider(node::AlertCause::kMotion, node::AlertTime::Now())) {
    case node::AlertPolicy::Verdict::kAlert: {
      std::string error;
      what = alerts.program.Run(camera, when, node::AlertCause::kMotion, &error) ? "ran " + alerts.program.program()
                                                                                   : error;
      break;
    }
    case node::AlertPolicy::Verdict::kCooldown: what = "in the cooldown, not alerted"; break;
    case node::AlertPolicy::Verdict::kDisarmed: what = "disarmed, not alerted"; break;
  }
  std::printf("alert: %s %s motion: %s\n", clock.c_str(), camera.c_str(), what.c_str());
}

// "motion: HH:MM:SS start" and "motion: HH:MM:SS end LENGTH" as motions
// start and end; with --on-alert, an "alert: ..." line after each start.
void PrintMotions(Session& s, const Options& o) {
  node::NodeMediaPath& path = s.media().path();
  path.motion().SetMotionDetection(true, o.sensitivity, node::MotionDetector::Mask());
  path.motion().SetMotionRules(o.min_cells, o.min_duration_ms);
  std::shared_ptr<MotionAlerts> alerts;
  if (!o.on_alert.empty()) {
    alerts = std::make_shared<MotionAlerts>(o.on_alert);
    alerts->policy.SetCooldownMs(static_cast<uint64_t>(o.cooldown_ms));
  }
  s.OnMotion([&s, &o, alerts](bool started) {
    const std::time_t when = std::time(nullptr);
    const std::string now = node::NodeRecorder::FormatLocalTime("%H:%M:%S", when);
    if (started) {
      std::printf("motion: %s start\n", now.c_str());
      if (alerts) Alert(s, o, *alerts, when, now);
    } else {
      const node::MotionDetector::Event e = s.media().path().motion().LastMotion();
      std::printf("motion: %s end %.1f s (at most %.0f%% of the picture)\n", now.c_str(), static_cast<double>(e.lengthMs) / 1000.0,
                  e.largestArea * 100.0);
    }
    std::fflush(stdout);
  });
}

// A watch succeeds only when it saw pictures and its link still stands at the
// end: a camera that went silent, or a link that died, is a failed watch.
int Watch(Session& s, const Options& o, std::string* reason) {
  if (o.motion) PrintMotions(s, o);
  StatusLoop(s, o.seconds);
  std::string down;
  if (s.host_closed())
    down = "the hosting server closed the connection";
  else if (s.StateText() != "streaming")
    down = "the link to the camera is down (" + s.StateText() + ")";
  const bool pictures = s.media().path().FramesShown() > 0;
  if (pictures && down.empty()) return kExitOk;
  *reason = pictures ? down : down.empty() ? "no picture arrived from the camera"
                                           : "no picture arrived from the camera and " + down;
  return kExitFailed;
}

std::string FailureText(const node::RecordingFailureReport& failure) {
  switch (failure.kind) {
    case node::RecordingFailure::kCannotCreate: return "cannot create " + failure.path;
    case node::RecordingFailure::kInUse: return failure.path + " is being recorded";
    case node::RecordingFailure::kWriteFailed:
      return "writing " + failure.path + " failed (disk full?); the recording stopped, the file is finished";
    case node::RecordingFailure::kFinishFailed:
      return "cannot finish " + failure.path + "; its journal stays for halyard-cli repair";
    case node::RecordingFailure::kNone: break;
  }
  return std::string();
}

// Each motion into FOLDER, until the time is up or an interrupt.
int RecordOnMotion(Session& s, const Options& o, std::string* reason) {
  if (!s.runtime().RunUntil([&] { return s.media().path().HasConfiguration(); }, kFirstPictureWaitMs)) {
    *reason = "no video arrived from the camera";
    return kExitFailed;
  }
  std::string camera = s.node().camera_id();
  if (camera.empty()) camera = o.args[0];
  node::MotionRecorder& motion = s.media().motion_recorder();
  motion.Configure(true, o.args[1], camera);
  PrintMotions(s, o);
  StatusLoop(s, o.seconds);
  motion.Configure(false, o.args[1], camera);
  motion.recorder().WaitFinished();
  const node::RecordingFailureReport failure = motion.recorder().LastFailure();
  if (failure.kind != node::RecordingFailure::kNone) {
    *reason = FailureText(failure);
    return kExitFailed;
  }
  return kExitOk;
}

int Record(Session& s, const Options& o, std::string* reason) {
  if (o.on_motion) return RecordOnMotion(s, o, reason);
  if (!o.plan.empty()) return RecordByPlan(s, o, reason);
  // The recording's decoder configuration is the one the camera sends: wait for it.
  if (!s.runtime().RunUntil([&] { return s.media().path().HasConfiguration(); }, kFirstPictureWaitMs)) {
    *reason = "no video arrived from the camera";
    return kExitFailed;
  }
  // Watching first, as a user who clicks Record in a running view.
  const uint64_t startAt = os::MonotonicMs() + static_cast<uint64_t>(o.start_after * 1000.0);
  s.runtime().RunUntil([&] { return os::MonotonicMs() >= startAt; }, static_cast<int>(o.start_after * 1000.0) + 50);
  node::NodeRecorder& recorder = s.media().recorder();
  if (o.file_limit) recorder.SetSizeLimit(o.file_limit);
  if (recorder.Start(o.args[1]) != 0) {
    const std::string why = FailureText(recorder.LastFailure());
    *reason = why.empty() ? "cannot record to " + o.args[1] : why;
    return kExitFailed;
  }
  const std::string path = recorder.Path();
  const uint32_t failures = recorder.LastFailure().serial;
  StatusLoop(s, o.seconds, [&] { return !recorder.IsRecording(); });
  recorder.Stop();
  recorder.WaitFinished();
  const node::RecordingFailureReport failure = recorder.LastFailure();
  if (failure.serial != failures) {
    *reason = FailureText(failure);
    return kExitFailed;
  }
  std::printf("recorded %s\n", path.c_str());
  return kExitOk;
}

int Snapshot(Session& s, SnapshotSink& sink, const Options& o, std::string* reason) {
  if (!s.runtime().RunUntil([&] { return sink.taken(); }, kFirstPictureWaitMs)) {
    *reason = "no picture arrived from the camera";
    return kExitFailed;
  }
  std::vector<uint8_t> bmp = sink.Bmp();
  std::ofstream out(o.args[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  if (!out) {
    *reason = "cannot write " + o.args[1];
    return kExitFailed;
  }
  std::printf("snapshot %s %dx%d\n", o.args[1].c_str(), s.media().path().Width(), s.media().path().Height());
  return kExitOk;
}

int Play(Session& s, const Options& o) {
  if (o.seek >= 0) {
    s.runtime().RunUntil([&] { return s.node().node_parameters().words[1] > 0; }, 5000);
    s.node().Control().Seek(o.seek);
  }
  const uint64_t start = os::MonotonicMs();
  uint64_t printed = 0;
  auto ended = [&] { return s.media().path().EndOfFile(); };
  while (!ended() && !Runtime::interrupted && (o.seconds < 0 || os::MonotonicMs() - start < uint64_t(o.seconds) * 1000)) {
    s.runtime().RunUntil(ended, 1000);
    if (s.last_position() != printed) {
      printed = s.last_position();
      std::printf("position %llu ms\n", static_cast<unsigned long long>(printed));
      std::fflush(stdout);
    }
  }
  if (ended()) std::printf("%s\n", node::NodeMediaPath::kEndOfFileText);
  return kExitOk;
}

int Talk(Session& s, const Options& o, std::string* reason) {
  std::ifstream in(o.args[1], std::ios::binary);
  std::vector<uint8_t> wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> pcm;
  if (codec::ReadVoicePcm(wav.data(), wav.size(), false, &pcm) != codec::VoicePcmStatus::kOk) {
    *reason = o.args[1] + " is not an 8 kHz mono 16-bit WAV file";
    return kExitFailed;
  }
  if (!s.runtime().RunUntil([&] { return s.node().channel(node::CNodeWindow::kSpeaker).active; }, 15000)) {
    *reason = "the camera opened no speaker channel";
    return kExitFailed;
  }
  constexpr int kSamplesPerUnit = 512;  // 192 bytes of 3-bit codes, 64 ms
  const size_t samples = pcm.size();
  codec::AdpcmEncoder encoder;
  uint8_t unit[192];
  const uint64_t start = os::MonotonicMs();
  size_t sent = 0;
  for (size_t at = 0; at + kSamplesPerUnit <= samples && !Runtime::interrupted; at += kSamplesPerUnit, ++sent) {
    const uint64_t due = start + sent * 64;  // real time: one unit every 64 ms
    s.runtime().RunUntil([&] { return os::MonotonicMs() >= due; }, static_cast<int>(due > os::MonotonicMs() ? due - os::MonotonicMs() : 0) + 5);
    encoder.Encode(pcm.data() + at, kSamplesPerUnit * 2, unit);
    if (s.node().SendSpeakerAudio(unit, sizeof unit) < 0) {
      *reason = "the speaker channel closed";
      return kExitFailed;
    }
  }
  s.FlushRequests(kFlushWaitMs);
  std::printf("sent %zu units (%zu ms)\n", sent, sent * 64);
  return kExitOk;
}

int Control(Session& s, const Options& o, std::string* reason) {
  node::CNodeWindow& n = s.node();
  const std::string& what = o.command;
  auto number = [&](size_t i) { return i < o.args.size() ? std::atoi(o.args[i].c_str()) : 0; };
  bool ok = true;
  if (what == "ptz") {
    n.Control().PtzStep(number(1), number(2));
  } else if (what == "lens") {
    n.Control().Lens(static_cast<uint32_t>(number(1)), static_cast<uint32_t>(number(2)));
  } else if (what == "preset") {
    const std::string& kind = o.args[1];
    if (kind == "goto") ok = n.Control().PresetGoto(number(2));
    if (kind == "group-run") ok = n.Control().GroupRun(number(2));
    if (kind == "setup") n.Control().PresetCommand(net::kPresetSetup, 0);
    if (kind == "group-stop") n.Control().PresetCommand(net::kGroupStop, 0);
    if (!ok) *reason = "number out of range (presets 1..39, groups 1..15)";
  } else if (what == "quality") {
    ok = n.Control().SetQuality(static_cast<uint32_t>(number(1)));
    if (!ok) *reason = "quality must be 4, 8, 12, 16 or 20";
  } else if (what == "input") {
    ok = n.Control().SetVideoInput(static_cast<uint32_t>(number(1)));
    if (!ok) *reason = "input must be 0, 1 or 2";
  } else if (what == "reboot") {
    ok = n.Control().Reboot();
  }
  if (!ok) return kExitFailed;
  if (!s.FlushRequests(kFlushWaitMs)) {
    *reason = "the request could not be sent";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

int RunCommand(const Options& o, std::string* reason) {
  if (IsFileCommand(o.command)) return RunFileCommand(o, reason);
  if (o.command == "retention") return RunRetention(o, reason);
  Session s(o);
  int code = kExitOk;
  if (!o.host.empty()) {
    if ((code = s.ConnectHosting(reason)) != kExitOk) return code;
    if ((code = s.WaitForLists(reason)) != kExitOk) return code;
  }
  if (o.command == "list") return List(s);
  if (o.command == "play") {
    if ((code = s.OpenFile(o.args[0], reason)) != kExitOk) return code;
    return Play(s, o);
  }
  if (o.command == "talk" && o.camera.empty()) {
    *reason = "talk needs --camera: the speaker channel runs on a camera's own audio socket";
    return kExitFailed;
  }
  SnapshotSink snapshot;
  std::FILE* pcm = nullptr;
  std::unique_ptr<PcmFileFeeder> feeder;
  if (o.command == "audio") {
    pcm = std::fopen(o.args[1].c_str(), "wb");
    if (!pcm) {
      *reason = "cannot write " + o.args[1];
      return kExitFailed;
    }
    feeder = std::make_unique<PcmFileFeeder>(pcm);
  }
  code = s.OpenCamera(o.args[0], o.command == "snapshot" ? &snapshot : nullptr, feeder.get(), reason);
  if (code == kExitOk) {
    if (o.command == "watch") code = Watch(s, o, reason);
    if (o.command == "record") code = Record(s, o, reason);
    if (o.command == "snapshot") code = Snapshot(s, snapshot, o, reason);
    if (o.command == "talk") code = Talk(s, o, reason);
    if (o.command == "audio") {
      StatusLoop(s, o.seconds);
      std::printf("audio %llu bytes\n", static_cast<unsigned long long>(feeder->bytes_written()));
    }
    if (o.command == "ptz" || o.command == "lens" || o.command == "preset" || o.command == "quality" ||
        o.command == "input" || o.command == "reboot")
      code = Control(s, o, reason);
  }
  if (s.has_node()) {
    s.node().CloseCommand();
    s.media().path().StopWorker();
  }
  if (pcm) std::fclose(pcm);
  return code;
}

}  // namespace cli
