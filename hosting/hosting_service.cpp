#include "hosting/hosting_service.h"

#include "net/list_records.h"
#include "net/login_messages.h"
#include "net/packet_header.h"
#include "os/clock.h"
#include "os/debug_log.h"

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

HostingService::HostingService(HostEventQueue& events, os::WindowPoster& poster)
    : events_(events),
      poster_(poster),
      session_(events,
               [this](const net::ProxySettings& proxy, const HostLogin& login, bool tell, uint64_t generation) {
                 return ConnectHost(proxy, login, tell, generation);
               }),
      loops_(m_hostSock, nodes_,
             {[this] { WatchHostSilence(); },
              [this] { return keepalive_.SelectTimeoutMs(SocketLoops::kSelectTimeoutMs); },
              [this] {
                std::lock_guard<std::recursive_mutex> lock(nodes_.relay_nodes().mutex());
                ProcessHostInput();
              },
              [this] { LoseHost(); }, [this](HostedNode* node) { CS_SocketClose(node, 0); }}) {}

HostingService::~HostingService() {
  Stop();
  session_.JoinConnect();
}

void HostingService::Start() {
  loops_.Start();
  session_.Start();
}

void HostingService::Stop() {
  session_.Stop();
  loops_.Stop();
}

int HostingService::Connect(const HostLogin& login) { return session_.Connect(login); }

bool HostingService::ConnectHost(const net::ProxySettings& proxy, const HostLogin& login, bool tell,
                                 uint64_t generation) {
  const auto abandoned = [this, generation] { return session_.Abandoned(generation); };
  if (m_hostSock.ConnectVia(proxy, login.address, login.port, abandoned) != 0) {
    if (tell && !abandoned()) events_.Push(HostUnreachable{login.address, login.port});
    return false;
  }
  // Under the lock the user's Disconnect and CloseHost take first: either
  // they come after and close this connection, or it is abandoned here and
  // no login goes out behind their back.
  const std::unique_lock<std::mutex> lock = session_.LoginLock();
  if (abandoned()) {
    m_hostSock.Close();
    return false;
  }
  if (RequestUserLogin(RequestTarget::Host(), login.user, login.password) < 0) return false;
  // The password never reaches the log.
  DebugLog("SEND : < HostingService::RequestUserLogin >id = %s , passwd = %s \n", login.user.c_str(), "*");
  m_hostSock.SetNonBlocking(true);
  session_.LinkUpLocked(os::MonotonicMs());
  events_.Push(hosting::HostConnected{static_cast<EventSocket>(m_hostSock.socket()), login.address, login.port});
  return true;
}

void HostingService::Disconnect() {
  session_.UserClosed();
  events_.Push(HostClosed{});
  m_hostSock.Close();
  nodes_.DropDirectNodes();
}

void HostingService::CloseHost() {
  session_.UserClosed();
  CloseHostConnection();
}

void HostingService::CloseHostConnection() {
  m_hostSock.Close();
  events_.Push(HostClosed{});
  nodes_.relay_nodes().ForEach([&](HostedNode* node) { poster_.Post(node->Window(), os::kWmNodeClose, 0, 0); });
}

void HostingService::SetHostReconnect(bool keep, net::ReconnectWaits waits) { session_.SetReconnect(keep, waits); }

void HostingService::LoseHost() {
  const bool was_open = m_hostSock.IsOpen();
  CloseHostConnection();
  session_.Lost(was_open, os::MonotonicMs());
}

void HostingService::OnHostLoggedIn() {
  session_.LoggedIn();
  // Relay nodes that lost their channels with the connection ask again;
  // the others ignore it.
  nodes_.relay_nodes().ForEach([&](HostedNode* node) { poster_.Post(node->Window(), os::kWmNodeHostBack, 0, 0); });
}

void HostingService::CS_SocketClose(HostedNode* node, os::SocketHandle socket) {
  const int index = node->Index();
  DebugLog("HostingService::CS_SocketClose [START] about Node[ %d ] , Node Address = %d\n", index, NodeAddress(node));
  poster_.Post(node->Window(), os::kWmNodeClose, static_cast<uintptr_t>(socket == os::kInvalidSocket ? 0 : socket), 0);
  DebugLog("pNode[ %d ]->PostMessage(WM_NODE_CLOSE) , Node Address = %d\n", index, NodeAddress(node));
  DebugLog("HostingService::CS_SocketClose [END] about Node[ %d ] , Node Address = %d\n", index, NodeAddress(node));
}

void HostingService::SetKeepAlive(int idle_ms, int deadline_ms) { keepalive_.SetTimes(idle_ms, deadline_ms); }

void HostingService::WatchHostSilence() {
  if (!m_hostSock.IsOpen() || m_hostSock.InputEnded()) return;
  const uint64_t now = os::MonotonicMs();
  switch (keepalive_.Watch(m_hostSock.connection(), now)) {
    case HostKeepAlive::Verdict::kLost: {
      DebugLog("HostingService - no word from the hosting server for %d ms: the connection is lost\n",
               static_cast<int>(keepalive_.QuietMs(now)));
      std::lock_guard<std::recursive_mutex> lock(nodes_.relay_nodes().mutex());
      LoseHost();
      break;
    }
    case HostKeepAlive::Verdict::kProbe:
      if (KeepAlive(RequestTarget::Host()) > 0) keepalive_.ProbeSent();
      break;
    case HostKeepAlive::Verdict::kQuiet:
      break;
  }
}

void HostingService::ProcessHostInput() {
  int error = 0;
  const uint32_t connection = m_hostSock.connection();
  const net::SocketChannel::ReceiveResult result = m_hostSock.Receive(*this, net::kHostingConnection, &error);
  if (result != net::SocketChannel::ReceiveResult::kWouldBlock) keepalive_.Heard(connection, os::MonotonicMs());
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
      if (HostedNode* node = nodes_.FindRelayNodeByChannel(params.channel_id())) node->StoreNodeParameters(params);
      break;
    }
    case net::kKeepAlive:
      if (keepalive_.ShouldAnswer()) KeepAlive(RequestTarget::Host());
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
  HostedNode* node = nodes_.FindRelayNodeByKey(key);
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
  if (HostedNode* node = nodes_.FindRelayNodeByChannel(media.channel_id)) node->DeliverMedia(media);
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
