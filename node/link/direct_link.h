#pragma once
// DirectLink: a node's link straight to its camera server, over two
// sockets: video (login, camera info, video channel, control requests) and
// audio (sound and speaker channels, opened on demand). Its connect threads
// resolve a dynamic IP address, connect and log in, and the video thread
// retries by the reconnect policy; the receive thread parses what comes
// and queues the rest for the window's thread.
//
// Who owns what, beyond Link's (UI = the window's thread; receive = the
// hosting receive thread, which parses and queues only; connect = the two
// connect threads):
//   login_, identified_camera_    state_mutex_: UI writes the login, connect threads take a copy
//                                 of it; receive writes the identified camera, UI takes it
//   video_, audio_                SocketChannel's own rules: connect threads attach, receive reads,
//                                 send thread drains, UI closes
//   stop_, *_socket_, restart_connect_, next_attempt_ms_, next_attempt_number_
//                                 events and atomics: connect threads and UI
//   reconnect_                    its own rules (atomics)
//   video_connect_, audio_connect_
//                                 UI starts and joins them, each run says when it is done
//   audio_link_ready_, viewers_, setup_info_received_
//                                 atomics written by receive and UI threads
//   parsing_socket_               receive thread only
#include <atomic>
#include <cstdint>
#include <string>

#include "net/reconnect_policy.h"
#include "net/socket_channel.h"
#include "node/link/connect_thread.h"
#include "node/link/link.h"
#include "os/event.h"

namespace node {

class DirectLink final : public Link, private net::MessageHandler {
 public:
  DirectLink(const NodeContext& ctx, MediaConsumer* media, hosting::HostedNode& node, CameraControl& control);
  // Joins the connect threads (Destroy has told them to stop).
  ~DirectLink() override;

  void HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) override;
  void Destroy() override;
  int SetAddress(const LoginInfo& login);
  int CS_Reconnect();
  void RequestAudioLink();
  // Menu toggles of the audio and speaker channels.
  void ToggleChannel(int which, uint32_t kind);
  // Encoded microphone audio (ADPCM) for the camera's speaker, in the
  // MediaData form the camera's version asks for; -1 without an open speaker channel.
  int SendSpeakerAudio(const uint8_t* data, uint32_t length);

  net::SocketChannel* VideoChannel() override { return &video_; }
  net::SocketChannel* AudioChannel() override { return &audio_; }
  void ParseMessage(os::SocketHandle socket) override;
  void DeliverMedia(const net::MediaData& media) override;
  hosting::RequestTarget ControlChannel() override { return &video_; }

  LoginInfo login() const;
  int viewers() const { return viewers_; }
  bool audio_link_ready() const { return audio_link_ready_; }
  bool setup_info_received() const { return setup_info_received_; }
  bool video_connect_done() const { return video_connect_.done(); }
  uint64_t next_attempt_ms() const { return next_attempt_ms_; }
  int next_attempt_number() const { return next_attempt_number_; }
  void SetKeepReconnecting(bool keep) { reconnect_.SetKeepReconnecting(keep); }

  // How long closing waits for a connect thread on the window's thread. The
  // close abandons the thread's connect or dynamic-IP look-up, so it ends
  // within a few milliseconds; this bounds what nothing can abandon.
  static constexpr int kConnectWaitMs = 3000;

 private:
  // Link
  void StopTransport() override;
  bool IsCurrentSocket(os::SocketHandle s) const override { return s == video_socket_ || s == audio_socket_; }
  bool Restoring() const override { return !no_retry_; }
  bool AnnounceClose(const std::string& camera, bool restoring) override;
  void AfterClose(bool restoring) override;
  void Started(const std::string&) override { RequestAudioLink(); }
  // The close sequence reconnects, as after a close by the camera.
  void Heal() override { CloseSequence(0); }
  hosting::RequestTarget ChannelFor(int which) override { return which == ChannelTable::kVideo ? &video_ : &audio_; }

  // Parsing (receive thread).
  bool OnMessage(const net::RawMessage& message) override;
  bool OnLoginReply(const net::RawMessage& m);
  void OnCameraInfo(const net::RawMessage& m);
  void OnSetupInfoReply(const net::RawMessage& m);
  // UI thread: the camera identified itself on the video link.
  void OnCameraIdentified();

  // Connecting (connect threads, started on the UI thread).
  void StartVideoConnect();
  void StartAudioConnect();
  void VideoConnectThread();
  void AudioConnectThread();
  int ConnectProcedure(net::SocketChannel& channel, bool video, const LoginInfo& login);
  // What the connect threads' connects and look-ups ask: they give up once
  // the node closes or takes a new address (stop_).
  os::Abandoned Abandoned();
  bool ResolveAddress(bool video, const LoginInfo& login, std::string* ip, uint16_t* port);
  // Waits (bounded) for a connect thread to finish; false (and a log line)
  // when it is still running.
  bool WaitForConnectThread(ConnectThread& thread, const char* which);
  // Connect thread: waits before an attempt; false when the node was stopped meanwhile.
  bool WaitForAttempt(const net::ReconnectPolicy::Step& step);

  net::SocketChannel video_, audio_;
  os::Event stop_{os::Event::Reset::kManual, false};
  ConnectThread video_connect_, audio_connect_;
  std::atomic<bool> restart_connect_{false};  // SetAddress came while the video thread still ran
  std::atomic<uint64_t> next_attempt_ms_{0};  // written by the video connect thread
  std::atomic<int> next_attempt_number_{0};   // the same
  net::ReconnectPolicy reconnect_;
  std::atomic<os::SocketHandle> video_socket_{os::kInvalidSocket}, audio_socket_{os::kInvalidSocket};
  LoginInfo login_;
  std::string identified_camera_;  // from the receive thread, for OnCameraIdentified
  std::atomic<bool> audio_link_ready_{false};
  std::atomic<int> viewers_{0};
  std::atomic<bool> setup_info_received_{false};
  os::SocketHandle parsing_socket_ = os::kInvalidSocket;  // receive thread only
};

}  // namespace node
