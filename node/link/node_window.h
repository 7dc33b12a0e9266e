#pragma once
// CNodeWindow: one camera view's link to its camera (direct, over two
// camera-server sockets) or to the hosting server (relay), its channels,
// reconnect policy and notices. It owns the camera's control requests
// (Control()), which travel on its link. The Win32 window forwards its
// messages to HandleMessage; everything the node sends to windows goes
// through the window seam, so the same logic runs in tests.
//
// Who owns what (UI = the window's thread; receive = the hosting receive
// thread, which parses and queues only):
//   ctx_, media_                  set at construction, read by every thread
//   guard_                        network and connect threads hold it while they use the node
//   login_, camera_id_, channels_, setup_info_, params_, identified_camera_
//                                 state_mutex_: UI writes the login, receive and UI the rest;
//                                 connect threads take a copy of the login under it
//   video_, audio_                SocketChannel's own rules: connect threads attach, receive reads,
//                                 send thread drains, UI closes
//   stop_, *_done_, *_socket_, restart_connect_, next_attempt_ms_, next_attempt_number_
//                                 events and atomics: connect threads and UI
//   reconnect_, link_events_, watchdog_
//                                 their own rules (atomics; the event log locks itself)
//   video_thread_, audio_thread_  UI starts and joins them
//   notice_, notice_countdown_, live_, audio_allowed_, relay_camera_
//                                 UI only (Setup, timers and menu commands run there)
//   no_retry_, connect_status_, audio_link_ready_, viewers_, notify_on_close_, setup_info_received_,
//   user_asked_                   atomics written by receive, connect and UI threads
//   control_                      its own rules (node/camera_control.h); receive hands it the replies
//   parsing_socket_               receive thread only
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "hosting/hosting_service.h"
#include "net/camera_setup_info.h"
#include "node/link/camera_control.h"
#include "node/events/event_log.h"
#include "node/link/link_events.h"
#include "node/media/media_consumer.h"
#include "net/reconnect_policy.h"
#include "node/link/stall_watchdog.h"
#include "os/event.h"
#include "os/usage_guard.h"
#include "os/window_seam.h"

namespace node {

// Where the last dynamic IP address of a server entry is remembered.
class DynamicIpStore {
 public:
  virtual ~DynamicIpStore() = default;
  virtual void Save(const std::string& display_name, const std::string& ip) = 0;
};

// Everything a node needs from the program around it.
struct NodeContext {
  hosting::HostingService* hosting = nullptr;
  hosting::HostEventQueue* events = nullptr;
  os::WindowPoster* poster = nullptr;
  os::WindowTimers* timers = nullptr;
  os::UserMessages* messages = nullptr;
  DynamicIpStore* dynamic_ip = nullptr;
  os::WindowHandle self = 0, parent = 0, main_window = 0;
  int index = 0;
  bool relay = false;
  std::string display_name;
  int retry_wait_ms = 60000;  // between connect attempts; tests shorten it
  // The viewer option "Keep reconnecting"; off keeps three attempts
  // retry_wait_ms apart. Tests shorten the growing waits.
  bool keep_reconnecting = false;
  std::array<int, 5> reconnect_waits_ms = net::ReconnectWaits{}.growing_ms;
  EventLog* event_log = nullptr;  // where the link tells what happened; may be null
  // A live link without video this long is healed (0: never).
  int stall_ms = 10000;
};

struct LoginInfo {
  std::string ip;
  uint16_t port = 0;
  bool dynamic_ip = false;
  std::string device_name;
  std::string user;
  std::string password;
};

struct ChannelEntry {
  uint32_t kind = 0;
  uint32_t id = net::kChannelNotFound;
  bool active = false;
};

// kStatusNotFound: the server has no such camera or file (the view retries by itself).
enum ConnectStatus : int {
  kStatusClear = 0,
  kStatusNoChange = 1,
  kStatusCannotConnect = 2,
  kStatusLoginRefused = 3,
  kStatusNotFound = 4
};

// The messages a node posts to its own window, which the window hands back
// to CNodeWindow::HandleMessage on its thread (its timers aside).
bool IsNodeSelfMessage(uint32_t message);

// Node timers.
constexpr uint32_t kStatisticsTimer = 55;
constexpr uint32_t kNoticeTimer = 100;
constexpr uint32_t kWatchdogTimer = 56;  // once a second: the stall watchdog
constexpr int kNoticeTicks = 120;  // 500 ms each: a notice lasts 60 s after its last repetition

class CNodeWindow : public hosting::HostedNode, private net::MessageHandler, private ControlLink {
 public:
  CNodeWindow(NodeContext context, MediaConsumer* media);
  ~CNodeWindow() override;
  CNodeWindow(const CNodeWindow&) = delete;
  CNodeWindow& operator=(const CNodeWindow&) = delete;

  // The window's messages (posted ones and timers) arrive here on the UI thread.
  void HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam);

  // Link operations.
  int SetAddress(const LoginInfo& login);
  int CS_Reconnect();
  void RequestAudioLink();
  void Setup(const std::string& camera_id, bool live);
  // Relay nodes made from the hosting server's lists.
  void OpenRelayCamera(const std::string& camera_id);
  void OpenRelayFile(const std::string& camera_id, const std::string& file_name);
  void CloseCommand();
  // The window is going away: off the hosting lists, link closed for good.
  void Destroy();

  // Encoded microphone audio (ADPCM) for the camera's speaker, in the
  // MediaData form the camera's version asks for; -1 without an open speaker channel.
  int SendSpeakerAudio(const uint8_t* data, uint32_t length);

  // Menu toggles of the audio and speaker channels.
  void ToggleAudio();
  void ToggleSpeaker();

  // hosting::HostedNode
  int Index() const override { return ctx_.index; }
  bool IsRelay() const override { return ctx_.relay; }
  os::WindowHandle Window() const override { return ctx_.self; }
  os::UsageGuard& Guard() override { return guard_; }
  net::SocketChannel* VideoChannel() override { return ctx_.relay ? nullptr : &video_; }
  net::SocketChannel* AudioChannel() override { return ctx_.relay ? nullptr : &audio_; }
  void ParseMessage(os::SocketHandle socket) override;
  void SetNoRetry() override { no_retry_ = true; }
  std::string Key() const override;
  uint32_t VideoChannelId() const override { return channel(kVideo).id; }
  uint32_t AudioChannelId() const override { return channel(kAudio).id; }
  void RegisterChannel(uint32_t channel_id, uint32_t kind) override;
  bool OnChannelNotFound(uint32_t kind) override;
  void DeliverMedia(const net::MediaData& media) override;
  void StoreNodeParameters(const net::NodeParameters& params) override;

  // State, for the view window and tests.
  std::string camera_id() const override;
  int connect_status() const { return connect_status_; }
  int viewers() const { return viewers_; }
  bool no_retry() const { return no_retry_; }
  bool audio_link_ready() const { return audio_link_ready_; }
  ChannelEntry channel(int which) const;
  uint32_t notice() const { return notice_; }
  int notice_countdown() const { return notice_countdown_; }
  net::NodeParameters node_parameters() const override;
  net::CameraSetupInfo setup_info() const override;
  // The camera has sent its own configuration record (until then the node
  // holds only the defaults, which must never be sent back as the camera's).
  bool setup_info_received() const { return setup_info_received_; }
  LoginInfo login() const;
  bool video_connect_done() const { return video_done_.IsSet(); }
  // While the video connect thread waits between two attempts: when the next
  // one starts (os::MonotonicMs). 0 otherwise.
  uint64_t next_attempt_ms() const { return next_attempt_ms_; }
  // The number of that next attempt while the view keeps reconnecting; 0 otherwise.
  int next_attempt_number() const { return next_attempt_number_; }
  void SetKeepReconnecting(bool keep) { reconnect_.SetKeepReconnecting(keep); }
  // While a live link is stalled and being healed: wall-clock seconds of
  // its last video ("No video since"); 0 otherwise.
  int64_t stalled_since() const { return watchdog_.stalled_since(); }
  static constexpr int kVideo = 0, kAudio = 1, kSpeaker = 2;

  // The camera's control requests, sent on this link.
  CameraControl& Control() { return control_; }
  const CameraControl& Control() const { return control_; }

  // How long closing waits for a connect thread on the window's thread. The
  // close abandons the thread's connect or dynamic-IP look-up, so it ends
  // within a few milliseconds; this bounds what nothing can abandon.
  static constexpr int kConnectWaitMs = 3000;

 private:
  bool OnMessage(const net::RawMessage& message) override;
  // ControlLink (camera_id, setup_info and node_parameters are public above).
  hosting::RequestTarget ControlChannel() override;
  uint32_t FileVideoChannel() const override;
  bool OnLoginReply(const net::RawMessage& m);
  void OnCameraInfo(const net::RawMessage& m);
  // UI thread: the camera identified itself on the video link.
  void OnCameraIdentified();
  void OnSetupInfoReply(const net::RawMessage& m);

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
  bool WaitForConnectThread(os::Event& done, const char* which);
  // Connect thread: waits before an attempt; false when the node was stopped meanwhile.
  bool WaitForAttempt(const net::ReconnectPolicy::Step& step);

  void CloseSequence(uintptr_t socket);
  // The watchdog's tick; a stalled link is logged and healed.
  void OnWatchdogTick();
  // A relay node gives its channels back and asks the hosting server again.
  void RequestRelayChannelsAgain();
  // A relay camera node sets itself up again and asks for its channels
  // (the hosting server is back after a loss); nothing when it is open or was closed.
  void ReopenRelayCamera();
  void OnNotice(uint32_t value);
  void OnNoticeTick();
  void ToggleChannel(int which, uint32_t kind);
  void Post(os::WindowHandle window, uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
  // The camera was lost (link down or stalled) or its pictures came back:
  // its view may alert.
  void TellOutage(bool lost);
  hosting::RequestTarget ChannelFor(int which);

  NodeContext ctx_;
  MediaConsumer* media_;
  os::UsageGuard guard_;
  net::SocketChannel video_, audio_;
  os::Event stop_{os::Event::Reset::kManual, false};
  os::Event video_done_{os::Event::Reset::kManual, true};
  os::Event audio_done_{os::Event::Reset::kManual, true};
  std::thread video_thread_, audio_thread_;
  std::atomic<bool> restart_connect_{false};  // SetAddress came while the video thread still ran
  std::atomic<uint64_t> next_attempt_ms_{0};  // written by the video connect thread
  std::atomic<int> next_attempt_number_{0};   // the same
  net::ReconnectPolicy reconnect_;
  LinkEvents link_events_;
  StallWatchdog watchdog_;
  std::atomic<os::SocketHandle> video_socket_{os::kInvalidSocket}, audio_socket_{os::kInvalidSocket};
  std::atomic<bool> notify_on_close_{true};
  // The receive thread reads these while the user-interface thread changes them.
  mutable std::mutex state_mutex_;  // login, camera ID, channels, setup info, node parameters
  LoginInfo login_;
  std::string camera_id_;
  std::string identified_camera_;  // from the receive thread, for OnCameraIdentified
  std::atomic<bool> audio_link_ready_{false};
  ChannelEntry channels_[3];
  std::atomic<int> viewers_{0};
  net::CameraSetupInfo setup_info_;
  std::atomic<bool> setup_info_received_{false};
  net::NodeParameters params_;
  std::atomic<bool> no_retry_{false};
  std::atomic<int> connect_status_{kStatusClear};
  // The user asked for the link or a channel (SetAddress, opening a relayed
  // view, the sound and speaker switches) and has not seen it work or fail:
  // the first "not found" after it is theirs to hear of, the node's own
  // retries are not.
  std::atomic<bool> user_asked_{false};
  uint32_t notice_ = 0;
  int notice_countdown_ = 0;
  bool live_ = true;
  std::string relay_camera_;  // UI: the camera a relay view was opened for, until the user closes it
  bool audio_allowed_ = true;
  CameraControl control_{ctx_.hosting, ctx_.relay, *this};
  os::SocketHandle parsing_socket_ = os::kInvalidSocket;  // receive thread only
};

}  // namespace node
