#pragma once
// A simulated camera server: logins on the video and audio sockets, camera
// information, channels with paced live video and ADPCM audio, the speaker
// channel saved, the configuration record sent after the camera identified
// itself, kept and updated, PTZ position and
// preset replies, notices and viewer counts on command.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "session_server.h"
#include "media_source.h"
#include "net/camera_setup_info.h"
#include "net/control_messages.h"
#include "request_log.h"
#include "stream_sender.h"

namespace sim {

struct CameraConfig {
  std::string id;
  uint16_t port = 0;
  std::string video_path;
  std::string audio_path;  // empty or "voice": a generated voice-like signal
  uint8_t version[3] = {1, 1, 7};
  int fps = 0;             // 0: from the stream
};

struct CameraSession {
  uint32_t video_channel = 0, audio_channel = 0, speaker_channel = 0;
  StreamSender video, audio;
};

class CameraServer : private SessionServer<CameraSession> {
 public:
  CameraServer(CameraConfig config, const Users& users, RequestLog& log);
  ~CameraServer();

  bool Start(std::string* error);
  void Stop();

  const CameraConfig& config() const { return config_; }
  uint16_t port() const { return listener_.port(); }
  const VideoClip& video() const { return video_; }
  const AudioClip& audio() const { return audio_; }
  FaultPlan& faults() { return faults_; }
  Listener& listener() { return listener_; }

  void SendToAll(uint32_t type, const std::vector<uint8_t>& body);
  void SendKeepAlives();
  void SetOnline(bool online);
  bool online() const { return online_; }
  // Speaker audio received so far (ADPCM bytes, in arrival order).
  std::vector<uint8_t> SpeakerAudio();
  // Forgets the speaker audio received so far (long runs that never read it).
  void ClearSpeakerAudio();
  // Speaker units received so far in the long (24-byte) and the short
  // (16-byte) MediaData form.
  struct SpeakerForms {
    int long_form = 0, short_form = 0;
  };
  SpeakerForms SpeakerUnits();
  int viewers();
  // The configuration record the camera holds and sends after identifying
  // itself; tests give it one of their own before a client connects.
  void SetSetupInfo(const net::CameraSetupInfo& info);
  // A camera that refuses every record sent to it: it answers REASON_ERROR
  // with its record unchanged.
  void SetRefuseSetup(bool refuse);
  // The body of the last RequestCameraSetupInfo exactly as it arrived, and
  // how many have arrived.
  std::vector<uint8_t> LastSetupRequest(int* count = nullptr);
  // Live units sent on all connections (load figures).
  uint64_t UnitsSent();

 private:
  using Session = CameraSession;

  void OnMessage(PeerConnection& c, const net::RawMessage& m) override;
  void OnLogin(PeerConnection& c, const net::RawMessage& m);
  void OnChannelSetup(PeerConnection& c, const net::RawMessage& m);
  void OnChannelCommand(PeerConnection& c, const net::RawMessage& m);
  void OnSpeakerMedia(PeerConnection& c, const net::RawMessage& m);
  void OnSetupInfo(PeerConnection& c, const net::RawMessage& m);
  void SendSetupInfo(PeerConnection& c, bool refused = false);
  void OnPtz(PeerConnection& c, const net::RawMessage& m);
  bool LongMediaForm();

  CameraConfig config_;
  const Users& users_;
  RequestLog& log_;
  VideoClip video_;
  AudioClip audio_;
  std::atomic<bool> online_{true};

  // Under mutex_ with the sessions:
  net::CameraSetupInfo setup_info_;
  std::vector<uint8_t> last_setup_request_;
  int setup_requests_ = 0;
  bool refuse_setup_ = false;
  net::PtzPosition position_;
  std::vector<uint8_t> speaker_audio_;
  SpeakerForms speaker_units_;
  uint32_t next_channel_ = 100;
};

}  // namespace sim
