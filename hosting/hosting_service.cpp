#include "hosting/hosting_service.h"

#include <algorithm>

#include "net/list_records.h"
#include "net/login_messages.h"
#include "net/packet_header.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "os/thread_name.h"

namespace hosting {
namespace {

// The name the log lines give a list reply.
const char* ListReplyName(uint32_t type) {
  switch (type) {
    case net::kReplyCameraList:
      return "HS_ReplyCameraList";
    case net::kReplyFileList:
      return "HS_ReplyFileList";
    case net::kReplyOnlineCameraUpdate:
      return "HS_ReplyOnlineCameraUpdate";
    default:
      return "HS_ReplyFileListUpdate";
  }
}

// The node's address as the log lines print it.
int NodeAddress(const HostedNode* node) { return static_cast<int>(reinterpret_cast<uintptr_t>(node)); }

}  // namespace

HostingService::HostingService(HostEventQueue& events, os::WindowPoster& poster) : events_(events), poster_(poster) {}

HostingService::~HostingService() {
  Stop();
  if (connect_thread_.joinable()) connect_thread_.join();
}

void HostingService::Start() {
  stopping_ = false;
  if (!receive_running_.exchange(true)) {
    if (receive_thread_.joinable()) receive_thread_.join();
    receive_thread_ = std::thread([this] {
      os::NameCurrentThread("hosting receive");
      ReceiveLoop();
    });
  }
  if (!send_running_.exchange(true)) {
    if (send_thread_.joinable()) send_thread_.join();
    send_thread_ = std::thread([this] {
      os::NameCurrentThread("hosting send");
      SendLoop();
    });
  }
  std::lock_guard<std::mutex> lock(reconnect_mutex_);
  if (!reconnect_thread_.joinable()) {
    reconnect_stopping_ = false;
    reconnect_thread_ = std::thread([this] {
      os::NameCurrentThread("hosting reconnect");
      HostReconnectLoop();
    });
  }
}

void HostingService::Stop() {
  stopping_ = true;  // a connect under way gives up at once
  {
    std::lock_guard<std::mutex> lock(reconnect_mutex_);
    reconnect_stopping_ = true;
  }
  reconnect_wake_.notify_all();
  if (reconnect_thread_.joinable()) reconnect_thread_.join();
  receive_running_ = false;
  send_running_ = false;
  // Each loop notices the flag within one select time-out; the wait is the
  // bound the window's destruction allows, the join makes sure no thread
  // outlives the object.
  if (receive_thread_.joinable()) {
    receive_exit_.Wait(kThreadStopWaitMs);
    receive_thread_.join();
  }
  if (send_thread_.joinable()) {
    send_exit_.Wait(kThreadStopWaitMs);
    send_thread_.join();
  }
}

int HostingService::Connect(const HostLogin& login) {
  if (connecting_.exchange(true)) return -1;
  if (connect_thread_.joinable()) connect_thread_.join();
  uint64_t generation = 0;
  {
    std::lock_guard<std::mutex> lock(reconnect_mutex_);
    host_login_ = login;
    NextGeneration();
    generation = host_generation_;
  }
  reconnect_wake_.notify_all();
  connect_thread_ = std::thread([=, this, proxy = Proxy()] {
    os::NameCurrentThread("hosting connect");
    ConnectThread(proxy, login.address, login.port, login.user, login.password, generation);
  });
  return 0;
}

std::shared_ptr<const net::ProxySettings> HostingService::Proxy() const {
  std::lock_guard<std::mutex> lock(proxy_lock_);
  return proxy_;
}

void HostingService::SetProxy(const net::ProxySettings& settings) {
  auto snapshot = std::make_shared<const net::ProxySettings>(settings);
  std::lock_guard<std::mutex> lock(proxy_lock_);
  proxy_ = std::move(snapshot);
}

void HostingService::ConnectThread(std::shared_ptr<const net::ProxySettings> proxy, std::string address,
                                   uint16_t port, std::string user, std::string password, uint64_t generation) {
  ConnectHost(*proxy, address, port, user, password, true, generation);
  connecting_ = false;
}

bool HostingService::ConnectHost(const net::ProxySettings& proxy, const std::string& address, uint16_t port,
                                 const std::string& user, const std::string& password, bool tell,
                                 uint64_t generation) {
  const auto abandoned = [this, generation] { return stopping_ || host_generation_ != generation; };
  if (m_hostSock.ConnectVia(proxy, address, port, abandoned) != 0) {
    if (tell && !abandoned()) events_.Push(HostUnreachable{address, port});
    return false;
  }
  // Under the lock the user's Disconnect and CloseHost take first: either
  // they come after and close this connection, or it is abandoned here and
  // no login goes out behind their back.
  std::lock_guard<std::mutex> lock(reconnect_mutex_);
  if (abandoned()) {
    m_hostSock.Close();
    return false;
  }
  if (RequestUserLogin(RequestTarget::Host(), user, password) < 0) return false;
  // The password never reaches the log.
  DebugLog("SEND : < HostingService::RequestUserLogin >id = %s , passwd = %s \n", user.c_str(), "*");
  m_hostSock.SetNonBlocking(true);
  if (host_policy_) host_policy_->LinkUp(os::MonotonicMs());
  events_.Push(hosting::HostConnected{static_cast<EventSocket>(m_hostSock.socket()), address, port});
  return true;
}

void HostingService::NextGeneration() {
  ++host_generation_;
  host_lost_ = false;
}

void HostingService::Disconnect() {
  {
    std::lock_guard<std::mutex> lock(reconnect_mutex_);
    host_wanted_ = false;
    NextGeneration();
  }
  reconnect_wake_.notify_all();
  events_.Push(HostClosed{});
  m_hostSock.Close();
  for (int i = 0; i < direct_.Size(); ++i)
    if (HostedNode* node = direct_.At(i)) node->SetNoRetry();
  direct_.Clear();
}

void HostingService::CloseHost() {
  {
    std::lock_guard<std::mutex> lock(reconnect_mutex_);
    host_wanted_ = false;
    NextGeneration();
  }
  reconnect_wake_.notify_all();
  CloseHostConnection();
}

void HostingService::CloseHostConnection() {
  m_hostSock.Close();
  events_.Push(HostClosed{});
  relay_.ForEach([&](HostedNode* node) { poster_.Post(node->Window(), os::kWmNodeClose, 0, 0); });
}

void HostingService::CS_SocketClose(HostedNode* node, os::SocketHandle socket) {
  const int index = node->Index();
  DebugLog("HostingService::CS_SocketClose [START] about Node[ %d ] , Node Address = %d\n", index, NodeAddress(node));
  poster_.Post(node->Window(), os::kWmNodeClose, static_cast<uintptr_t>(socket == os::kInvalidSocket ? 0 : socket), 0);
  DebugLog("pNode[ %d ]->PostMessage(WM_NODE_CLOSE) , Node Address = %d\n", index, NodeAddress(node));
  DebugLog("HostingService::CS_SocketClose [END] about Node[ %d ] , Node Address = %d\n", index, NodeAddress(node));
}

void HostingService::AddNode(HostedNode* node) { (node->IsRelay() ? relay_ : direct_).Add(node); }

void HostingService::RemoveNode(HostedNode* node) {
  // Off the list first: from then on no lookup can reach the node, and the
  // holders that reached it before are the ones the guard waits for.
  (node->IsRelay() ? relay_ : direct_).Remove(node);
  node->Guard().Close();
}

HeldNode HostingService::GetDirectNode(int index) { return direct_.Acquire(index); }

HeldNode HostingService::FindDirectNodeBySocket(os::SocketHandle socket) {
  for (int i = 0; i < direct_.Size(); ++i) {
    HeldNode node = GetDirectNode(i);
    if (!node) continue;
    net::SocketChannel* video = node->VideoChannel();
    net::SocketChannel* audio = node->AudioChannel();
    if ((video && video->socket() == socket) || (audio && audio->socket() == socket)) return node;
  }
  return HeldNode();
}

HostedNode* HostingService::FindRelayNodeByChannel(uint32_t channel_id) {
  for (int i = 0; i < relay_.Size(); ++i) {
    HostedNode* node = relay_.At(i);
    if (node && (node->VideoChannelId() == channel_id || node->AudioChannelId() == channel_id)) return node;
  }
  return nullptr;
}

HostedNode* HostingService::FindRelayNodeByKey(const std::string& key) {
  for (int i = 0; i < relay_.Size(); ++i) {
    HostedNode* node = relay_.At(i);
    if (node && node->Key() == key) return node;
  }
  return nullptr;
}

void HostingService::BuildSocketSet(os::SocketSet* set) {
  set->Clear();
  // A connection whose input ended waits for its owner's close sequence
  // outside the set: watching it would report the same close on every pass.
  if (m_hostSock.IsOpen() && !m_hostSock.InputEnded()) set->Add(m_hostSock.socket());
  for (int i = 0; i < direct_.Size(); ++i) {
    HeldNode node = GetDirectNode(i);
    if (!node) continue;
    for (net::SocketChannel* channel : {node->VideoChannel(), node->AudioChannel()})
      if (channel && channel->IsOpen() && !channel->InputEnded()) set->Add(channel->socket());
  }
}

void HostingService::SetKeepAlive(int idle_ms, int deadline_ms) {
  keepalive_idle_ms_ = idle_ms;
  keepalive_deadline_ms_ = deadline_ms;
}

int HostingService::SelectTimeoutMs() const { return std::max(10, std::min(kSelectTimeoutMs, keepalive_idle_ms_ / 4)); }

void HostingService::WatchHostSilence() {
  if (!m_hostSock.IsOpen() || m_hostSock.InputEnded()) return;
  const uint64_t now = os::MonotonicMs();
  if (m_hostSock.connection() != timed_connection_) {
    // A new connection: timed from now.
    timed_connection_ = m_hostSock.connection();
    host_heard_ms_ = now;
    keepalives_unanswered_ = 0;
    return;
  }
  const uint64_t quiet = now - host_heard_ms_;
  if (quiet >= static_cast<uint64_t>(keepalive_deadline_ms_)) {
    DebugLog("HostingService - no word from the hosting server for %d ms: the connection is lost\n",
             static_cast<int>(quiet));
    std::lock_guard<std::recursive_mutex> lock(relay_.mutex());
    LoseHost();
  } else if (quiet >= static_cast<uint64_t>(keepalive_idle_ms_) && keepalives_unanswered_ == 0 &&
             KeepAlive(RequestTarget::Host()) > 0) {
    ++keepalives_unanswered_;
  }
}

void HostingService::ReceiveLoop() {
  os::SocketSet set;
  while (receive_running_) {
    WatchHostSilence();
    BuildSocketSet(&set);
    if (set.Count() == 0) {
      os::SleepMs(1);
      continue;
    }
    int ready = os::SelectRead(set, SelectTimeoutMs());
    if (ready == 0) continue;
    if (ready < 0) {
      DebugLog("[ERROR] Socket error : select error %d\n", os::LastSocketError());
      ProbeSockets();
      os::SleepMs(100);
      continue;
    }
    for (int i = 0; i < set.Count(); ++i) {
      const os::SocketHandle s = set.At(i);
      if (!set.IsReady(s)) continue;
      if (s == m_hostSock.socket()) {
        std::lock_guard<std::recursive_mutex> lock(relay_.mutex());
        ProcessHostInput();
      } else if (HeldNode node = FindDirectNodeBySocket(s)) {
        node->ParseMessage(s);
      }
    }
  }
  receive_exit_.Set();
}

// A select error means some handle in the set went bad: find which.
void HostingService::ProbeSockets() {
  if (m_hostSock.IsOpen() && os::ProbeTcpNoDelay(m_hostSock.socket()) != 0) LoseHost();
  for (int i = 0; i < direct_.Size(); ++i) {
    HeldNode node = GetDirectNode(i);
    if (!node) continue;
    bool failed = false;
    for (net::SocketChannel* channel : {node->VideoChannel(), node->AudioChannel()}) {
      if (channel && channel->IsOpen() && os::ProbeTcpNoDelay(channel->socket()) != 0) {
        channel->EndInput();
        failed = true;
      }
    }
    if (failed) {
      DebugLog("Node[ %d ] is Invalid socket : Select Error \n", node->Index());
      CS_SocketClose(node.get(), 0);
    }
  }
}

void HostingService::ProcessHostInput() {
  int error = 0;
  const uint32_t connection = m_hostSock.connection();
  const net::SocketChannel::ReceiveResult result = m_hostSock.Receive(*this, net::kHostingConnection, &error);
  if (connection == timed_connection_ && result != net::SocketChannel::ReceiveResult::kWouldBlock)
    host_heard_ms_ = os::MonotonicMs();
  switch (result) {
    case net::SocketChannel::ReceiveResult::kPeerClosed:
      DebugLog("connected closed\n");
      LoseHost();
      break;
    case net::SocketChannel::ReceiveResult::kError:
      LoseHost();
      DebugLog("READ HEADER : ERROR  = %d failed", error);
      break;
    case net::SocketChannel::ReceiveResult::kInvalidPacket:
      // A broken message is a lost connection like any other.
      LoseHost();
      break;
    default:
      break;
  }
}

void HostingService::SendLoop() {
  os::SocketSet set;
  while (send_running_) {
    BuildSocketSet(&set);
    if (set.Count() == 0) {
      os::SleepMs(1);
      continue;
    }
    int ready = os::SelectWrite(set, kSelectTimeoutMs);
    for (int i = 0; ready > 0 && i < set.Count(); ++i) {
      const os::SocketHandle s = set.At(i);
      if (!set.IsReady(s)) continue;
      if (s == m_hostSock.socket()) {
        if (m_hostSock.SendPending() < 0 && !os::IsWouldBlock(os::LastSocketError()))
          DebugLog("[ERROR] m_hostSock.m_socket Socket Error : %d\n", os::LastSocketError());
        continue;
      }
      HeldNode node = FindDirectNodeBySocket(s);
      if (!node) continue;
      for (net::SocketChannel* channel : {node->VideoChannel(), node->AudioChannel()}) {
        if (!channel || channel->socket() != s) continue;
        if (channel->SendPending() < 0 && !os::IsWouldBlock(os::LastSocketError()))
          DebugLog("[ERROR] pSock->m_socket Socket Error : %d\n", os::LastSocketError());
      }
    }
    os::SleepMs(kSendPassSleepMs);
  }
  send_exit_.Set();
}

bool HostingService::OnMessage(const net::RawMessage& m) {
  switch (m.type) {
    case net::kReplyUserLogin:
      if (net::DecodeLoginReply(m.body, m.length) != net::kLoginAccepted) {
        events_.Push(HostLoginRefused{});
        CloseHost();  // a refused login is never repeated by itself
        return false;  // the rest of this read belongs to a refused session
      }
      events_.Push(HostLoggedIn{});
      OnHostLoggedIn();
      DebugLog("SEND : online cam list request\n");
      RequestOnlineCameraList(RequestTarget::Host());
      RequestFileList(RequestTarget::Host());
      break;
    case net::kReplyCameraList:
    case net::kReplyFileList:
    case net::kReplyOnlineCameraUpdate:
    case net::kReplyFileListUpdate:
      DebugLog("RECV : [ HostingService::%s ] (Data Length = %d)\n", ListReplyName(m.type), static_cast<int>(m.length));
      if (auto event = ListReplyEvent(m.type, m.body, m.length)) events_.Push(std::move(*event));
      break;
    case net::kReplyChannelSetup:
      OnChannelSetupMessage(m);
      break;
    case net::kMediaData:
      OnMediaMessage(m);
      break;
    case net::kNodeParameters: {
      net::NodeParameters params;
      if (!net::DecodeNodeParameters(m.body, m.length, &params)) break;
      if (HostedNode* node = FindRelayNodeByChannel(params.channel_id())) node->StoreNodeParameters(params);
      break;
    }
    case net::kKeepAlive:
      // The answer to our own probe is not answered again: the two sides
      // would play ping-pong for ever.
      if (keepalives_unanswered_ > 0)
        --keepalives_unanswered_;
      else
        KeepAlive(RequestTarget::Host());
      break;
    default:
      DebugLog("RECV : unkown message %d, msglen = %d\n", static_cast<int>(m.type), static_cast<int>(m.length));
      break;
  }
  return true;
}

void HostingService::OnChannelSetupMessage(const net::RawMessage& m) {
  DebugLog("RECV : [ HostingService::HS_ChannelSetupHandler ] : Data Length = %d]\n", static_cast<int>(m.length));
  net::ChannelSetupRecord reply;
  if (!net::DecodeChannelSetup(m.body, m.length, &reply)) return;
  std::string key;
  if (reply.kind == net::kChannelFileVideo || reply.kind == net::kChannelFileAudio)
    key = reply.file_name;
  else if (reply.kind >= net::kChannelVideo && reply.kind <= net::kChannelSpeaker)
    key = reply.camera_id;
  else
    return;
  HostedNode* node = FindRelayNodeByKey(key);
  if (!node) return;
  HandleChannelSetupReply(node, reply, RequestTarget::Host());
}

int HostingService::HandleChannelSetupReply(HostedNode* node, const net::ChannelSetupRecord& reply,
                                            RequestTarget target) {
  if (reply.channel_id == net::kChannelNotFound) {
    // The node notes it; the user hears of it only when they asked just now,
    // not at each of the node's own retries.
    const bool file = reply.kind == net::kChannelFileVideo || reply.kind == net::kChannelFileAudio;
    if (node && node->OnChannelNotFound(reply.kind))
      events_.Push(ChannelNotFound{file ? reply.file_name : reply.camera_id});
    return -1;
  }
  if (!node) return -1;
  node->RegisterChannel(reply.channel_id, reply.kind);
  if (reply.kind == net::kChannelFileVideo) RequestFilePlay(target, -1, reply.file_name);
  RequestChannelCommand(target, reply.channel_id, net::kCommandStart);
  return 0;
}

void HostingService::OnMediaMessage(const net::RawMessage& m) {
  net::MediaData media;
  if (!net::DecodeMediaData(m.body, m.length, &media)) return;
  if (HostedNode* node = FindRelayNodeByChannel(media.channel_id)) node->DeliverMedia(media);
}

int HostingService::Queue(const RequestTarget& target, uint32_t type, const void* body, uint32_t length) {
  net::SocketChannel* channel = Resolve(target);
  return channel ? channel->QueueMessage(type, body, length) : -1;
}

int HostingService::RequestUserLogin(RequestTarget target, const std::string& user, const std::string& password) {
  auto body = net::EncodeLoginRequest(user, password);
  return Queue(target, net::kRequestUserLogin, body.data(), net::kLoginRequestSize);
}

int HostingService::RequestOnlineCameraList(RequestTarget target) {
  return Queue(target, net::kRequestOnlineCameraList, nullptr, 0);
}

int HostingService::RequestFileList(RequestTarget target) {
  auto body = net::EncodeFileListRequest();
  return Queue(target, net::kRequestFileList, body.data(), net::kFileListRequestSize);
}

int HostingService::RequestCameraInfo(RequestTarget target) {
  auto body = net::EncodeCameraInfoRequest();
  return Queue(target, net::kRequestCameraInfo, body.data(), net::kCameraInfoRequestSize);
}

int HostingService::RequestChannelSetup(RequestTarget target, uint32_t kind, const std::string& camera_id,
                                        const std::string& file_name) {
  auto body = net::EncodeChannelSetup(net::MakeChannelSetupRequest(kind, camera_id, file_name));
  return Queue(target, net::kRequestChannelSetup, body.data(), net::kChannelSetupSize);
}

int HostingService::RequestChannelCommand(RequestTarget target, uint32_t channel_id, uint32_t command) {
  auto body = net::EncodeChannelCommand(channel_id, command);
  return Queue(target, net::kRequestChannelCommand, body.data(), net::kChannelCommandSize);
}

int HostingService::RequestChannelRelease(RequestTarget target, uint32_t channel_id) {
  net::SocketChannel* channel = Resolve(target);
  if (!channel) return -1;
  auto body = net::EncodeChannelCommand(channel_id, net::kCommandRelease);
  return channel->SendNow(net::kRequestChannelCommand, body.data(), net::kChannelCommandSize);
}

int HostingService::RequestFilePlay(RequestTarget target, int32_t position, const std::string& file_name) {
  auto body = net::EncodeFilePlay(position, file_name);
  return Queue(target, net::kRequestFilePlay, body.data(), net::kFilePlaySize);
}

int HostingService::RequestStreamingReset(RequestTarget target, uint32_t channel_id, uint32_t position) {
  auto body = net::EncodeStreamingReset(channel_id, position);
  return Queue(target, net::kRequestStreamingReset, body.data(), net::kStreamingResetSize);
}

int HostingService::RequestCameraSetupInfo(RequestTarget target, const net::CameraSetupInfo& info) {
  return Queue(target, net::kRequestCameraSetupInfo, info.data(), info.SendLength());
}

int HostingService::RequestPresetEnable(RequestTarget target) {
  net::SocketChannel* channel = Resolve(target);
  if (!channel) return -1;
  net::ControlMessage m = net::EncodePresetEnable();
  return channel->SendNow(m.type, m.body.data(), static_cast<uint32_t>(m.body.size()));
}

int HostingService::SendControl(RequestTarget target, const net::ControlMessage& message) {
  return Queue(target, message.type, message.body.data(), static_cast<uint32_t>(message.body.size()));
}

int HostingService::KeepAlive(RequestTarget target) { return Queue(target, net::kKeepAlive, nullptr, 0); }

}  // namespace hosting
