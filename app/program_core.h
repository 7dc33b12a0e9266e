#pragma once
// What every part of the program shares, made in one place: the event log
// and its daily file, the hosting client with the queue its events wait in,
// the table of node slots, and how a node's link is set up. Halyard.exe,
// halyard-cli and the tests each build one the same way, and every node's
// context is filled here, from the shared parts and the node's own seat.
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/node_slots.h"
#include "net/reconnect_policy.h"
#include "node/events/event_log.h"
#include "node/link/node_window.h"
#include "os/window_seam.h"

namespace hosting {
class HostEventQueue;
class HostingService;
}  // namespace hosting
namespace node {
class EventFileWriter;
}  // namespace node

namespace app {

// How links behave. The program reads it from the settings each time a link
// is made (the user may change them while it runs); tools and tests fix it.
struct LinkPolicy {
  bool keep_reconnecting = false;  // the viewer option "Keep reconnecting"
  int stall_ms = 10000;            // a live link without video this long is healed (0: never)
  int retry_wait_ms = 60000;       // between connect attempts of a link that gives up
  std::array<int, 5> reconnect_waits_ms = net::ReconnectWaits{}.growing_ms;
};

// Where one node sits: the seams it posts and sets timers through, its
// windows, its slot and what it is called.
struct NodeSeat {
  os::WindowPoster* poster = nullptr;
  os::WindowTimers* timers = nullptr;
  os::UserMessages* messages = nullptr;
  node::DynamicIpStore* dynamic_ip = nullptr;
  os::WindowHandle self = 0;
  os::WindowHandle parent = 0;       // 0: self
  os::WindowHandle main_window = 0;  // 0: self
  int index = 0;
  bool relay = false;
  std::string display_name;
  // Nobody sits at it (a recording plan's or a wall's link): it never gives up.
  bool unattended = false;
};

class ProgramCore {
 public:
  // `poster` rings the windows of the program's thread; `policy` is asked
  // for each link made.
  ProgramCore(os::WindowPoster& poster, std::function<LinkPolicy()> policy);
  ~ProgramCore();  // the hosting client stopped, the event file written out
  ProgramCore(const ProgramCore&) = delete;
  ProgramCore& operator=(const ProgramCore&) = delete;

  // The event log also goes to a daily file in `folder` (empty: none).
  void WriteEventsTo(const std::string& folder);
  // Makes the hosting client, whose events ring `main_window`; the caller
  // sets its proxy and reconnect and starts it. Once only.
  hosting::HostingService& MakeHosting(os::WindowHandle main_window);
  // Stops the hosting client's threads (the program's end); safe twice.
  void StopHosting();
  bool has_hosting() const { return hosting_ != nullptr; }

  hosting::HostingService& hosting() { return *hosting_; }
  hosting::HostEventQueue& events() { return *events_; }
  node::EventLog& event_log() { return event_log_; }
  NodeSlotTable& slots() { return slots_; }
  LinkPolicy policy() const { return policy_(); }

  // A node's whole context: the shared parts, the link policy of now and the seat.
  node::NodeContext NodeContextFor(const NodeSeat& seat);

 private:
  os::WindowPoster& poster_;
  std::function<LinkPolicy()> policy_;
  // Declared first: the hosting client and the nodes report to it to the end.
  node::EventLog event_log_;
  std::unique_ptr<node::EventFileWriter> event_file_;
  std::unique_ptr<hosting::HostEventQueue> events_;
  std::unique_ptr<hosting::HostingService> hosting_;
  NodeSlotTable slots_;
};

}  // namespace app
