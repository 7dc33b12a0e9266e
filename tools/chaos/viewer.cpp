#include "viewer.h"

#include <cmath>
#include <filesystem>

#include "fault_schedule.h"

#include "os/clock.h"
#include "os/file.h"
#include "record/recording_journal.h"

namespace chaos {
namespace {

constexpr os::WindowHandle kMainWindow = 1, kViewFrame = 2;
// A direct view whose link has been down, with no attempt running, this long has given up.
constexpr uint64_t kGivenUpMs = 1500;
// A relayed view without a video channel this long, its hosting connection up, is stuck.
constexpr uint64_t kNoChannelMs = 8000;
constexpr int kHostLoginWaitMs = 15000;
constexpr int kHostRetryMs = 500;
// The hosting connection restores itself with waits a tenth of the viewer's.
const net::ReconnectWaits kHostWaits{6000, {100, 200, 400, 800, 1000}};

}  // namespace

void Runtime::ShowMessage(const std::string& section, const std::string& key, const std::string&,
                          const std::vector<os::MessageArg>&) {
  if (std::this_thread::get_id() != ui_thread_) ++off_thread_;
  std::lock_guard<std::mutex> lock(mutex_);
  ++shown_[section + "/" + key];
}

int Runtime::Shown(const std::string& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = shown_.find(key);
  return it == shown_.end() ? 0 : it->second;
}

std::string Runtime::ShownSummary() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string text;
  for (const auto& [key, count] : shown_) text += (text.empty() ? "" : ", ") + key + " " + std::to_string(count);
  return text.empty() ? "none" : text;
}

bool ToneInput::Open(Client& client) {
  client_ = &client;
  return true;
}

bool ToneInput::Start() {
  Stop();
  stop_.Reset();
  thread_ = std::thread([this] {
    // A second of tone, half a second of silence: speech-like enough for the voice detector.
    std::vector<int16_t> block(kBufferBytes / 2);
    for (uint64_t n = 0; !stop_.Wait(64); ++n) {
      const bool voiced = n % 24 < 16;
      for (size_t i = 0; i < block.size(); ++i)
        block[i] = voiced ? static_cast<int16_t>(3000 * std::sin(2 * 3.14159265 * 440 * static_cast<double>(i) / 8000))
                          : 0;
      client_->OnWaveBlock(block.data(), static_cast<int>(block.size()));
    }
  });
  return true;
}

void ToneInput::Stop() {
  stop_.Set();
  if (thread_.joinable()) thread_.join();
}

Viewer::Viewer(Runtime& runtime, Config config)
    : runtime_(runtime),
      config_(std::move(config)),
      random_(config_.seed),
      core_(runtime_,
            [this] {
              app::LinkPolicy policy;
              policy.retry_wait_ms = config_.retry_wait_ms;
              return policy;
            }),
      hosting_(core_.MakeHosting(kMainWindow)),
      events_(core_.events()),
      speaker_links_(hosting_),
      microphone_(tone_, speaker_links_) {
  runtime_.SetHandler(kMainWindow, [this](uint32_t m, uintptr_t, intptr_t) { OnMainWindow(m); });
  hosting_.SetHostReconnect(true, kHostWaits);
  hosting_.SetKeepAlive(kKeepAliveIdleMs, kKeepAliveDeadlineMs);
  hosting_.Start();
  int index = 0;
  for (const Camera& c : config_.cameras) {
    views_.push_back(std::make_unique<View>());
    views_.back()->index = index++;
    views_.back()->camera = c.id;
  }
  for (int i = 0; i < config_.relay_views; ++i) {
    views_.push_back(std::make_unique<View>());
    views_.back()->index = index++;
    views_.back()->relay = true;
  }
  next_action_ms_ = os::MonotonicMs();
  if (!config_.all_open) return;
  for (auto& v : views_) {
    if (v->relay)
      v->state = State::kOpen;  // opened once the hosting connection is up
    else
      Open(*v);
  }
}

Viewer::~Viewer() {
  CloseAll();
  hosting_.Stop();
  runtime_.Forget(kMainWindow);
}

void Viewer::OnMainWindow(uint32_t message) {
  if (message != os::kWmHostEvent) return;
  hosting::HostEvent e;
  while (events_.Pop(&e)) {
    runtime_.Tell(e);
    if (hosting::Is<hosting::HostLoggedIn>(e)) host_logged_in_ = true;
  }
}

void Viewer::Step(bool act) {
  doing_ = "keeping the hosting connection";
  KeepHostingUp();
  for (auto& v : views_) {
    doing_ = "keeping the views open";
    KeepViewsUp(*v);
  }
  if (settled_) {
    for (auto& v : views_)
      if (v->state == State::kOpen && !v->streaming_again_ms && v->media->path().FramesShown() > v->frames_mark)
        v->streaming_again_ms = os::MonotonicMs();
  }
  if (act && !settled_ && os::MonotonicMs() >= next_action_ms_) {
    Act();
    next_action_ms_ = os::MonotonicMs() + std::uniform_int_distribution<uint64_t>(50, 400)(random_);
  }
  doing_ = "delivering messages";
}

// The hosting connection, connected again whenever it is down, as a user
// would from the server list.
void Viewer::KeepHostingUp() {
  const uint64_t now = os::MonotonicMs();
  const int refusals = runtime_.Shown("ERROR_MESSAGE/ERROR_CONNREFUSED") + runtime_.Shown("ERROR_MESSAGE/ERROR_LOGIN_FAIL");
  switch (host_) {
    case Host::kDown:
      if (now < host_retry_ms_ || hosting_.HostConnected()) break;
      host_logged_in_ = false;
      host_refusals_seen_ = refusals;
      if (hosting_.Connect({"127.0.0.1", config_.hosting_port, "demo", "demo"}) == 0) {
        host_ = Host::kConnecting;
        host_since_ms_ = now;
        ++actions_["hosting connect"];
      }
      break;
    case Host::kConnecting:
      if (host_logged_in_ && hosting_.HostConnected()) {
        host_ = Host::kUp;
      } else if (refusals != host_refusals_seen_ || now - host_since_ms_ > kHostLoginWaitMs) {
        if (now - host_since_ms_ > kHostLoginWaitMs) ++actions_["hosting login never answered"];
        hosting_.CloseHost();
        host_ = Host::kDown;
        host_retry_ms_ = now + kHostRetryMs;
      }
      break;
    case Host::kUp:
      if (hosting_.HostConnected()) break;
      // Lost: the hosting client restores it by itself (its first attempt
      // at once), unless the loss ended it.
      host_logged_in_ = false;
      host_since_ms_ = now;
      host_ = Host::kRestoring;
      break;
    case Host::kRestoring:
      if (host_logged_in_ && hosting_.HostConnected()) {
        ++actions_["hosting connection restored by itself"];
        host_ = Host::kUp;
      } else if (now - host_since_ms_ > kHostLoginWaitMs ||
                 (now - host_since_ms_ > kHostRetryMs && hosting_.host_attempt() == 0 && !hosting_.HostConnected())) {
        ++actions_["hosting connection not restored: connected by hand"];
        host_ = Host::kDown;
        host_retry_ms_ = now;
      }
      break;
  }
}

void Viewer::KeepViewsUp(View& v) {
  if (v.state != State::kOpen) return;
  const uint64_t now = os::MonotonicMs();
  if (!v.relay) {
    node::CNodeWindow& n = *v.node;
    const bool down = n.video_connect_done() && !n.VideoChannel()->IsOpen() && n.camera_id().empty();
    if (!down) {
      v.down_since_ms = 0;
    } else if (v.down_since_ms == 0) {
      v.down_since_ms = now;
    } else if (now - v.down_since_ms >= kGivenUpMs) {
      // Three attempts failed: the user tells the view to connect again.
      ++actions_["direct view gave up: connected again"];
      Resume(v);
    }
    return;
  }
  if (host_ != Host::kUp || v.preset_busy) return;
  if (!v.node) {
    Open(v);
    return;
  }
  const bool closed = v.node->camera_id().empty();
  const bool no_channel = v.node->VideoChannelId() == net::kChannelNotFound;
  if (!closed && !no_channel) {
    v.down_since_ms = 0;
    return;
  }
  // Closed with the hosting connection, it comes back with it; without a
  // channel it asks again by itself. Only a view that stays so is reopened.
  if (v.down_since_ms == 0) v.down_since_ms = now;
  if (now - v.down_since_ms < kNoChannelMs) return;
  ++actions_[closed ? "relayed view not back with the hosting connection: reopened"
                    : "relayed view got no channel: reopened"];
  Close(v);
  Open(v);
}

Viewer::View* Viewer::Pick(State state, bool direct_only) {
  std::vector<View*> candidates;
  for (auto& v : views_)
    if (v->state == state && !(direct_only && v->relay) && !v->preset_busy) candidates.push_back(v.get());
  if (candidates.empty()) return nullptr;
  return candidates[std::uniform_int_distribution<size_t>(0, candidates.size() - 1)(random_)];
}

void Viewer::Act() {
  enum Action { kOpenView, kCloseView, kStopLink, kResumeLink, kRecord, kAskPreset, kGoToPreset, kSpeaker, kSound,
                kMicrophone, kMotion, kActions };
  static constexpr int kWeights[kActions] = {5, 2, 1, 2, 3, 2, 1, 2, 1, 1, 1};
  int total = 0;
  for (int w : kWeights) total += w;
  int draw = std::uniform_int_distribution<int>(0, total - 1)(random_);
  int action = 0;
  while (draw >= kWeights[action]) draw -= kWeights[action++];
  View* v = nullptr;
  switch (action) {
    case kOpenView:
      if ((v = Pick(State::kClosed)) && (!v->relay || host_ == Host::kUp)) {
        doing_ = "opening a view";
        Open(*v);
        ++actions_["open"];
      }
      break;
    case kCloseView:
      if ((v = Pick(State::kOpen)) || (v = Pick(State::kStopped))) {
        doing_ = "closing a view";
        Close(*v);
        ++actions_["close"];
      }
      break;
    case kStopLink:
      if ((v = Pick(State::kOpen))) {
        doing_ = "stopping a view's link (Close in its menu)";
        Stop(*v);
        ++actions_["stop link"];
      }
      break;
    case kResumeLink:
      if ((v = Pick(State::kStopped)) && (!v->relay || host_ == Host::kUp)) {
        doing_ = "resuming a view's link";
        Resume(*v);
        ++actions_["resume link"];
      }
      break;
    case kRecord:
      if ((v = Pick(State::kOpen))) {
        doing_ = "starting or stopping a recording";
        ToggleRecording(*v);
      }
      break;
    case kAskPreset:
      if ((v = Pick(State::kOpen, true))) {
        doing_ = "asking for a PTZ position or preset editing";
        AskPreset(*v);
      }
      break;
    case kGoToPreset:
      if ((v = Pick(State::kOpen))) {
        doing_ = "going to a preset";
        const int preset = std::uniform_int_distribution<int>(1, node::CameraControl::kPresetMaximum)(random_);
        v->node->Control().PresetGoto(preset);
        ++actions_["preset go-to"];
      }
      break;
    case kSpeaker:
      if ((v = Pick(State::kOpen, true))) {
        doing_ = "switching the speaker";
        v->node->ToggleSpeaker();
        ++actions_["speaker switch"];
      }
      break;
    case kSound:
      if ((v = Pick(State::kOpen))) {
        doing_ = "switching the sound";
        v->node->ToggleAudio();
        ++actions_["sound switch"];
      }
      break;
    case kMicrophone:
      doing_ = "switching the microphone";
      // Mostly on: the speaker sender has something to send.
      if (microphone_.IsOn() && random_() % 3 == 0)
        microphone_.Off();
      else if (!microphone_.IsOn())
        microphone_.On();
      ++actions_["microphone switch"];
      break;
    case kMotion:
      if ((v = Pick(State::kOpen))) {
        doing_ = "switching motion detection";
        node::NodeMediaPath& path = v->media->path();
        path.motion().SetMotionDetection(!path.motion().MotionDetectionOn(), 5, node::MotionDetector::Mask());
        ++actions_["motion detection switch"];
      }
      break;
    default:
      break;
  }
}

void Viewer::Open(View& v) {
  if (v.relay) {
    // One relayed view per camera, as the main window allows: the hosting
    // server's replies name the camera, not the view.
    std::vector<std::string> free;
    for (const Camera& c : config_.cameras) {
      bool relayed = false;
      for (const auto& other : views_) relayed = relayed || (other->relay && other->node && other->camera == c.id);
      if (!relayed) free.push_back(c.id);
    }
    if (free.empty()) {
      v.state = State::kClosed;
      return;
    }
    v.camera = free[std::uniform_int_distribution<size_t>(0, free.size() - 1)(random_)];
  }
  // Each view window is a new window, as in Win32: messages posted to a closed one reach nobody.
  v.window = next_window_++;
  app::NodeSeat seat;
  seat.poster = &runtime_;
  seat.timers = &runtime_;
  seat.messages = &runtime_;
  seat.self = v.window;
  seat.parent = kViewFrame;
  seat.main_window = kMainWindow;
  seat.index = v.index;
  seat.relay = v.relay;
  seat.display_name = v.camera;
  const node::NodeContext ctx = core_.NodeContextFor(seat);
  v.media = std::make_unique<node::NodeMedia>(v.index, runtime_, node::NodeMedia::Windows{kViewFrame, kMainWindow},
                                              nullptr, nullptr);
  v.node = std::make_unique<node::CNodeWindow>(ctx, v.media.get());
  node::CNodeWindow* n = v.node.get();
  runtime_.SetHandler(v.window, [n](uint32_t m, uintptr_t w, intptr_t l) { n->HandleMessage(m, w, l); });
  v.state = State::kOpen;
  v.down_since_ms = 0;
  v.frames_mark = 0;
  v.streaming_again_ms = 0;
  if (v.relay) {
    n->OpenRelayCamera(v.camera);
  } else {
    hosting_.AddNode(n);
    Resume(v);
  }
}

// The view window closes: its node first (off the lists, link closed,
// connect threads ended), then its media side, as the view's teardown does.
void Viewer::Close(View& v) {
  if (!v.node || v.preset_busy) return;
  if (v.preset_wait.joinable()) v.preset_wait.join();
  if (random_() % 2) v.node->CloseCommand();
  runtime_.Forget(v.window);
  v.node.reset();
  v.media.reset();
  v.state = State::kClosed;
}

void Viewer::Stop(View& v) {
  v.node->CloseCommand();
  v.state = State::kStopped;
}

void Viewer::Resume(View& v) {
  v.down_since_ms = 0;
  v.state = State::kOpen;
  if (v.relay) {
    v.node->OpenRelayCamera(v.camera);
    return;
  }
  for (const Camera& c : config_.cameras)
    if (c.id == v.camera) v.node->SetAddress({"127.0.0.1", c.port, false, "", "demo", "demo"});
}

void Viewer::ToggleRecording(View& v) {
  node::NodeRecorder& recorder = v.media->recorder();
  if (recorder.IsRecording()) {
    recorder.Stop();
    ++actions_["recording stop"];
    return;
  }
  const std::string path = config_.folder + "/" + v.camera + "-" + std::to_string(++recording_serial_) + ".mp4";
  ++actions_[recorder.Start(path) == 0 ? "recording start" : "recording start refused (no camera yet)"];
}

void Viewer::AskPreset(View& v) {
  if (v.preset_wait.joinable()) v.preset_wait.join();
  v.preset_busy = true;
  const bool editing = random_() % 2;
  ++actions_[editing ? "preset editing asked" : "PTZ position asked"];
  node::CameraControl* control = &v.node->Control();
  std::atomic<bool>* busy = &v.preset_busy;
  // The wait runs on a worker, as the preset dialog's does; the view stays open until it ends.
  v.preset_wait = std::thread([this, control, busy, editing] {
    net::PtzPosition position;
    const bool answered = editing ? control->EnablePresetEditing() : control->QueryPtzPosition(&position);
    ++(answered ? preset_answers_ : preset_timeouts_);
    *busy = false;
  });
}

void Viewer::Settle() {
  settled_ = true;
  for (auto& v : views_) {
    if (v->media) v->frames_mark = v->media->path().FramesShown();
    v->streaming_again_ms = 0;
  }
}

std::string Viewer::Slowest(uint64_t* when_ms) {
  View* slowest = nullptr;
  for (auto& v : views_)
    if (v->state == State::kOpen && (!slowest || v->streaming_again_ms > slowest->streaming_again_ms))
      slowest = v.get();
  *when_ms = slowest ? slowest->streaming_again_ms : 0;
  return slowest ? Describe(*slowest) : std::string();
}

int Viewer::OpenViews() const {
  int n = 0;
  for (const auto& v : views_) n += v->state == State::kOpen;
  return n;
}

std::string Viewer::Describe(View& v) {
  node::CNodeWindow& n = *v.node;
  std::string text = (v.relay ? "relayed view of " : "direct view of ") + v.camera;
  text += ": camera " + (n.camera_id().empty() ? std::string("not identified") : "identified");
  text += n.VideoChannelId() == net::kChannelNotFound ? ", no video channel" : ", video channel";
  if (!v.relay) {
    text += n.VideoChannel()->IsOpen() ? ", link up" : ", link down";
    text += n.video_connect_done() ? "" : ", connecting";
    text += ", status " + std::to_string(n.connect_status());
  } else {
    text += hosting_.HostConnected() ? ", hosting connected" : ", hosting not connected";
  }
  text += ", " + std::to_string(v.media->path().FramesShown()) + " pictures in all";
  return text;
}

std::vector<std::string> Viewer::Lagging() {
  std::vector<std::string> lagging;
  for (auto& v : views_)
    if (v->state == State::kOpen && v->media->path().FramesShown() <= v->frames_mark) lagging.push_back(Describe(*v));
  return lagging;
}

void Viewer::RemoveFinishedRecordings() {
  std::vector<std::string> recording;
  for (auto& v : views_)
    if (v->media && v->media->recorder().IsRecording()) recording.push_back(v->media->recorder().Path());
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(config_.folder, error)) {
    const std::string path = entry.path().string();
    if (entry.path().extension() != ".mp4" || os::FileExists(record::JournalPathFor(path))) continue;
    bool in_use = false;
    for (const std::string& r : recording) in_use = in_use || std::filesystem::equivalent(r, path, error);
    if (!in_use) std::filesystem::remove(entry.path(), error);
  }
}

void Viewer::CloseAll() {
  doing_ = "closing every view";
  microphone_.Off();
  for (auto& v : views_)
    if (v->preset_wait.joinable()) v->preset_wait.join();
  for (auto& v : views_) Close(*v);
  hosting_.CloseHost();
}

std::string Viewer::Summary() {
  std::string text;
  for (const auto& [what, count] : actions_) text += (text.empty() ? "" : ", ") + what + " " + std::to_string(count);
  text += "; preset waits answered " + std::to_string(preset_answers_.load()) + ", timed out " +
          std::to_string(preset_timeouts_.load());
  return text;
}

}  // namespace chaos
