#pragma once
// The simulated hosting server: logins, camera and file lists, online and
// file-list updates, keep-alives, and channels relayed for cameras (their
// live media) and stored files (played from a position, seekable, ending with
// the end-of-file mark).
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera_server.h"
#include "session_server.h"
#include "net/list_records.h"
#include "os/event.h"
#include "request_log.h"

namespace sim {

struct StoredFile {
  std::string name;
  std::string camera_id;
  std::string video_path;
  std::string audio_path;  // empty: no audio
  net::RecordTime start, end;
  VideoClip video;
  AudioClip audio;
};

struct HostedChannel {
  uint32_t kind = 0;
  CameraServer* camera = nullptr;
  StoredFile* file = nullptr;
  int position_ms = 0;
  StreamSender sender;
};

struct HostingSession {
  std::map<uint32_t, std::unique_ptr<HostedChannel>> channels;
};

class HostingServer : private SessionServer<HostingSession> {
 public:
  HostingServer(const Users& users, RequestLog& log);
  ~HostingServer();

  bool Start(uint16_t port, int keepalive_ms, std::string* error);
  void Stop();
  uint16_t port() const { return listener_.port(); }
  FaultPlan& faults() { return faults_; }
  Listener& listener() { return listener_; }

  // Cameras are owned by the world; the hosting server relays their media.
  void AddCamera(CameraServer* camera) { cameras_.push_back(camera); }
  bool AddFile(StoredFile file, std::string* error);
  const std::vector<std::unique_ptr<StoredFile>>& files() const { return files_; }

  net::CameraRecord RecordOf(const CameraServer& camera) const;
  net::FileRecord RecordOf(const StoredFile& file) const;
  // Announces a camera coming online (code 0) or going away (1) to every logged-in client.
  void AnnounceCamera(const CameraServer& camera, bool online);
  void AnnounceFile(const StoredFile& file);
  void SendToAll(uint32_t type, const std::vector<uint8_t>& body);
  // A keep-alive to every logged-in client, each waiting for its answer.
  void SendKeepAlives();
  // The camera went offline: the channels relaying it end, as its stream has.
  void DropCamera(const CameraServer& camera);

 private:
  using Channel = HostedChannel;
  using Session = HostingSession;

  void OnMessage(PeerConnection& c, const net::RawMessage& m) override;
  void OnLogin(PeerConnection& c, const net::RawMessage& m);
  void OnChannelSetup(PeerConnection& c, const net::RawMessage& m);
  void OnChannelCommand(PeerConnection& c, const net::RawMessage& m);
  void OnFilePlay(PeerConnection& c, const net::RawMessage& m);
  void OnSeek(PeerConnection& c, const net::RawMessage& m);
  // Starts (or restarts) every channel of `file` in the session from `position_ms`.
  void PlayFile(PeerConnection& c, Session& s, const StoredFile* file, int position_ms);
  void StartChannel(PeerConnection& c, uint32_t id, Channel& ch);
  CameraServer* FindCamera(const std::string& id) const;
  StoredFile* FindFile(const std::string& name) const;
  void KeepAliveLoop(int interval_ms);

  const Users& users_;
  RequestLog& log_;
  std::vector<CameraServer*> cameras_;
  std::vector<std::unique_ptr<StoredFile>> files_;
  uint32_t next_channel_ = 5000;  // under mutex_

  std::thread keepalive_;
  os::Event stop_{os::Event::Reset::kManual};
};

}  // namespace sim
