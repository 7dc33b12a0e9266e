#pragma once
// CNodeWindow: one camera view's node. It owns its link to the camera
// (DirectLink, over two camera-server sockets, or RelayLink, through the
// hosting server), the camera's control requests (Control()), which travel
// on that link, and it hands what the link receives to the media path it
// feeds. The hosting service knows it as a HostedNode. The Win32 window
// forwards its messages to HandleMessage; everything the node sends to
// windows goes through the window seam, so the same logic runs in tests.
//
// Who owns what (UI = the window's thread; receive = the hosting receive
// thread, which parses and queues only; connect = the direct link's
// connect threads):
//   ctx_, direct_, relay_         set at construction, read by every thread
//   guard_                        network and connect threads hold it while they use the node
//   link_                         set at construction; its own rules (node/link/link.h,
//                                 direct_link.h, relay_link.h)
//   control_                      its own rules (node/link/camera_control.h); receive hands it the replies
#include <cstdint>
#include <memory>
#include <string>

#include "hosting/hosting_service.h"
#include "node/link/camera_control.h"
#include "node/link/channel_table.h"
#include "node/link/direct_link.h"
#include "node/link/node_context.h"
#include "node/link/relay_link.h"
#include "node/media/media_consumer.h"
#include "os/usage_guard.h"

namespace node {

class CNodeWindow : public hosting::HostedNode {
 public:
  CNodeWindow(NodeContext context, MediaConsumer* media);
  ~CNodeWindow() override;
  CNodeWindow(const CNodeWindow&) = delete;
  CNodeWindow& operator=(const CNodeWindow&) = delete;

  // The window's messages (posted ones and timers) arrive here on the UI thread.
  void HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
    link_->HandleMessage(message, wparam, lparam);
  }

  // Link operations. Those of the other kind of link do nothing (and
  // return -1).
  int SetAddress(const LoginInfo& login) { return direct_ ? direct_->SetAddress(login) : -1; }
  int CS_Reconnect() { return direct_ ? direct_->CS_Reconnect() : -1; }
  void RequestAudioLink() {
    if (direct_) direct_->RequestAudioLink();
  }
  void Setup(const std::string& camera_id, bool live) { link_->Setup(camera_id, live); }
  // Relay nodes made from the hosting server's lists.
  void OpenRelayCamera(const std::string& camera_id) {
    if (relay_) relay_->OpenCamera(camera_id);
  }
  void OpenRelayFile(const std::string& camera_id, const std::string& file_name) {
    if (relay_) relay_->OpenFile(camera_id, file_name);
  }
  void CloseCommand() { link_->CloseCommand(); }
  // The window is going away: off the hosting lists, link closed for good.
  void Destroy() { link_->Destroy(); }

  // Encoded microphone audio (ADPCM) for the camera's speaker, in the
  // MediaData form the camera's version asks for; -1 without an open speaker channel.
  int SendSpeakerAudio(const uint8_t* data, uint32_t length) {
    return direct_ ? direct_->SendSpeakerAudio(data, length) : -1;
  }

  // Menu toggles of the audio and speaker channels.
  void ToggleAudio() { ToggleChannel(kAudio, net::kChannelAudio); }
  void ToggleSpeaker() { ToggleChannel(kSpeaker, net::kChannelSpeaker); }

  // hosting::HostedNode
  int Index() const override { return ctx_.index; }
  bool IsRelay() const override { return relay_ != nullptr; }
  os::WindowHandle Window() const override { return ctx_.self; }
  os::UsageGuard& Guard() override { return guard_; }
  net::SocketChannel* VideoChannel() override { return link_->VideoChannel(); }
  net::SocketChannel* AudioChannel() override { return link_->AudioChannel(); }
  void ParseMessage(os::SocketHandle socket) override { link_->ParseMessage(socket); }
  void SetNoRetry() override { link_->SetNoRetry(); }
  std::string Key() const override { return link_->camera_id(); }
  uint32_t VideoChannelId() const override { return channel(kVideo).id; }
  uint32_t AudioChannelId() const override { return channel(kAudio).id; }
  void RegisterChannel(uint32_t channel_id, uint32_t kind) override { link_->RegisterChannel(channel_id, kind); }
  bool OnChannelNotFound(uint32_t kind) override { return link_->OnChannelNotFound(kind); }
  void DeliverMedia(const net::MediaData& media) override { link_->DeliverMedia(media); }
  void StoreNodeParameters(const net::NodeParameters& params) override { link_->StoreNodeParameters(params); }

  // State, for the view window and tests.
  std::string camera_id() const { return link_->camera_id(); }
  int connect_status() const { return link_->connect_status(); }
  int viewers() const { return direct_ ? direct_->viewers() : 0; }
  bool no_retry() const { return link_->no_retry(); }
  bool audio_link_ready() const { return direct_ && direct_->audio_link_ready(); }
  ChannelEntry channel(int which) const { return link_->channel(which); }
  uint32_t notice() const { return link_->notices().value(); }
  int notice_countdown() const { return link_->notices().ticks(); }
  net::NodeParameters node_parameters() const { return link_->node_parameters(); }
  net::CameraSetupInfo setup_info() const { return link_->setup_info(); }
  // The camera has sent its own configuration record (until then the node
  // holds only the defaults, which must never be sent back as the camera's).
  bool setup_info_received() const { return direct_ && direct_->setup_info_received(); }
  LoginInfo login() const { return direct_ ? direct_->login() : LoginInfo{}; }
  bool video_connect_done() const { return !direct_ || direct_->video_connect_done(); }
  // While the video connect thread waits between two attempts: when the next
  // one starts (os::MonotonicMs). 0 otherwise.
  uint64_t next_attempt_ms() const { return direct_ ? direct_->next_attempt_ms() : 0; }
  // The number of that next attempt while the view keeps reconnecting; 0 otherwise.
  int next_attempt_number() const { return direct_ ? direct_->next_attempt_number() : 0; }
  void SetKeepReconnecting(bool keep) {
    if (direct_) direct_->SetKeepReconnecting(keep);
  }
  // While a live link is stalled and being healed: wall-clock seconds of
  // its last video ("No video since"); 0 otherwise.
  int64_t stalled_since() const { return link_->stalled_since(); }
  static constexpr int kVideo = ChannelTable::kVideo, kAudio = ChannelTable::kAudio, kSpeaker = ChannelTable::kSpeaker;

  // The camera's control requests, sent on this link.
  CameraControl& Control() { return control_; }
  const CameraControl& Control() const { return control_; }

  static constexpr int kConnectWaitMs = DirectLink::kConnectWaitMs;

 private:
  void ToggleChannel(int which, uint32_t kind) {
    if (direct_) direct_->ToggleChannel(which, kind);
  }

  NodeContext ctx_;
  os::UsageGuard guard_;
  // One of the two is set, by the kind of link; link_ is that one.
  DirectLink* direct_ = nullptr;
  RelayLink* relay_ = nullptr;
  std::unique_ptr<Link> link_;
  CameraControl control_{ctx_.hosting, ctx_.relay, *link_};
};

}  // namespace node
