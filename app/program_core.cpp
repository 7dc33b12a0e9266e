#include "app/program_core.h"

#include "hosting/host_event_queue.h"
#include "hosting/hosting_service.h"
#include "node/events/event_file.h"

namespace app {

ProgramCore::ProgramCore(os::WindowPoster& poster, std::function<LinkPolicy()> policy)
    : poster_(poster), policy_(std::move(policy)) {
  if (!policy_) policy_ = [] { return LinkPolicy{}; };
}

ProgramCore::~ProgramCore() {
  StopHosting();
  hosting_.reset();
  events_.reset();
  WriteEventsTo("");
}

void ProgramCore::WriteEventsTo(const std::string& folder) {
  if (event_file_) {
    event_log_.RemoveListener(event_file_.get());
    event_file_.reset();  // writes what is queued
  }
  if (folder.empty()) return;
  event_file_ = std::make_unique<node::EventFileWriter>(folder);
  event_log_.AddListener(event_file_.get());
}

hosting::HostingService& ProgramCore::MakeHosting(os::WindowHandle main_window) {
  if (!hosting_) {
    events_ = std::make_unique<hosting::HostEventQueue>(poster_, main_window);
    hosting_ = std::make_unique<hosting::HostingService>(*events_, poster_);
  }
  return *hosting_;
}

void ProgramCore::StopHosting() {
  if (hosting_) hosting_->Stop();
}

node::NodeContext ProgramCore::NodeContextFor(const NodeSeat& seat) {
  const LinkPolicy policy = policy_();
  node::NodeContext ctx;
  ctx.hosting = hosting_.get();
  ctx.events = events_.get();
  ctx.event_log = &event_log_;
  ctx.poster = seat.poster;
  ctx.timers = seat.timers;
  ctx.messages = seat.messages;
  ctx.dynamic_ip = seat.dynamic_ip;
  ctx.self = seat.self;
  ctx.parent = seat.parent ? seat.parent : seat.self;
  ctx.main_window = seat.main_window ? seat.main_window : seat.self;
  ctx.index = seat.index;
  ctx.relay = seat.relay;
  ctx.display_name = seat.display_name;
  ctx.keep_reconnecting = seat.unattended || policy.keep_reconnecting;
  ctx.retry_wait_ms = policy.retry_wait_ms;
  ctx.reconnect_waits_ms = policy.reconnect_waits_ms;
  ctx.stall_ms = policy.stall_ms;
  return ctx;
}

}  // namespace app
