#include "cli_session.h"

#include <algorithm>

namespace cli {
namespace {

constexpr int kLoginWaitMs = 30000;
constexpr int kListWaitMs = 15000;
constexpr int kChannelWaitMs = 15000;

net::ProxySettings ProxyFrom(const Options& o) {
  net::ProxySettings p;
  if (o.proxy_kind.empty()) return p;
  p.use_proxy = 1;
  p.version = o.proxy_kind == "socks4" ? 4 : o.proxy_kind == "socks5" ? 5 : 0;
  uint32_t ip = 0;
  os::ParseIpv4(o.proxy_host, &ip);
  p.SetAddress(ip);
  p.port = o.proxy_port;
  p.user_id = o.proxy_user;
  p.password = o.proxy_password;
  return p;
}

}  // namespace

// The first connection fails fast, as it always did; the reconnect policy
// holds from the first picture on (OpenCamera).
Session::Session(const Options& options)
    : options_(options), core_(runtime_, [&options] {
        app::LinkPolicy policy;
        policy.retry_wait_ms = options.retry_wait_ms;
        return policy;
      }) {
  os::NetStartup();
  hosting::HostingService& hosting = core_.MakeHosting(kMainWindow);
  hosting.SetProxy(ProxyFrom(options));
  hosting.SetHostReconnect(!options.no_reconnect);
  if (options.command == "watch" || options.command == "record") core_.event_log().AddListener(&printer_);
  runtime_.SetHandler(kMainWindow, [this](uint32_t m, uintptr_t w, intptr_t) { OnMainWindow(m, w); });
  runtime_.SetHandler(kViewFrame, [this](uint32_t m, uintptr_t w, intptr_t l) {
    if (m == os::kWmNodePosition) last_position_ = w;
    if (m == os::kWmNodeMotion && motion_handler_) motion_handler_(l != 0);
  });
  hosting.Start();
}

Session::~Session() {
  node_.reset();  // off the hosting lists and closed before the threads stop
  media_.reset();
  core_.StopHosting();
  core_.hosting().CloseHost();
  printer_.Print();
  core_.event_log().RemoveListener(&printer_);
}

void Session::OnMainWindow(uint32_t message, uintptr_t wparam) {
  if (message == os::kWmNodeNotice) {
    last_notice_ = static_cast<uint32_t>(wparam);
    notice_active_ = true;
  } else if (message == os::kWmNodeNoticeEnd && wparam != 0) {
    notice_active_ = false;
  }
  if (message != os::kWmHostEvent) return;
  hosting::HostEvent e;
  while (core_.events().Pop(&e)) {
    if (runtime_.Tell(e)) continue;
    if (hosting::Is<hosting::HostLoggedIn>(e)) {
      logged_in_ = true;
      host_closed_ = false;  // restored
    } else if (hosting::Is<hosting::HostClosed>(e)) {
      host_closed_ = true;
    } else if (auto* list = std::get_if<hosting::HostCameraList>(&e)) {
      cameras_ = list->cameras;
      camera_list_ = true;
    } else if (auto* files = std::get_if<hosting::HostFileList>(&e)) {
      files_ = files->files;
      lists_done_ = true;  // the file list is asked for after the camera list
    }
  }
}

int Session::ConnectHosting(std::string* reason) {
  if (core_.hosting().Connect({options_.host, options_.host_port, options_.user, options_.password}) != 0) {
    *reason = "cannot start the connection";
    return kExitFailed;
  }
  auto failed = [&] { return runtime_.Shown("ERROR_MESSAGE/ERROR_CONNREFUSED") || runtime_.Shown("ERROR_MESSAGE/ERROR_LOGIN_FAIL"); };
  runtime_.RunUntil([&] { return logged_in_ || failed() || host_closed_; }, kLoginWaitMs);
  if (logged_in_) return kExitOk;
  if (runtime_.Shown("ERROR_MESSAGE/ERROR_LOGIN_FAIL")) {
    *reason = "login refused by " + options_.host;
    return kExitRefused;
  }
  *reason = "cannot reach the hosting server " + options_.host + ":" + std::to_string(options_.host_port);
  return kExitUnreachable;
}

int Session::WaitForLists(std::string* reason) {
  if (!runtime_.RunUntil([&] { return lists_done_ || host_closed_; }, kListWaitMs) || !lists_done_) {
    *reason = "the hosting server sent no lists";
    return kExitFailed;
  }
  return kExitOk;
}

void Session::MakeNode(bool relay, const std::string& name, present::PictureSink* sink, present::PlaybackFeeder* feeder) {
  app::NodeSeat seat;
  seat.poster = &runtime_;
  seat.timers = &runtime_;
  seat.messages = &runtime_;
  seat.self = kNodeWindow;
  seat.parent = kViewFrame;
  seat.main_window = kMainWindow;
  seat.index = 1;
  seat.relay = relay;
  seat.display_name = name;
  const node::NodeContext ctx = core_.NodeContextFor(seat);
  media_ = std::make_unique<node::NodeMedia>(ctx.index, runtime_, node::NodeMedia::Windows{kViewFrame, kMainWindow},
                                             sink, feeder);
  media_->SetEventLog(&core_.event_log(), name);
  node_ = std::make_unique<node::CNodeWindow>(ctx, media_.get());
  runtime_.SetHandler(kNodeWindow, [this](uint32_t m, uintptr_t w, intptr_t l) { node_->HandleMessage(m, w, l); });
}

int Session::OpenCamera(const std::string& camera, present::PictureSink* sink, present::PlaybackFeeder* feeder,
                        std::string* reason) {
  if (!options_.host.empty()) {
    auto it = std::find_if(cameras_.begin(), cameras_.end(), [&](const auto& c) { return c.camera_id == camera; });
    if (it == cameras_.end()) {
      *reason = "camera " + camera + " is not online at the hosting server";
      return kExitNotFound;
    }
    MakeNode(true, camera, sink, feeder);
    node_->OpenRelayCamera(camera);
  } else {
    MakeNode(false, options_.camera + ":" + std::to_string(options_.camera_port), sink, feeder);
    core_.hosting().AddNode(node_.get());
    node::LoginInfo login{options_.camera, options_.camera_port, !options_.ddns.empty(), options_.ddns,
                          options_.user, options_.password};
    node_->SetAddress(login);
  }
  auto ready = [&] { return !node_->camera_id().empty() && node_->VideoChannelId() != net::kChannelNotFound; };
  auto given_up = [&] {
    return node_->connect_status() == node::kStatusLoginRefused || runtime_.Shown("ERROR_MESSAGE/ERROR_CAHNNEL_SETUP") ||
           (node_->connect_status() == node::kStatusCannotConnect && node_->video_connect_done());
  };
  runtime_.RunUntil([&] { return ready() || given_up(); }, kChannelWaitMs + 3 * options_.retry_wait_ms);
  if (ready()) {
    node_->SetKeepReconnecting(!options_.no_reconnect);
    return kExitOk;
  }
  if (node_->connect_status() == node::kStatusLoginRefused) {
    *reason = "login refused by the camera";
    return kExitRefused;
  }
  if (runtime_.Shown("ERROR_MESSAGE/ERROR_CAHNNEL_SETUP")) {
    *reason = "camera " + camera + " not found";
    return kExitNotFound;
  }
  *reason = options_.host.empty() ? "cannot reach the camera " + options_.camera + ":" + std::to_string(options_.camera_port)
                                  : "camera " + camera + " did not answer";
  return options_.host.empty() ? kExitUnreachable : kExitFailed;
}

int Session::OpenFile(const std::string& file, std::string* reason) {
  auto it = std::find_if(files_.begin(), files_.end(), [&](const auto& f) { return f.file_name == file; });
  if (it == files_.end()) {
    *reason = "file " + file + " is not stored at the hosting server";
    return kExitNotFound;
  }
  MakeNode(true, file, nullptr, nullptr);
  node_->OpenRelayFile(it->camera_id, file);
  runtime_.RunUntil([&] { return node_->VideoChannelId() != net::kChannelNotFound || runtime_.Shown("ERROR_MESSAGE/ERROR_CAHNNEL_SETUP"); },
                    kChannelWaitMs);
  if (node_->VideoChannelId() != net::kChannelNotFound) return kExitOk;
  *reason = "file " + file + " could not be opened";
  return runtime_.Shown("ERROR_MESSAGE/ERROR_CAHNNEL_SETUP") ? kExitNotFound : kExitFailed;
}

std::string Session::StateText() const {
  if (!node_) return "closed";
  if (node_->connect_status() == node::kStatusLoginRefused) return "login refused";
  if (node_->connect_status() == node::kStatusCannotConnect) return "cannot connect";
  if (!node_->camera_id().empty() && node_->VideoChannelId() != net::kChannelNotFound) return "streaming";
  return "connecting";
}

bool Session::FlushRequests(int timeout_ms) {
  auto empty = [&] {
    if (core_.hosting().HostConnected() && core_.hosting().HostPending() > 0) return false;
    for (net::SocketChannel* c : {node_->VideoChannel(), node_->AudioChannel()})
      if (c && c->IsOpen() && c->pending() > 0) return false;
    return true;
  };
  return runtime_.RunUntil(empty, timeout_ms);
}

}  // namespace cli
