#include "hosting_server.h"

#include "net/channel_messages.h"
#include "net/login_messages.h"
#include "net/packet_header.h"

namespace sim {

HostingServer::HostingServer(const Users& users, RequestLog& log) : users_(users), log_(log) {}

HostingServer::~HostingServer() { Stop(); }

bool HostingServer::Start(uint16_t port, int keepalive_ms, std::string* error) {
  uint32_t loopback = 0;
  os::ParseIpv4("127.0.0.1", &loopback);
  if (!listener_.Start(loopback, port, [this](os::SocketHandle s, const std::string& p) { return Accept(s, p); })) {
    *error = "hosting: cannot listen on port " + std::to_string(port);
    return false;
  }
  if (keepalive_ms > 0) keepalive_ = std::thread([this, keepalive_ms] { KeepAliveLoop(keepalive_ms); });
  return true;
}

void HostingServer::Stop() {
  stop_.Set();
  if (keepalive_.joinable()) keepalive_.join();
  StopSessions();
}

void HostingServer::KeepAliveLoop(int interval_ms) {
  while (!stop_.Wait(interval_ms)) SendKeepAlives();
}

bool HostingServer::AddFile(StoredFile file, std::string* error) {
  if (!LoadVideoClip(file.video_path, 0, &file.video, error)) return false;
  if (!file.audio_path.empty()) {
    if (file.audio_path == "voice")
      file.audio = GenerateVoiceLikeAudio(file.video.DurationMs() / 1000 + 1);
    else if (!LoadAudioClip(file.audio_path, &file.audio, error))
      return false;
  }
  files_.push_back(std::make_unique<StoredFile>(std::move(file)));
  return true;
}

net::CameraRecord HostingServer::RecordOf(const CameraServer& camera) const {
  net::CameraRecord r;
  r.camera_id = camera.config().id;
  r.text36 = camera.config().id;
  r.text68 = "127.0.0.1";
  r.text132 = "halyard-sim";
  r.port = camera.port();
  return r;
}

net::FileRecord HostingServer::RecordOf(const StoredFile& file) const {
  net::FileRecord r;
  r.file_name = file.name;
  r.camera_id = file.camera_id;
  r.value288 = static_cast<uint32_t>(file.video.DurationMs());
  r.start = file.start;
  r.end = file.end;
  return r;
}

CameraServer* HostingServer::FindCamera(const std::string& id) const {
  for (CameraServer* c : cameras_)
    if (c->config().id == id && c->online()) return c;
  return nullptr;
}

StoredFile* HostingServer::FindFile(const std::string& name) const {
  for (const auto& f : files_)
    if (f->name == name) return f.get();
  return nullptr;
}

void HostingServer::OnMessage(PeerConnection& c, const net::RawMessage& m) {
  if (m.type != net::kMediaData)
    log_.Add({"hosting", m.type, MessageName(m.type), DecodeFields(m.type, m.body, m.length)});
  if (m.type == net::kRequestUserLogin) return OnLogin(c, m);
  if (m.type == net::kKeepAlive) return c.OnKeepAlive();
  if (!c.logged_in) return;
  switch (m.type) {
    case net::kRequestOnlineCameraList: {
      std::vector<uint8_t> body;
      for (CameraServer* cam : cameras_) {
        if (!cam->online()) continue;
        auto r = net::EncodeCameraRecord(RecordOf(*cam));
        body.insert(body.end(), r.begin(), r.end());
      }
      c.Send(net::kReplyCameraList, body);
      break;
    }
    case net::kRequestFileList: {
      std::vector<uint8_t> body;
      for (const auto& f : files_) {
        auto r = net::EncodeFileRecord(RecordOf(*f));
        body.insert(body.end(), r.begin(), r.end());
      }
      c.Send(net::kReplyFileList, body);
      break;
    }
    case net::kRequestChannelSetup:
      OnChannelSetup(c, m);
      break;
    case net::kRequestChannelCommand:
      OnChannelCommand(c, m);
      break;
    case net::kRequestFilePlay:
      OnFilePlay(c, m);
      break;
    case net::kRequestStreamingReset:
      OnSeek(c, m);
      break;
    default:
      break;
  }
}

void HostingServer::OnLogin(PeerConnection& c, const net::RawMessage& m) {
  const bool ok = Authenticate(c, users_, m);
  c.Send(net::kReplyUserLogin, net::EncodeWord(ok ? net::kLoginAccepted : 0));
}

void HostingServer::OnChannelSetup(PeerConnection& c, const net::RawMessage& m) {
  net::ChannelSetupRecord r;
  if (!net::DecodeChannelSetup(m.body, m.length, &r)) return;
  auto channel = std::make_unique<Channel>();
  channel->kind = r.kind;
  if (r.kind == net::kChannelVideo || r.kind == net::kChannelAudio)
    channel->camera = FindCamera(r.camera_id);
  else if (r.kind == net::kChannelFileVideo || r.kind == net::kChannelFileAudio)
    channel->file = FindFile(r.file_name);
  const bool found = channel->camera || (channel->file && (r.kind == net::kChannelFileVideo || !channel->file->audio.empty()));
  net::NodeParameters params;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = sessions_.find(&c);
    r.channel_id = found && it != sessions_.end() ? next_channel_++ : net::kChannelNotFound;
    if (r.channel_id != net::kChannelNotFound) {
      if (channel->file) {
        const VideoClip& v = channel->file->video;
        params.words[0] = r.channel_id;
        params.words[1] = static_cast<uint32_t>(v.DurationMs());
        params.words[2] = static_cast<uint32_t>(v.fps);
        params.words[3] = static_cast<uint32_t>(v.width);
        params.words[4] = static_cast<uint32_t>(v.height);
      }
      it->second->channels[r.channel_id] = std::move(channel);
    }
  }
  auto body = net::EncodeChannelSetup(r);
  c.Send(net::kReplyChannelSetup, body.data(), net::kChannelSetupSize);
  if (params.words[0] != 0) {
    auto p = net::EncodeNodeParameters(params);
    c.Send(net::kNodeParameters, p.data(), static_cast<uint32_t>(p.size()));
  }
}

void HostingServer::StartChannel(PeerConnection& c, uint32_t id, Channel& ch) {
  StreamSender::Options options;
  options.channel_id = id;
  options.long_form = true;
  options.live = ch.camera != nullptr;
  options.start_ms = ch.position_ms;
  if (ch.kind == net::kChannelVideo) ch.sender.StartVideo(c, ch.camera->video(), options);
  if (ch.kind == net::kChannelAudio) ch.sender.StartAudio(c, ch.camera->audio(), options);
  if (ch.kind == net::kChannelFileVideo) ch.sender.StartVideo(c, ch.file->video, options);
  if (ch.kind == net::kChannelFileAudio) ch.sender.StartAudio(c, ch.file->audio, options);
}

void HostingServer::OnChannelCommand(PeerConnection& c, const net::RawMessage& m) {
  net::ChannelCommand cmd;
  if (!net::DecodeChannelCommand(m.body, m.length, &cmd) || cmd.count == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(&c);
  if (it == sessions_.end()) return;
  auto ch = it->second->channels.find(cmd.channel_ids[0]);
  if (ch == it->second->channels.end()) return;
  Channel& channel = *ch->second;
  if (cmd.command == net::kCommandStart) {
    channel.sender.SetPaused(false);
    if (!channel.sender.running()) StartChannel(c, ch->first, channel);
  } else if (cmd.command == net::kCommandMenu) {
    channel.sender.SetPaused(true);
  } else if (cmd.command == net::kCommandRelease) {
    it->second->channels.erase(ch);
  }
}

void HostingServer::PlayFile(PeerConnection& c, Session& s, const StoredFile* file, int position_ms) {
  for (auto& [id, ch] : s.channels) {
    if (ch->file != file) continue;
    ch->position_ms = position_ms;
    ch->sender.Stop();
    StartChannel(c, id, *ch);
  }
}

void HostingServer::OnFilePlay(PeerConnection& c, const net::RawMessage& m) {
  int32_t position = 0;
  std::string name;
  if (!net::DecodeFilePlay(m.body, m.length, &position, &name)) return;
  StoredFile* file = FindFile(name);
  if (!file) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(&c);
  if (it != sessions_.end()) PlayFile(c, *it->second, file, position < 0 ? 0 : position);
}

void HostingServer::OnSeek(PeerConnection& c, const net::RawMessage& m) {
  uint32_t channel = 0, position = 0;
  if (!net::DecodeStreamingReset(m.body, m.length, &channel, &position)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(&c);
  if (it == sessions_.end()) return;
  auto ch = it->second->channels.find(channel);
  if (ch == it->second->channels.end() || !ch->second->file) return;
  PlayFile(c, *it->second, ch->second->file, static_cast<int>(position));
}

void HostingServer::SendToAll(uint32_t type, const std::vector<uint8_t>& body) {
  listener_.ForEach([&](PeerConnection& c) {
    if (c.logged_in) c.Send(type, body);
  });
}

void HostingServer::DropCamera(const CameraServer& camera) {
  // The channels go out of the lock: ending one joins its sending thread.
  std::vector<std::unique_ptr<Channel>> ended;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [connection, session] : sessions_) {
      for (auto it = session->channels.begin(); it != session->channels.end();) {
        if (it->second->camera != &camera) {
          ++it;
          continue;
        }
        ended.push_back(std::move(it->second));
        it = session->channels.erase(it);
      }
    }
  }
}

void HostingServer::SendKeepAlives() {
  listener_.ForEach([&](PeerConnection& c) {
    if (c.logged_in) c.SendKeepAlive();
  });
}

void HostingServer::AnnounceCamera(const CameraServer& camera, bool online) {
  auto body = net::EncodeCameraUpdate(online ? 0 : 1, RecordOf(camera));
  SendToAll(net::kReplyOnlineCameraUpdate, std::vector<uint8_t>(body.begin(), body.end()));
}

void HostingServer::AnnounceFile(const StoredFile& file) {
  auto body = net::EncodeFileUpdate(0, RecordOf(file));
  SendToAll(net::kReplyFileListUpdate, std::vector<uint8_t>(body.begin(), body.end()));
}

}  // namespace sim
