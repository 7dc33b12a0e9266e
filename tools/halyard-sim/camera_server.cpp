#include "camera_server.h"

#include "scenes.h"

#include "net/byte_order.h"
#include "net/channel_messages.h"
#include "net/login_messages.h"
#include "net/media_data.h"
#include "net/packet_header.h"

namespace sim {

CameraServer::CameraServer(CameraConfig config, const Users& users, RequestLog& log)
    : config_(std::move(config)), users_(users), log_(log), setup_info_(net::CameraSetupInfo::Defaults()) {
  setup_info_.SetVersion(config_.version[0], config_.version[1], config_.version[2]);
}

CameraServer::~CameraServer() { Stop(); }

bool CameraServer::Start(std::string* error) {
  if (IsSceneName(config_.video_path) ? !LoadScene(config_.video_path, &video_, error)
                                       : !LoadVideoClip(config_.video_path, config_.fps, &video_, error))
    return false;
  if (config_.audio_path.empty() || config_.audio_path == "voice")
    audio_ = GenerateVoiceLikeAudio(6);
  else if (!LoadAudioClip(config_.audio_path, &audio_, error))
    return false;
  uint32_t loopback = 0;
  os::ParseIpv4("127.0.0.1", &loopback);
  if (!listener_.Start(loopback, config_.port,
                       [this](os::SocketHandle s, const std::string& peer) { return Accept(s, peer); })) {
    *error = "camera " + config_.id + ": cannot listen on port " + std::to_string(config_.port);
    return false;
  }
  return true;
}

void CameraServer::Stop() { StopSessions(); }

bool CameraServer::LongMediaForm() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !setup_info_.UsesShortMediaForm();
}

void CameraServer::OnMessage(PeerConnection& c, const net::RawMessage& m) {
  if (m.type != net::kMediaData)
    log_.Add({config_.id, m.type, MessageName(m.type), DecodeFields(m.type, m.body, m.length)});
  switch (m.type) {
    case net::kRequestUserLogin:
      OnLogin(c, m);
      return;
    case net::kKeepAlive:
      c.OnKeepAlive();
      return;
    default:
      break;
  }
  if (!c.logged_in) return;  // a camera answers nothing else before a login
  switch (m.type) {
    case net::kRequestCameraInfo: {
      std::vector<uint8_t> body(96, 0);
      net::PutText(body.data(), 32, config_.id);
      net::PutText(body.data() + 32, 64, "halyard-sim camera");
      c.Send(net::kCameraInfoReply, body);
      // The viewer has no request for the record: the camera offers it.
      SendSetupInfo(c);
      break;
    }
    case net::kRequestChannelSetup:
      OnChannelSetup(c, m);
      break;
    case net::kRequestChannelCommand:
      OnChannelCommand(c, m);
      break;
    case net::kMediaData:
      OnSpeakerMedia(c, m);
      break;
    case net::kRequestCameraSetupInfo:
      OnSetupInfo(c, m);
      break;
    case net::kPtzPosition:
    case net::kSetPtzPosition:
      OnPtz(c, m);
      break;
    case net::kPresetEnable:
      c.Send(net::kReplyPresetAck, net::EncodeWord(0));
      break;
    default:
      break;  // control requests are only recorded
  }
}

void CameraServer::OnLogin(PeerConnection& c, const net::RawMessage& m) {
  const bool ok = Authenticate(c, users_, m);
  c.Send(net::kReplyUserLogin, net::EncodeWord(ok ? net::kLoginAccepted : 2));
  if (ok) c.Send(net::kUserNumber, net::EncodeWord(static_cast<uint32_t>(2 * viewers())));
}

void CameraServer::OnChannelSetup(PeerConnection& c, const net::RawMessage& m) {
  net::ChannelSetupRecord r;
  if (!net::DecodeChannelSetup(m.body, m.length, &r)) return;
  bool known = r.camera_id == config_.id && r.kind >= net::kChannelVideo && r.kind <= net::kChannelSpeaker;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = sessions_.find(&c);
    if (known && it != sessions_.end()) {
      r.channel_id = next_channel_++;
      Session& s = *it->second;
      (r.kind == net::kChannelVideo ? s.video_channel
       : r.kind == net::kChannelAudio ? s.audio_channel
                                      : s.speaker_channel) = r.channel_id;
    } else {
      r.channel_id = net::kChannelNotFound;
    }
  }
  auto body = net::EncodeChannelSetup(r);
  c.Send(net::kReplyChannelSetup, body.data(), net::kChannelSetupSize);
}

void CameraServer::OnChannelCommand(PeerConnection& c, const net::RawMessage& m) {
  net::ChannelCommand cmd;
  if (!net::DecodeChannelCommand(m.body, m.length, &cmd) || cmd.count == 0) return;
  const uint32_t channel = cmd.channel_ids[0];
  const bool long_form = LongMediaForm();
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(&c);
  if (it == sessions_.end() || channel == 0) return;
  Session& s = *it->second;
  StreamSender* sender = channel == s.video_channel ? &s.video : channel == s.audio_channel ? &s.audio : nullptr;
  if (!sender) return;  // the speaker channel only receives
  StreamSender::Options options;
  options.channel_id = channel;
  options.long_form = long_form;
  if (cmd.command == net::kCommandStart) {
    sender->SetPaused(false);
    if (!sender->running()) {
      if (sender == &s.video)
        sender->StartVideo(c, video_, options);
      else
        sender->StartAudio(c, audio_, options);
    }
  } else if (cmd.command == net::kCommandMenu) {
    sender->SetPaused(true);
  } else if (cmd.command == net::kCommandRelease) {
    sender->Stop();
    (sender == &s.video ? s.video_channel : s.audio_channel) = 0;
  }
}

void CameraServer::OnSpeakerMedia(PeerConnection& c, const net::RawMessage& m) {
  net::MediaData media;
  if (!net::DecodeMediaData(m.body, m.length, &media)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(&c);
  if (it == sessions_.end() || it->second->speaker_channel == 0 || media.channel_id != it->second->speaker_channel)
    return;
  if (speaker_audio_.size() < (64u << 20)) speaker_audio_.insert(speaker_audio_.end(), media.payload, media.payload + media.payload_length);
  // For MediaData the header's length is that of the fixed part, which tells the form.
  ++(m.length == net::kMediaLongFixedSize ? speaker_units_.long_form : speaker_units_.short_form);
}

void CameraServer::OnSetupInfo(PeerConnection& c, const net::RawMessage& m) {
  bool refused = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    refused = refuse_setup_;
    if (!refused) std::memcpy(setup_info_.data(), m.body, std::min(m.length, net::kCameraSetupInfoSize));
    last_setup_request_.assign(m.body, m.body + m.length);
    ++setup_requests_;
  }
  SendSetupInfo(c, refused);
}

void CameraServer::SetRefuseSetup(bool refuse) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuse_setup_ = refuse;
}

void CameraServer::SendSetupInfo(PeerConnection& c, bool refused) {
  std::vector<uint8_t> reply(8 + net::kCameraSetupInfoSize);
  net::PutBE32(&reply[0], refused ? 1 : 0);  // REASON_ERROR or REASON_SETUP
  net::PutBE32(&reply[4], refused ? 0 : 1);  // RESPONSE_OK when accepted
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::memcpy(&reply[8], setup_info_.data(), net::kCameraSetupInfoSize);
  }
  c.Send(net::kReplyCameraSetupInfo, reply);
}

void CameraServer::SetSetupInfo(const net::CameraSetupInfo& info) {
  std::lock_guard<std::mutex> lock(mutex_);
  setup_info_ = info;
}

std::vector<uint8_t> CameraServer::LastSetupRequest(int* count) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count) *count = setup_requests_;
  return last_setup_request_;
}

void CameraServer::OnPtz(PeerConnection& c, const net::RawMessage& m) {
  net::DecodedControl control;
  if (!net::DecodeControl(m.type, m.body, m.length, &control) || control.values.size() < 5) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (m.type == net::kSetPtzPosition) {
    position_ = {control.values[2], control.values[3], control.values[4]};
    c.Send(net::kSetPtzPosition, nullptr, 0);
  } else {
    c.Send(net::kPtzPosition, net::EncodePtzPositionReply(position_));
  }
}

void CameraServer::SendToAll(uint32_t type, const std::vector<uint8_t>& body) {
  listener_.ForEach([&](PeerConnection& c) {
    if (c.logged_in) c.Send(type, body);
  });
}

void CameraServer::SendKeepAlives() {
  listener_.ForEach([&](PeerConnection& c) {
    if (c.logged_in) c.SendKeepAlive();
  });
}

void CameraServer::SetOnline(bool online) {
  online_ = online;
  listener_.SetRefusing(!online);
  if (!online) listener_.CloseAll();
}

std::vector<uint8_t> CameraServer::SpeakerAudio() {
  std::lock_guard<std::mutex> lock(mutex_);
  return speaker_audio_;
}

void CameraServer::ClearSpeakerAudio() {
  std::lock_guard<std::mutex> lock(mutex_);
  speaker_audio_.clear();
  speaker_audio_.shrink_to_fit();
}

CameraServer::SpeakerForms CameraServer::SpeakerUnits() {
  std::lock_guard<std::mutex> lock(mutex_);
  return speaker_units_;
}

int CameraServer::viewers() {
  int n = 0;
  listener_.ForEach([&](PeerConnection& c) { n += c.logged_in ? 1 : 0; });
  return n;
}

uint64_t CameraServer::UnitsSent() {
  std::lock_guard<std::mutex> lock(mutex_);
  uint64_t n = 0;
  for (auto& [c, s] : sessions_) n += s->video.units_sent() + s->audio.units_sent();
  return n;
}

}  // namespace sim
