// The node's connect threads: the video link with its attempts and retries,
// the audio link on demand, and the optional dynamic-IP lookup before each.
#include "net/ddns_lookup.h"
#include "node/link/node_window.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "os/local_time.h"
#include "os/thread_name.h"

namespace node {
namespace {

// The dynamic-IP server's own address and port: a camera is never there, so
// a node told to connect to it directly refuses.
constexpr const char* kDefaultServerAddress = "127.0.0.1";
constexpr uint16_t kDynamicIpServerPort = 8001;

}  // namespace

int CNodeWindow::SetAddress(const LoginInfo& login) {
  if (ctx_.relay) return -1;
  if (ctx_.timers) ctx_.timers->SetTimer(ctx_.self, kWatchdogTimer, 1000);
  stop_.Set();
  video_.Close();
  // A thread still busy with the old address starts the new one when it ends.
  if (!WaitForConnectThread(video_done_, "video")) restart_connect_ = true;
  no_retry_ = false;
  user_asked_ = true;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    login_ = login;
  }
  Post(ctx_.self, os::kWmNodeStartConnect);
  return 0;
}

bool CNodeWindow::WaitForConnectThread(os::Event& done, const char* which) {
  if (done.Wait(kConnectWaitMs)) return true;
  DebugLog("CNodeWindow - %s connect thread still running after %d ms, not waiting longer [ %d ]\n", which,
           kConnectWaitMs, ctx_.index);
  return false;
}

int CNodeWindow::CS_Reconnect() {
  DebugLog("CNodeWindow::CS_Reconnect [ %d ]\n", ctx_.index);
  const LoginInfo current = login();
  if (current.ip.empty() || current.user.empty() || current.password.empty()) return -1;
  DebugLog("CNodeWindow::CS_Reconnect - reconnect information is valid [ %d ]\n", ctx_.index);
  Post(ctx_.self, os::kWmNodeStartConnect);
  return 0;
}

void CNodeWindow::RequestAudioLink() {
  if (audio_allowed_) Post(ctx_.self, os::kWmNodeStartAudio);
}

void CNodeWindow::StartVideoConnect() {
  if (ctx_.relay || !video_done_.IsSet()) return;
  if (video_thread_.joinable()) video_thread_.join();
  stop_.Reset();
  video_done_.Reset();
  video_thread_ = std::thread([this] {
    os::NameCurrentThread("camera connect");
    VideoConnectThread();
  });
}

void CNodeWindow::StartAudioConnect() {
  if (ctx_.relay || !audio_done_.IsSet()) return;
  if (audio_thread_.joinable()) audio_thread_.join();
  audio_done_.Reset();
  audio_thread_ = std::thread([this] {
    os::NameCurrentThread("camera connect");
    AudioConnectThread();
  });
}

void CNodeWindow::VideoConnectThread() {
  if (guard_.Acquire() != 0) {
    video_done_.Set();
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
  video_done_.Set();
  if (restart_connect_.exchange(false)) Post(ctx_.self, os::kWmNodeStartConnect);
  guard_.Release();
}

bool CNodeWindow::WaitForAttempt(const net::ReconnectPolicy::Step& step) {
  DebugLog("CNodeWindow::CS_VSConnectThread - retry in %d ms [ %d ]\n", step.wait_ms, ctx_.index);
  if (reconnect_.keep_reconnecting()) next_attempt_number_ = step.number;
  next_attempt_ms_ = os::MonotonicMs() + static_cast<uint64_t>(step.wait_ms);
  const bool stopped = stop_.Wait(step.wait_ms);
  next_attempt_ms_ = 0;
  next_attempt_number_ = 0;
  return !stopped;
}

void CNodeWindow::AudioConnectThread() {
  if (guard_.Acquire() != 0) {
    audio_done_.Set();
    return;
  }
  DebugLog("CNodeWindow::CS_ASConnectThread - connecting [ %d ]\n", ctx_.index);
  ConnectProcedure(audio_, false, login());
  audio_done_.Set();
  guard_.Release();
}

os::Abandoned CNodeWindow::Abandoned() {
  return [this] { return stop_.IsSet(); };
}

bool CNodeWindow::ResolveAddress(bool video, const LoginInfo& login, std::string* ip, uint16_t* port) {
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

int CNodeWindow::ConnectProcedure(net::SocketChannel& channel, bool video, const LoginInfo& login) {
  std::string ip;
  uint16_t port = 0;
  const bool resolved = ResolveAddress(video, login, &ip, &port);
  DebugLog("CNodeWindow::ConnectProcedure - address %s:%d resolved = %d [ %d ]\n", ip.c_str(), port,
           resolved ? 1 : 0, ctx_.index);
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
