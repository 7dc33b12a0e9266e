// Camera-server input for a direct link, on the receive thread with the node's guard held.
#include "net/byte_order.h"
#include "net/control_messages.h"
#include "net/login_messages.h"
#include "net/packet_header.h"
#include "node/link/direct_link.h"
#include "os/debug_log.h"

namespace node {
namespace {

int NodeAddress(const void* node) { return static_cast<int>(reinterpret_cast<uintptr_t>(node)); }

}  // namespace

void DirectLink::ParseMessage(os::SocketHandle socket) {
  net::SocketChannel& channel = socket == audio_.socket() ? audio_ : video_;
  parsing_socket_ = socket;
  int error = 0;
  switch (channel.Receive(*this, ctx_.index, &error)) {
    case net::SocketChannel::ReceiveResult::kPeerClosed:
      if (ctx_.hosting) ctx_.hosting->CS_SocketClose(&node_, socket);
      DebugLog("HostingService::CS_ParseMessage - CS Node[%d], NodeID = [ %s ] : socket was closed\n", ctx_.index,
               camera_id().c_str());
      break;
    case net::SocketChannel::ReceiveResult::kError:
      DebugLog("HostingService::CS_ParseMessage - CS Node[ %d ], NodeID = [ %s ] : SOCKET ERROR Numbuer = %d , "
               "pNodeAddress = %d\n",
               ctx_.index, camera_id().c_str(), error, NodeAddress(&node_));
      if (ctx_.hosting) ctx_.hosting->CS_SocketClose(&node_, socket);
      DebugLog("HostingService::CS_ParseMessage - CS_SocketClose(Node[ %d ] Done , pNodeAddress = %d\n", ctx_.index,
               NodeAddress(&node_));
      break;
    case net::SocketChannel::ReceiveResult::kInvalidPacket:
      // The stream cannot go on: the node closes and, unless told not to, reconnects.
      if (ctx_.hosting) ctx_.hosting->CS_SocketClose(&node_, socket);
      break;
    default:
      break;
  }
  parsing_socket_ = os::kInvalidSocket;
}

// The answers a link waits for before its first picture.
static bool IsStartUpAnswer(uint32_t type) {
  return type == net::kReplyUserLogin || type == net::kUserNumber || type == net::kCameraInfoReply ||
         type == net::kReplyCameraSetupInfo || type == net::kReplyChannelSetup;
}

bool DirectLink::OnMessage(const net::RawMessage& m) {
  net::SocketChannel* channel = parsing_socket_ == audio_.socket() ? &audio_ : &video_;
  const bool on_video = channel == &video_;
  uint32_t word = 0;
  if (IsStartUpAnswer(m.type)) watchdog_.OnAnswer(os::MonotonicMs());
  switch (m.type) {
    case net::kReplyUserLogin:
      if (!OnLoginReply(m)) return false;  // refused: the rest of the read is not for us
      break;
    case net::kCameraInfoReply:
      if (on_video) OnCameraInfo(m);
      break;
    case net::kReplyChannelSetup: {
      net::ChannelSetupRecord reply;
      if (ctx_.hosting && net::DecodeChannelSetup(m.body, m.length, &reply))
        ctx_.hosting->HandleChannelSetupReply(&node_, reply, channel);
      break;
    }
    case net::kMediaData: {
      net::MediaData media;
      if (net::DecodeMediaData(m.body, m.length, &media)) DeliverMedia(media);
      break;
    }
    case net::kReplyCameraSetupInfo:
      OnSetupInfoReply(m);
      break;
    case net::kKeepAlive:
      if (ctx_.hosting) ctx_.hosting->KeepAlive(channel);
      break;
    case net::kEventNotice:
      if (net::DecodeWord(m.body, m.length, &word)) Post(ctx_.self, os::kWmNodeNotice, word);
      break;
    case net::kUserNumber:
      if (net::DecodeWord(m.body, m.length, &word)) {
        viewers_ = static_cast<int>(word);
        DebugLog("RECV : [ HostingService::CS_UserNumberHandler ] of Node[ %d ], User Num = %d\n", ctx_.index,
                 static_cast<int>(word));
      }
      break;
    case net::kPtzPosition: {
      net::PtzPosition position;
      if (net::DecodePtzPositionReply(m.body, m.length, &position)) control_.OnPtzPosition(position);
      break;
    }
    case net::kReplyPresetAck:
      control_.OnPresetAck();
      break;
    case net::kSetPtzPosition:
      break;  // the camera's acknowledgement carries nothing
    default:
      DebugLog("RECV : unkown message %d, msglen = %d\n", static_cast<int>(m.type), static_cast<int>(m.length));
      break;
  }
  return channel->IsOpen();
}

bool DirectLink::OnLoginReply(const net::RawMessage& m) {
  const bool on_video = parsing_socket_ != audio_.socket();
  if (net::DecodeLoginReply(m.body, m.length) != net::kLoginAccepted) {
    // Never retried: whoever sees the refusal must find it so.
    no_retry_ = true;
    connect_status_ = kStatusLoginRefused;
    Post(ctx_.self, os::kWmNodeConnectStatus, 0, kStatusLoginRefused);
    DebugLog("RECV : [ HostingService::CS_ReplyUserLogin ] : Node[ %d ] is Login Fail : ID/PWD\n", ctx_.index);
    link_events_.LoginRefused();
    if (ctx_.hosting) ctx_.hosting->CS_SocketClose(&node_, 0);
    return false;
  }
  if (on_video) {
    DebugLog("RECV : [ HostingService::CS_ReplyUserLogin ] : Node[ %d ] is Login Succeeded\n", ctx_.index);
    Post(ctx_.self, os::kWmNodeConnectStatus, 0, kStatusClear);
    if (ctx_.hosting) ctx_.hosting->RequestCameraInfo(&video_);
    return true;
  }
  const std::string camera = camera_id();
  if (camera.empty() || !ctx_.hosting) return true;
  audio_link_ready_ = true;
  ctx_.hosting->RequestChannelSetup(&audio_, net::kChannelAudio, camera);
  ctx_.hosting->RequestChannelSetup(&audio_, net::kChannelSpeaker, camera);
  return true;
}

void DirectLink::OnCameraInfo(const net::RawMessage& m) {
  DebugLog("RECV : [ HostingService::CS_ResponseCameraInfoReply ] : Node[ %d ] (Data Length = %d)\n", ctx_.index,
           static_cast<int>(m.length));
  const LoginInfo current = login();
  const std::string info = net::GetText(m.body, m.length);
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    identified_camera_ = info;
  }
  if (ctx_.events) {
    const auto socket = static_cast<hosting::EventSocket>(video_.socket());
    ctx_.events->Push(hosting::DirectCameraInfo{socket, info});
    const std::string& address = current.dynamic_ip ? current.device_name : current.ip;
    ctx_.events->Push(hosting::DirectIdentified{socket, address, current.dynamic_ip ? 1 : 0});
  }
  // Setup starts the media worker and the window's timers: the window's own
  // thread does it, and asks for the video channel once the media path is ready.
  Post(ctx_.self, os::kWmNodeCameraIdentified);
}

void DirectLink::OnCameraIdentified() {
  std::string camera;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    camera.swap(identified_camera_);
  }
  if (camera.empty() || !video_.IsOpen()) return;  // closed since
  link_events_.Connected();
  Setup(camera, true);
  if (ctx_.hosting) ctx_.hosting->RequestChannelSetup(&video_, net::kChannelVideo, camera);
}

void DirectLink::OnSetupInfoReply(const net::RawMessage& m) {
  DebugLog("ReplyCameraSetupInfo : Node[ %d ] ", ctx_.index);
  net::CameraSetupReply reply;
  net::CameraSetupInfo received = setup_info();
  if (!net::DecodeCameraSetupReply(m.body, m.length, &reply, &received) || !reply.ok()) {
    DebugLog("REASON_ERROR\n");
    // Only a record sent to it is ever refused: the user who sent it hears so.
    Post(ctx_.self, os::kWmNodeSetupRefused);
    return;
  }
  DebugLog("REASON_SETUP or RESPONSE_OK\n");
  StoreSetupInfo(received);
  setup_info_received_ = true;
}

}  // namespace node
