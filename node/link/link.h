#pragma once
// Link: how a node reaches its camera, directly over two camera-server
// sockets (DirectLink) or through the hosting server (RelayLink). What both
// share lives here once: the channel table, the camera's records, the
// connect status, the stall watchdog with its healing, the close sequence,
// the notices and what the link tells the media path and the event log.
// Each kind fills in the hooks below: how it stops its transport, heals a
// stall, tells of a close, and which socket a request takes.
//
// Who owns what (UI = the window's thread; receive = the hosting receive
// thread, which parses and queues only; connect = DirectLink's threads):
//   ctx_, media_, node_, control_  set at construction, read by every thread
//   camera_id_, setup_info_, params_
//                                 state_mutex_: receive and UI
//   channels_                     its own lock: receive registers, UI reads and toggles
//   connect_status_, user_asked_, no_retry_
//                                 atomics written by receive, connect and UI threads
//   link_events_, watchdog_       their own rules (atomics; the event log locks itself)
//   notices_, live_               UI only (Setup, timers and menu commands run there)
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "hosting/hosting_service.h"
#include "net/camera_setup_info.h"
#include "node/link/camera_control.h"
#include "node/link/channel_table.h"
#include "node/link/link_events.h"
#include "node/link/node_context.h"
#include "node/link/notice_countdown.h"
#include "node/link/stall_watchdog.h"
#include "node/media/media_consumer.h"

namespace node {

class Link : public ControlLink {
 public:
  // `node` is what the hosting service knows the node as; `control` carries
  // the node's requests and takes the camera's answers (it may still be
  // under construction: the link keeps the reference only).
  Link(const NodeContext& ctx, MediaConsumer* media, hosting::HostedNode& node, CameraControl& control,
       const char* not_found_text);
  ~Link() override = default;
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  // UI thread: the window's messages and timers, the link's operations.
  virtual void HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam);
  void Setup(const std::string& camera_id, bool live);
  // The user's Close: channels given back, no reconnect.
  virtual void CloseCommand();
  // The window is going away: off the hosting lists, link closed for good.
  virtual void Destroy();

  // The hosting service's calls (receive thread, the node's guard held).
  virtual net::SocketChannel* VideoChannel() { return nullptr; }
  virtual net::SocketChannel* AudioChannel() { return nullptr; }
  virtual void ParseMessage(os::SocketHandle) {}
  void SetNoRetry() { no_retry_ = true; }
  void RegisterChannel(uint32_t channel_id, uint32_t kind);
  bool OnChannelNotFound(uint32_t kind);
  virtual void DeliverMedia(const net::MediaData& media);
  void StoreNodeParameters(const net::NodeParameters& params);

  // ControlLink and state, for the node's readers.
  std::string camera_id() const override;
  net::CameraSetupInfo setup_info() const override;
  net::NodeParameters node_parameters() const override;
  uint32_t FileVideoChannel() const override;
  ChannelEntry channel(int which) const { return channels_.Get(which); }
  int connect_status() const { return connect_status_; }
  bool no_retry() const { return no_retry_; }
  const NoticeCountdown& notices() const { return notices_; }
  int64_t stalled_since() const { return watchdog_.stalled_since(); }

 protected:
  // Stops what carries the link (connect threads, sockets) and disarms the
  // watchdog, in the order the kind needs.
  virtual void StopTransport() = 0;
  // Whether a close for `socket` is for the link's current socket (a close
  // for one the link has since replaced is stale).
  virtual bool IsCurrentSocket(os::SocketHandle) const { return false; }
  // Whether a closing link is being restored (its recording goes on in the next file).
  virtual bool Restoring() const = 0;
  // Tells the program of the close; true when this began an outage.
  virtual bool AnnounceClose(const std::string& camera, bool restoring) = 0;
  // The end of the close sequence (a direct link reconnects from here).
  virtual void AfterClose(bool restoring) = 0;
  // After Setup: what the kind asks for once the media path is ready.
  virtual void Started(const std::string& camera) = 0;
  // A live link stalled: bring its video back.
  virtual void Heal() = 0;
  // Where the channel `which` is released.
  virtual hosting::RequestTarget ChannelFor(int which) = 0;

  void CloseSequence(uintptr_t socket);
  void StoreSetupInfo(const net::CameraSetupInfo& info);
  void Post(os::WindowHandle window, uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
  // The camera was lost (link down or stalled) or its pictures came back:
  // its view may alert.
  void TellOutage(bool lost);
  void LogCloseEnd(bool retry);

  const NodeContext& ctx_;
  MediaConsumer* const media_;
  hosting::HostedNode& node_;
  CameraControl& control_;
  LinkEvents link_events_;
  StallWatchdog watchdog_;
  ChannelTable channels_;
  mutable std::mutex state_mutex_;  // camera ID, setup info, node parameters
  std::string camera_id_;
  std::atomic<bool> no_retry_{false};
  std::atomic<int> connect_status_{kStatusClear};
  // The user asked for the link or a channel (SetAddress, opening a relayed
  // view, the sound and speaker switches) and has not seen it work or fail:
  // the first "not found" after it is theirs to hear of, the node's own
  // retries are not.
  std::atomic<bool> user_asked_{false};
  bool live_ = true;

 private:
  void OnWatchdogTick();
  void OnNotice(uint32_t value);
  void OnNoticeTick();

  const char* const not_found_text_;
  net::CameraSetupInfo setup_info_;
  net::NodeParameters params_;
  NoticeCountdown notices_;
};

}  // namespace node
