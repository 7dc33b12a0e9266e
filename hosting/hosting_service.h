#pragma once
// The program's network hub: the hosting-server connection (m_hostSock) and
// its login, the node table, the receive and send threads, and the requests
// and replies of the protocol. It composes the parts: HostSession (the login
// over time, the proxy), HostKeepAlive, NodeTable and SocketLoops.
// Threads: the receive thread alone reads every socket, runs every message
// handler (OnMessage and the nodes' ParseMessage) and watches the hosting
// connection's keep-alive deadline; the send thread alone drains the queues
// (a SendNow drains its own socket's queue under that socket's write lock);
// network threads touch a direct node only while holding it (GetDirectNode)
// and walk the relay nodes only under the relay list's lock. Nothing here
// shows anything to the user: what the user must see goes to the main window
// as a HostEvent.
#include <cstdint>
#include <memory>
#include <string>

#include "hosting/host_event_queue.h"
#include "hosting/host_keepalive.h"
#include "hosting/host_session.h"
#include "hosting/hosted_node.h"
#include "hosting/node_table.h"
#include "hosting/socket_loops.h"
#include "net/camera_setup_info.h"
#include "net/control_messages.h"
#include "net/proxy_settings.h"
#include "net/reconnect_policy.h"
#include "net/socket_channel.h"
#include "os/socket.h"
#include "os/window_seam.h"

namespace hosting {

// Where a request goes: a direct node's own camera-server connection, or the
// hosting-server connection, which only the service itself touches.
class RequestTarget {
 public:
  // A node's connection (null: none, the request is not sent).
  RequestTarget(net::SocketChannel* channel) : channel_(channel) {}  // NOLINT: implicit on purpose
  static RequestTarget Host() {
    RequestTarget target(nullptr);
    target.host_ = true;
    return target;
  }

 private:
  friend class HostingService;
  net::SocketChannel* channel_ = nullptr;
  bool host_ = false;
};

class HostingService : private net::MessageHandler {
 public:
  HostingService(HostEventQueue& events, os::WindowPoster& poster);
  ~HostingService() override;
  HostingService(const HostingService&) = delete;
  HostingService& operator=(const HostingService&) = delete;

  // Window creation and destruction start and stop the two network threads.
  void Start();
  void Stop();

  // The proxy settings every connection of the program uses. A connect
  // thread takes the snapshot current when it starts and keeps it: a change
  // (the option sheet's) replaces the snapshot, never edits one in use.
  std::shared_ptr<const net::ProxySettings> Proxy() const { return session_.Proxy(); }
  void SetProxy(const net::ProxySettings& settings) { session_.SetProxy(settings); }

  // Starts a connect thread; -1 when a connect is still running.
  // A restoring of a lost connection under way or waited for ends: the
  // user's own connection takes its place.
  int Connect(const HostLogin& login);
  void Disconnect();
  // The user closes the hosting connection: close, tell the main window,
  // and close every relay node. No reconnect follows, and a connect under
  // way is abandoned.
  void CloseHost();
  // Whether an unexpected loss of the hosting connection is restored: the
  // login repeated with `waits` (the first attempt at once), for as long as
  // it takes; Connect, Disconnect, CloseHost and a refused login stop it. Any
  // time; a change of the waits starts their count afresh.
  void SetHostReconnect(bool keep, net::ReconnectWaits waits = {});
  // The keep-alive's times (tests shorten them): a probe after idle_ms
  // without a word from the server, the loss after deadline_ms.
  void SetKeepAlive(int idle_ms, int deadline_ms);
  // The restoring attempt under way or waited for; 0 when none.
  int host_attempt() const { return session_.attempt(); }
  void CS_SocketClose(HostedNode* node, os::SocketHandle socket);

  // The hosting-server connection: whether it is open, and how many bytes
  // still wait for the send thread.
  bool HostConnected() const { return m_hostSock.IsOpen(); }
  uint32_t HostPending() const { return m_hostSock.pending(); }
  // Adopts a socket connected elsewhere as the hosting-server connection
  // (tools and tests that connect by themselves).
  void AttachHost(os::SocketHandle socket) { m_hostSock.Attach(socket); }

  void AddNode(HostedNode* node) { nodes_.AddNode(node); }
  // Takes the node off its list, then waits for its users to leave.
  void RemoveNode(HostedNode* node) { nodes_.RemoveNode(node); }
  // The node held through its UsageGuard until the handle goes; empty when
  // there is none or it is closing.
  HeldNode GetDirectNode(int index) { return nodes_.GetDirectNode(index); }
  NodeList& direct_nodes() { return nodes_.direct_nodes(); }
  NodeTable& nodes() { return nodes_; }

  // Request senders. Each takes the connection to use and does nothing (-1)
  // without one (or while it is closed). All are queued for the send thread except the channel
  // release and the preset-enable request, which are written at once.
  int RequestUserLogin(RequestTarget target, const std::string& user, const std::string& password);
  int RequestOnlineCameraList(RequestTarget target);
  int RequestFileList(RequestTarget target);
  int RequestCameraInfo(RequestTarget target);
  int RequestChannelSetup(RequestTarget target, uint32_t kind, const std::string& camera_id,
                          const std::string& file_name = "");
  int RequestChannelCommand(RequestTarget target, uint32_t channel_id, uint32_t command);
  int RequestChannelRelease(RequestTarget target, uint32_t channel_id);
  int RequestFilePlay(RequestTarget target, int32_t position, const std::string& file_name);
  int RequestStreamingReset(RequestTarget target, uint32_t channel_id, uint32_t position);
  int RequestCameraSetupInfo(RequestTarget target, const net::CameraSetupInfo& info);
  int RequestPresetEnable(RequestTarget target);
  int SendControl(RequestTarget target, const net::ControlMessage& message);
  int KeepAlive(RequestTarget target);

  // Shared by hosting-server and camera-server replies: registers the channel
  // in the node and sends the follow-up requests on `target`.
  int HandleChannelSetupReply(HostedNode* node, const net::ChannelSetupRecord& reply, RequestTarget target);

  // The sockets one pass of the loops watches: m_hostSock first, then every
  // direct node's video and audio sockets.
  void BuildSocketSet(os::SocketSet* set) { loops_.BuildSocketSet(set); }

 private:
  bool OnMessage(const net::RawMessage& message) override;
  // Connects and sends the login; false (and kHostUnreachable when `tell`)
  // when the server cannot be reached. Abandoned, and nothing attached, once
  // the user's Connect, Disconnect or CloseHost moved on from `generation`,
  // or the service stops. A connect thread (the user's or the reconnect one).
  bool ConnectHost(const net::ProxySettings& proxy, const HostLogin& login, bool tell, uint64_t generation);
  // The hosting connection went down by itself (receive thread): closed as
  // by CloseHost, then restored when that is wanted.
  void LoseHost();
  void CloseHostConnection();
  // Receive thread: probes a quiet hosting connection, loses a silent one.
  void WatchHostSilence();
  // Receive thread, relay list's lock held.
  void ProcessHostInput();
  // The hosting server accepted the login: a later loss is restored, relay nodes ask again.
  void OnHostLoggedIn();
  void OnChannelSetupMessage(const net::RawMessage& message);
  void OnMediaMessage(const net::RawMessage& message);
  net::SocketChannel* Resolve(const RequestTarget& target) { return target.host_ ? &m_hostSock : target.channel_; }
  int Queue(const RequestTarget& target, uint32_t type, const void* body, uint32_t length);

  HostEventQueue& events_;
  os::WindowPoster& poster_;
  // The hosting-server connection: connected by the connect thread, read by
  // the receive thread, drained by the send thread, closed by CloseHost and
  // Disconnect; everyone else only queues requests on it.
  net::SocketChannel m_hostSock;
  NodeTable nodes_;
  HostKeepAlive keepalive_;  // its watch belongs to the receive thread
  HostSession session_;
  SocketLoops loops_;
};

}  // namespace hosting
