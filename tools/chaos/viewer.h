#pragma once
// The user of a chaos run: Halyard's own core (hosting client, nodes, media
// paths, recorders, microphone and speaker sender) with no windows, driven at
// seeded random moments: it opens and closes camera views (direct ones on
// each camera's own server, relayed ones through the hosting server), stops
// and resumes their links, records them into a folder and stops recording,
// asks for PTZ positions and preset editing, goes to presets, switches sound,
// speaker, microphone and motion detection.
//
// Where the viewer gives up by design, the user does what a user would:
// a direct view stops trying after three failed attempts, so the user tells
// it to connect again. The hosting connection restores itself after a loss
// (a drop, a broken message, a server fallen silent) and its relayed views
// come back with it; only where that fails (a refused login, a server away
// too long) does the user connect again, and a relayed view that stays
// without a channel is reopened by hand. Each such step is counted and
// reported.
//
// Threads: everything here runs on the user-interface thread (the one that
// runs the runtime), except the preset waits, which run on a worker each as
// the preset dialog's do, and the fake microphone's wave thread. A view is
// never closed while its preset wait runs.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli_runtime.h"
#include "app/program_core.h"
#include "hosting/hosting_service.h"
#include "node/media/node_media.h"
#include "node/link/node_window.h"
#include "present/microphone.h"
#include "app/view/node_speaker_links.h"

namespace chaos {

// The window system's stand-in: user-visible messages are counted by key,
// not printed (a chaos run shows hundreds of "cannot connect"). Like message
// boxes, they belong to the user-interface thread (the one that made the
// runtime): one shown from any other thread is counted as a fault.
class Runtime : public cli::Runtime {
 public:
  void ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                   const std::vector<os::MessageArg>& args) override;
  int Shown(const std::string& key);
  std::string ShownSummary();
  // Messages shown from a thread other than the user-interface thread.
  int ShownOffThread() const { return off_thread_; }

 private:
  const std::thread::id ui_thread_ = std::this_thread::get_id();
  std::atomic<int> off_thread_{0};
  std::mutex mutex_;
  std::map<std::string, int> shown_;
};

// A wave-in device that hands a tone to the capture every 64 ms on a thread
// of its own, as the system's wave thread would.
class ToneInput : public present::WaveInput {
 public:
  ~ToneInput() override { Stop(); }
  bool Probe() override { return true; }
  bool Open(Client& client) override;
  bool Start() override;
  void Stop() override;
  void Close() override {}

 private:
  Client* client_ = nullptr;
  std::thread thread_;
  os::Event stop_{os::Event::Reset::kManual};
};

class Viewer {
 public:
  struct Camera {
    std::string id;
    uint16_t port;
  };
  struct Config {
    std::vector<Camera> cameras;  // one direct view each
    int relay_views = 4;          // views through the hosting server, of any camera
    uint16_t hosting_port = 0;
    std::string folder;           // recordings go here
    uint64_t seed = 0;
    // Between a direct view's connect attempts. The viewer's 60 s is cut
    // the way its tests cut it, so that the retries happen within a run.
    int retry_wait_ms = 2000;
    // Every view opens at the start (a wall of views), not one by one.
    bool all_open = false;
    bool verbose = false;
  };

  Viewer(Runtime& runtime, Config config);
  ~Viewer();  // closes every view

  // One pass on the user-interface thread: keeps the hosting connection and
  // the views the user wants open, and, when `act`, does the next random
  // action once it is due.
  void Step(bool act);
  // Faults are over: from now on every view the user wants open must show a
  // new picture. Stops random actions' effects that would prevent it.
  void Settle();
  // The views wanted open that have shown no picture since Settle, each
  // with what it is doing.
  std::vector<std::string> Lagging();
  int OpenViews() const;
  // The view that took longest to show a new picture after Settle, and when it did.
  std::string Slowest(uint64_t* when_ms);
  // Removes finished recordings from the folder (long runs).
  void RemoveFinishedRecordings();
  void CloseAll();
  std::string Summary();
  // For the watchdog: what the user-interface thread is doing.
  const char* doing() const { return doing_; }

 private:
  enum class State { kClosed, kOpen, kStopped };
  struct View {
    int index = 0;
    bool relay = false;
    std::string camera;
    State state = State::kClosed;
    os::WindowHandle window = 0;
    std::unique_ptr<node::NodeMedia> media;
    std::unique_ptr<node::CNodeWindow> node;
    uint64_t down_since_ms = 0;   // 0 while the link is up or trying
    uint64_t frames_mark = 0;     // pictures shown when the run settled
    uint64_t streaming_again_ms = 0;  // when it showed the first picture after that
    std::thread preset_wait;
    std::atomic<bool> preset_busy{false};
  };
  enum class Host { kDown, kConnecting, kUp, kRestoring };

  void OnMainWindow(uint32_t message);
  void KeepHostingUp();
  void KeepViewsUp(View& v);
  void Act();
  void Open(View& v);
  void Close(View& v);
  void Stop(View& v);
  void Resume(View& v);
  void ToggleRecording(View& v);
  void AskPreset(View& v);
  View* Pick(State state, bool direct_only = false);
  std::string Describe(View& v);

  Runtime& runtime_;
  Config config_;
  std::mt19937_64 random_;
  // The hosting client and its event queue, as the viewer makes them.
  app::ProgramCore core_;
  hosting::HostingService& hosting_;
  hosting::HostEventQueue& events_;
  app::view::NodeSpeakerLinks speaker_links_;
  ToneInput tone_;
  present::Microphone microphone_;
  std::vector<std::unique_ptr<View>> views_;
  os::WindowHandle next_window_ = 100;
  Host host_ = Host::kDown;
  uint64_t host_since_ms_ = 0, host_retry_ms_ = 0;
  int host_refusals_seen_ = 0;
  bool host_logged_in_ = false;  // a login event since the last Connect
  uint64_t next_action_ms_ = 0;
  uint64_t recording_serial_ = 0;
  bool settled_ = false;
  std::map<std::string, int> actions_;
  std::atomic<int> preset_answers_{0}, preset_timeouts_{0};
  std::atomic<const char*> doing_{"starting"};
};

}  // namespace chaos
