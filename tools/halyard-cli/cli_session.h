#pragma once
// One run of halyard-cli: the same HostingService, node link, media path and
// recorder as the viewer, driven from the console.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/program_core.h"
#include "cli_options.h"
#include "cli_runtime.h"
#include "hosting/hosting_service.h"
#include "net/list_records.h"
#include "event_printer.h"
#include "node/events/event_log.h"
#include "node/media/node_media.h"
#include "node/link/node_window.h"

namespace cli {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUnreachable = 2, kExitRefused = 3, kExitNotFound = 4 };

class Session {
 public:
  static constexpr os::WindowHandle kMainWindow = 1, kViewFrame = 2, kNodeWindow = 3, kEventWindow = 4;

  explicit Session(const Options& options);
  ~Session();

  // Each returns an exit code; kExitOk when the step succeeded. `reason`
  // receives a one-line explanation otherwise.
  int ConnectHosting(std::string* reason);
  int WaitForLists(std::string* reason);
  // The view of CAM (from the hosting list, or the --camera server itself),
  // with its media going to `sink` and `feeder` (either may be null).
  int OpenCamera(const std::string& camera, present::PictureSink* sink, present::PlaybackFeeder* feeder, std::string* reason);
  int OpenFile(const std::string& file, std::string* reason);

  Runtime& runtime() { return runtime_; }
  node::EventLog& event_log() { return core_.event_log(); }
  hosting::HostingService& hosting() { return core_.hosting(); }
  bool has_node() const { return node_ != nullptr; }
  node::CNodeWindow& node() { return *node_; }
  node::NodeMedia& media() { return *media_; }
  const std::vector<net::CameraRecord>& cameras() const { return cameras_; }
  const std::vector<net::FileRecord>& files() const { return files_; }
  uint32_t last_notice() const { return last_notice_; }
  bool notice_active() const { return notice_active_; }
  uint64_t last_position() const { return last_position_; }
  // The hosting server's connection closed after login.
  bool host_closed() const { return host_closed_; }
  // "streaming", "connecting", "cannot connect", "login refused" or "closed".
  std::string StateText() const;
  // Called on the console's thread when a motion starts or ends.
  void OnMotion(std::function<void(bool started)> handler) { motion_handler_ = std::move(handler); }
  // Runs until every queued request of the node has left the program.
  bool FlushRequests(int timeout_ms);

 private:
  void OnMainWindow(uint32_t message, uintptr_t wparam);
  // `name`: the camera as the events name it.
  void MakeNode(bool relay, const std::string& name, present::PictureSink* sink, present::PlaybackFeeder* feeder);

  const Options& options_;
  Runtime runtime_;
  // The hosting client and the event log (what happened to the link and
  // the recording, printed as it happens by watch and record), as the
  // viewer makes them; declared before everything that uses them.
  app::ProgramCore core_;
  EventPrinter printer_{runtime_, kEventWindow};
  std::unique_ptr<node::NodeMedia> media_;
  std::unique_ptr<node::CNodeWindow> node_;
  bool logged_in_ = false, host_closed_ = false, lists_done_ = false, camera_list_ = false;
  std::vector<net::CameraRecord> cameras_;
  std::vector<net::FileRecord> files_;
  uint32_t last_notice_ = 0;
  bool notice_active_ = false;
  uint64_t last_position_ = 0;
  std::function<void(bool)> motion_handler_;
};

}  // namespace cli
