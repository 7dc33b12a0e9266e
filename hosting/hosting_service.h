#pragma once
// The program's network hub: the hosting-server connection (m_hostSock), the
// node lists, and the receive and send threads that serve every socket of the
// program with one select loop each.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "hosting/host_event_queue.h"
#include "hosting/hosted_node.h"
#include "hosting/node_list.h"
#include "net/camera_setup_info.h"
#include "net/control_messages.h"
#include "net/proxy_settings.h"
#include "net/socket_channel.h"
#include "os/event.h"
#include "os/socket.h"
#include "os/window_seam.h"

namespace hosting {

class HostingService : private net::MessageHandler {
 public:
  static constexpr int kThreadStopWaitMs = 5000;
  static constexpr int kSelectTimeoutMs = 3000;
  static constexpr int kSendPassSleepMs = 100;

  HostingService(HostEventQueue& events, os::WindowPoster& poster, os::UserMessages& messages);
  ~HostingService() override;
  HostingService(const HostingService&) = delete;
  HostingService& operator=(const HostingService&) = delete;

  // Window creation and destruction start and stop the two network threads.
  void Start();
  void Stop();

  // The proxy settings every connection of the program uses.
  net::ProxySettings& proxy() { return proxy_; }

  // Starts a connect thread; -1 when value2 is 0 or a connect is still running.
  int Connect(int32_t value1, int32_t value2, const std::string& address, uint16_t port, const std::string& user,
              const std::string& password);
  void Disconnect();
  // The hosting connection dropped (or is dropped): close, tell the main
  // window, and close every relay node.
  void CloseHost();
  void CS_SocketClose(HostedNode* node, os::SocketHandle socket);

  void AddNode(HostedNode* node);
  // Takes the node off its list, then waits for its users to leave.
  void RemoveNode(HostedNode* node);
  // These return the node with its UsageGuard acquired (the caller releases),
  // or null when there is none or it is closing.
  HostedNode* GetDirectNode(int index);
  HostedNode* FindDirectNodeBySocket(os::SocketHandle socket);
  HostedNode* FindRelayNodeByChannel(uint32_t channel_id);
  HostedNode* FindRelayNodeByKey(const std::string& key);
  NodeList& direct_nodes() { return direct_; }
  NodeList& relay_nodes() { return relay_; }

  // Request senders. Each takes the connection to use and does nothing (-1)
  // without one. All are queued for the send thread except the channel
  // release and the preset-enable request, which are written at once.
  int RequestUserLogin(net::SocketChannel* channel, const std::string& user, const std::string& password);
  int RequestOnlineCameraList(net::SocketChannel* channel);
  int RequestFileList(net::SocketChannel* channel);
  int RequestCameraInfo(net::SocketChannel* channel);
  int RequestChannelSetup(net::SocketChannel* channel, uint32_t kind, const std::string& camera_id,
                          const std::string& file_name = "");
  int RequestChannelCommand(net::SocketChannel* channel, uint32_t channel_id, uint32_t command);
  int RequestChannelRelease(net::SocketChannel* channel, uint32_t channel_id);
  int RequestFilePlay(net::SocketChannel* channel, int32_t position, const std::string& file_name);
  int RequestStreamingReset(net::SocketChannel* channel, uint32_t channel_id, uint32_t position);
  int RequestCameraSetupInfo(net::SocketChannel* channel, const net::CameraSetupInfo& info);
  int RequestPresetEnable(net::SocketChannel* channel);
  int SendControl(net::SocketChannel* channel, const net::ControlMessage& message);
  int KeepAlive(net::SocketChannel* channel);

  // Shared by hosting-server and camera-server replies: registers the channel
  // in the node and sends the follow-up requests on `channel`.
  int HandleChannelSetupReply(HostedNode* node, const net::ChannelSetupRecord& reply, net::SocketChannel* channel);

  // The sockets one pass of the loops watches: m_hostSock first, then the
  // direct nodes' video and audio sockets, at most 64 in all.
  void BuildSocketSet(os::SocketSet* set);

  net::SocketChannel m_hostSock;

 private:
  bool OnMessage(const net::RawMessage& message) override;
  void ConnectThread(std::string address, uint16_t port, std::string user, std::string password);
  void ReceiveLoop();
  void SendLoop();
  void ProcessHostInput();
  void ProbeSockets();
  void OnChannelSetupMessage(const net::RawMessage& message);
  void OnMediaMessage(const net::RawMessage& message);
  int Queue(net::SocketChannel* channel, uint32_t type, const void* body, uint32_t length);

  HostEventQueue& events_;
  os::WindowPoster& poster_;
  os::UserMessages& messages_;
  net::ProxySettings proxy_;
  NodeList direct_;
  NodeList relay_;

  std::atomic<bool> receive_running_{false}, send_running_{false};
  os::Event receive_exit_{os::Event::Reset::kAuto}, send_exit_{os::Event::Reset::kAuto};
  std::thread receive_thread_, send_thread_, connect_thread_;
  std::atomic<bool> connecting_{false};
};

}  // namespace hosting
