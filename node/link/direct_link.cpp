// The direct link's life on the window's thread and its connect threads:
// the video link with its attempts and retries, the audio link on demand,
// and the optional dynamic-IP lookup before each.
#include "node/link/direct_link.h"

#include "net/ddns_lookup.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "os/local_time.h"

namespace node {
namespace {

// The dynamic-IP server's own address and port: a camera is never there, so
// a node told to connect to it directly refuses.
constexpr const char* kDefaultServerAddress = "127.0.0.1";
constexpr uint16_t kDynamicIpServerPort = 8001;

}  // namespace

DirectLink::DirectLink(const NodeContext& ctx, MediaConsumer* media, hosting::HostedNode& node, CameraControl& control)
    : Link(ctx, media, node, control, "Not found at the camera"),
      reconnect_(ctx.keep_reconnecting, net::ReconnectWaits{ctx.retry_wait_ms, ctx.reconnect_waits_ms}) {}

DirectLink::~DirectLink() {
  video_connect_.Join();
  audio_connect_.Join();
}

void DirectLink::HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case os::kWmNodeStartConnect:
      StartVideoConnect();
      break;
    case os::kWmNodeStartAudio:
      StartAudioConnect();
      break;
    case os::kWmNodeCameraIdentified:
      OnCameraIdentified();
      break;
    default:
      Link::HandleMessage(message, wparam, lparam);
      break;
  }
}

void DirectLink::Destroy() {
  // A connect thread holds the node's guard through its wait between
  // attempts: it must be told to stop before the hosting list waits for the
  // guard, or closing a view that waits to reconnect hangs for 30 s.
  no_retry_ = true;
  stop_.Set();
  Link::Destroy();
}

void DirectLink::StopTransport() {
  reconnect_.LinkDown(os::MonotonicMs());
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    identified_camera_.clear();
  }
  stop_.Set();
  watchdog_.Disarm();
  video_.Close();
  WaitForConnectThread(video_connect_, "video");
  audio_.Close();
  WaitForConnectThread(audio_connect_, "audio");
  video_socket_ = os::kInvalidSocket;
  audio_socket_ = os::kInvalidSocket;
  audio_link_ready_ = false;
}

bool DirectLink::AnnounceClose(const std::string& camera, bool restoring) {
  if (ctx_.events) ctx_.events->Push(hosting::DirectNodeClosed{});
  return restoring && !camera.empty() && link_events_.LinkLost();
}

void DirectLink::AfterClose(bool restoring) {
  LogCloseEnd(restoring);
  if (restoring) CS_Reconnect();
}

void DirectLink::DeliverMedia(const net::MediaData& media) {
  if (media.kind == net::kMediaVideoFrame) reconnect_.LinkWorks();
  Link::DeliverMedia(media);
}

LoginInfo DirectLink::login() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return login_;
}

void DirectLink::ToggleChannel(int which, uint32_t kind) {
  if (camera_id().empty() || !ctx_.hosting) return;
  if (!audio_link_ready_) {
    RequestAudioLink();
    return;
  }
  const ChannelEntry c = channel(which);
  if (c.id == net::kChannelNotFound) {
    user_asked_ = true;
    ctx_.hosting->RequestChannelSetup(&audio_, kind, camera_id());
  } else {
    ctx_.hosting->RequestChannelCommand(&audio_, c.id, c.active ? net::kCommandMenu : net::kCommandStart);
    channels_.SetActive(which, !c.active);
  }
  Post(ctx_.parent, os::kWmNodeChannelReady, static_cast<uintptr_t>(ctx_.index));
}

int DirectLink::SendSpeakerAudio(const uint8_t* data, uint32_t length) {
  const ChannelEntry speaker = channel(ChannelTable::kSpeaker);
  if (speaker.id == net::kChannelNotFound || !speaker.active || !audio_.IsOpen()) return -1;
  net::MediaData media;
  media.channel_id = speaker.id;
  media.kind = net::kMediaAudio;
  media.timestamp_ms = 0;
  media.payload_length = length;
  uint8_t fixed[net::kMediaLongFixedSize];
  const uint32_t fixed_length = net::EncodeMediaFixed(media, !setup_info().UsesShortMediaForm(), fixed);
  return audio_.QueueMedia(fixed, fixed_length, data, length);
}

int DirectLink::SetAddress(const LoginInfo& login) {
  if (ctx_.timers) ctx_.timers->SetTimer(ctx_.self, kWatchdogTimer, 1000);
  stop_.Set();
  video_.Close();
  // A thread still busy with the old address starts the new one when it ends.
  if (!WaitForConnectThread(video_connect_, "video")) restart_connect_ = true;
  no_retry_ = false;
  user_asked_ = true;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    login_ = login;
  }
  Post(ctx_.self, os::kWmNodeStartConnect);
  return 0;
}

bool DirectLink::WaitForConnectThread(ConnectThread& thread, const char* which) {
  if (thread.WaitDone(kConnectWaitMs)) return true;
  DebugLog("CNodeWindow - %s connect thread still running after %d ms, not waiting longer [ %d ]\n", which,
           kConnectWaitMs, ctx_.index);
  return false;
}

int DirectLink::CS_Reconnect() {
  DebugLog("CNodeWindow::CS_Reconnect [ %d ]\n", ctx_.index);
  const LoginInfo current = login();
  if (current.ip.empty() || current.user.empty() || current.password.empty()) return -1;
  DebugLog("CNodeWindow::CS_Reconnect - reconnect information is valid [ %d ]\n", ctx_.index);
  Post(ctx_.self, os::kWmNodeStartConnect);
  return 0;
}

void DirectLink::RequestAudioLink() { Post(ctx_.self, os::kWmNodeStartAudio); }

void DirectLink::StartVideoConnect() {
  if (!video_connect_.done()) return;
  stop_.Reset();
  video_connect_.Start([this] { VideoConnectThread(); });
}

void DirectLink::StartAudioConnect() {
  audio_connect_.Start([this] { AudioConnectThread(); });
}

void DirectLink::VideoConnectThread() {
  if (node_.Guard().Acquire() != 0) {
    video_connect_.Finish();
    return;
  }
  const LoginInfo current = login();
  int tried = 0;
  bool connected = false;
  for (int in_run = 1;; ++in_run) {
    const net::ReconnectPolicy::Step step = reconnect_.Next(in_run);
    if (!step.go) break;
    if (step.wait_ms > 0 && !WaitForAttempt(step)) break;
    // A refused login, the user's Close or Logout: no attempt after it.
    if (no_retry_ || (in_run > 1 && stop_.IsSet())) break;
    DebugLog("CNodeWindow::CS_VSConnectThread - attempt %d [ %d ]\n", step.number, ctx_.index);
    if (step.number > 1) link_events_.Attempt(step.number);
    ++tried;
    if (ConnectProcedure(video_, true, current) == 0) {
      connected = true;
      break;
    }
    if (no_retry_) break;
  }
  if (!connected && !no_retry_ && !stop_.IsSet() && tried > 0) link_events_.GaveUp(tried);
  video_connect_.Finish();
  if (restart_connect_.exchange(false)) Post(ctx_.self, os::kWmNodeStartConnect);
  node_.Guard().Release();
}

bool DirectLink::WaitForAttempt(const net::ReconnectPolicy::Step& step) {
  DebugLog("CNodeWindow::CS_VSConnectThread - retry in %d ms [ %d ]\n", step.wait_ms, ctx_.index);
  if (reconnect_.keep_reconnecting()) next_attempt_number_ = step.number;
  next_attempt_ms_ = os::MonotonicMs() + static_cast<uint64_t>(step.wait_ms);
  const bool stopped = stop_.Wait(step.wait_ms);
  next_attempt_ms_ = 0;
  next_attempt_number_ = 0;
  return !stopped;
}

void DirectLink::AudioConnectThread() {
  if (node_.Guard().Acquire() != 0) {
    audio_connect_.Finish();
    return;
  }
  DebugLog("CNodeWindow::CS_ASConnectThread - connecting [ %d ]\n", ctx_.index);
  ConnectProcedure(audio_, false, login());
  audio_connect_.Finish();
  node_.Guard().Release();
}

os::Abandoned DirectLink::Abandoned() {
  return [this] { return stop_.IsSet(); };
}

bool DirectLink::ResolveAddress(bool video, const LoginInfo& login, std::string* ip, uint16_t* port) {
  if (!login.dynamic_ip) {
    if (login.ip == kDefaultServerAddress && login.port == kDynamicIpServerPort) return false;
    *ip = login.ip;
    *port = login.port;
    return true;
  }
  net::DdnsResult result;
  const net::ProxySettings proxy = ctx_.hosting ? *ctx_.hosting->Proxy() : net::ProxySettings{};
  if (!net::DdnsLookup(proxy, login.device_name, login.ip, login.port, &result, Abandoned())) return false;
  *ip = result.ip;
  *port = result.port;
  if (video && ctx_.dynamic_ip) ctx_.dynamic_ip->Save(ctx_.display_name, result.ip);
  return true;
}

int DirectLink::ConnectProcedure(net::SocketChannel& channel, bool video, const LoginInfo& login) {
  std::string ip;
  uint16_t port = 0;
  const bool resolved = ResolveAddress(video, login, &ip, &port);
  DebugLog("CNodeWindow::ConnectProcedure - address %s:%d resolved = %d [ %d ]\n", ip.c_str(), port, resolved ? 1 : 0,
           ctx_.index);
  const net::ProxySettings proxy = ctx_.hosting ? *ctx_.hosting->Proxy() : net::ProxySettings{};
  if (!resolved || channel.ConnectVia(proxy, ip, port, Abandoned()) != 0) {
    // Abandoned by a close or a new address: no failure to report.
    if (stop_.IsSet()) return -1;
    channel.Close();
    if (video) Post(ctx_.self, os::kWmNodeConnectStatus, 0, kStatusCannotConnect);
    return -1;
  }
  // Closed while this connect was under way (the close stopped waiting for
  // it): the node no longer wants the link.
  if (stop_.IsSet() || !ctx_.hosting || ctx_.hosting->RequestUserLogin(&channel, login.user, login.password) < 0) {
    channel.Close();
    if (video && !stop_.IsSet()) Post(ctx_.self, os::kWmNodeConnectStatus, 0, kStatusCannotConnect);
    return -1;
  }
  (video ? video_socket_ : audio_socket_) = channel.socket();
  channel.SetNonBlocking(true);
  if (video) reconnect_.LinkUp(os::MonotonicMs());
  if (video) watchdog_.Arm(os::MonotonicMs(), os::WallSeconds());
  if (video)
    // A socket handle is 64 bits wide on Win64: print it whole.
    DebugLog("CNodeWindow::CS_VSConnectThread = m_hVideoSock = %lld [ %d ] \n",
             static_cast<long long>(channel.socket()), ctx_.index);
  return 0;
}

}  // namespace node
