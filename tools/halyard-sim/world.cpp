#include "world.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "net/byte_order.h"
#include "net/control_messages.h"
#include "net/packet_header.h"
#include "os/clock.h"
#include "scenes.h"

namespace sim {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::stringstream in(line);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool ParsePort(const std::string& text, int* port) {
  try {
    size_t used = 0;
    int value = std::stoi(text, &used);
    if (used != text.size() || value < 0 || value > 65535) return false;
    *port = value;
    return true;
  } catch (...) {
    return false;
  }
}

// Bare file names refer to the sample media folder; paths and made-up
// scenes are taken as given.
std::string MediaPath(const WorldConfig& config, const std::string& name) {
  if (name.empty() || name == "voice" || IsSceneName(name) || name.find('/') != std::string::npos ||
      config.media_dir.empty())
    return name;
  return config.media_dir + "/" + name;
}

bool ParseRecordTime(const std::string& text, net::RecordTime* time) {
  std::vector<std::string> v = Split(text, '.');
  if (v.size() != 6) return false;
  int32_t* fields[6] = {&time->day, &time->month, &time->year, &time->hour, &time->minute, &time->second};
  for (int i = 0; i < 6; ++i) *fields[i] = static_cast<int32_t>(std::strtol(v[i].c_str(), nullptr, 10));
  return true;
}

}  // namespace

void AddDemoWorld(WorldConfig* config) {
  if (config->hosting_port < 0) config->hosting_port = 8000;
  if (config->ddns_port < 0) config->ddns_port = 8001;
  if (config->users.empty()) config->users["demo"] = "demo";
  if (config->keepalive_ms == 0) config->keepalive_ms = 30000;
  if (config->cameras.empty()) {
    config->cameras.push_back({"CAM-DEMO-1", 20002, "test_320x240.m4v", "speech_8k.wav", {1, 1, 7}, 0});
    config->cameras.push_back({"CAM-DEMO-2", 20003, "test_176x144.m4v", "voice", {1, 0, 0}, 0});
  }
  if (config->files.empty()) {
    StoredFile f;
    f.name = "2026/12/06/CAM-DEMO-1_200000.mp4";
    f.camera_id = "CAM-DEMO-1";
    f.video_path = "test_320x240.m4v";
    f.audio_path = "speech_8k.wav";
    f.start = {6, 12, 2026, 20, 0, 0};
    f.end = {6, 12, 2026, 20, 0, 10};
    config->files.push_back(f);
  }
  if (config->ddns_names.empty()) {
    config->ddns_names.push_back({"demo1", "CAM-DEMO-1"});
    config->ddns_names.push_back({"demo2", "CAM-DEMO-2"});
  }
}

bool ParseWorldOptions(const std::vector<std::string>& args, WorldConfig* c, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string key = args[i];
    if (key.rfind("--", 0) == 0) key = key.substr(2);
    if (key == "demo") {
      AddDemoWorld(c);
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = "option " + args[i] + " needs a value";
      return false;
    }
    const std::string value = args[++i];
    std::vector<std::string> parts = Split(value, ':');
    int port = 0;
    if (key == "media-dir") {
      c->media_dir = value;
    } else if (key == "hosting-port" || key == "ddns-port") {
      if (!ParsePort(value, &port)) return *error = "bad port " + value, false;
      (key == "hosting-port" ? c->hosting_port : c->ddns_port) = port;
    } else if (key == "keepalive-ms") {
      c->keepalive_ms = std::atoi(value.c_str());
    } else if (key == "user" && parts.size() == 2) {
      c->users[parts[0]] = parts[1];
    } else if (key == "camera" && parts.size() >= 3 && ParsePort(parts[1], &port)) {
      CameraConfig cam{parts[0], static_cast<uint16_t>(port), parts[2], "", {1, 1, 7}, 0};
      if (parts.size() > 3) cam.audio_path = parts[3];
      if (parts.size() > 4) {
        auto v = Split(parts[4], '.');
        if (v.size() != 3) return *error = "bad camera version " + parts[4], false;
        for (int k = 0; k < 3; ++k) cam.version[k] = static_cast<uint8_t>(std::atoi(v[k].c_str()));
      }
      c->cameras.push_back(cam);
    } else if (key == "file" && parts.size() >= 3) {
      StoredFile f;
      f.name = parts[0];
      f.camera_id = parts[1];
      f.video_path = parts[2];
      if (parts.size() > 3) f.audio_path = parts[3];
      f.start = {6, 12, 2026, 20, 0, 0};
      f.end = {6, 12, 2026, 20, 0, 10};
      c->files.push_back(f);
    } else if (key == "file-times" && parts.size() == 3) {
      // NAME:D.M.Y.h.m.s:D.M.Y.h.m.s, for a stored file given before; any
      // values, so that clients meet times that are not real ones.
      StoredFile* file = nullptr;
      for (StoredFile& f : c->files)
        if (f.name == parts[0]) file = &f;
      if (!file || !ParseRecordTime(parts[1], &file->start) || !ParseRecordTime(parts[2], &file->end))
        return *error = "bad file times " + value, false;
    } else if (key == "ddns-name" && parts.size() == 2) {
      c->ddns_names.push_back({parts[0], parts[1]});
    } else if (key == "load") {
      c->load_cameras = std::atoi(value.c_str());
    } else if (key == "load-stream") {
      c->load_stream = value;
    } else if (key == "load-fps") {
      c->load_fps = std::atoi(value.c_str());
      if (c->load_fps < 1 || c->load_fps > 60) return *error = "bad load-fps " + value + " (1 to 60)", false;
    } else if (key == "config") {
      std::ifstream in(value);
      if (!in) return *error = "cannot read config " + value, false;
      std::vector<std::string> file_args;
      std::string line;
      while (std::getline(in, line)) {
        auto w = Words(line);
        if (w.empty() || w[0][0] == '#') continue;
        file_args.insert(file_args.end(), w.begin(), w.end());
      }
      if (!ParseWorldOptions(file_args, c, error)) return false;
    } else {
      *error = "unknown or malformed option " + args[i - 1] + " " + value;
      return false;
    }
  }
  return true;
}

World::World(WorldConfig config) : config_(std::move(config)) {}

World::~World() { Stop(); }

bool World::Start(std::string* error) {
  for (auto& cam : config_.cameras) {
    cam.video_path = MediaPath(config_, cam.video_path);
    cam.audio_path = MediaPath(config_, cam.audio_path);
  }
  for (auto& f : config_.files) {
    f.video_path = MediaPath(config_, f.video_path);
    f.audio_path = MediaPath(config_, f.audio_path);
  }
  for (const auto& cam : config_.cameras) cameras_.push_back(std::make_unique<CameraServer>(cam, config_.users, log_));
  for (int i = 0; i < config_.load_cameras; ++i) {
    CameraConfig cam{"LOAD-" + std::to_string(i + 1), 0, MediaPath(config_, config_.load_stream), "voice", {1, 1, 7},
                     config_.load_fps};
    cameras_.push_back(std::make_unique<CameraServer>(cam, config_.users, log_));
  }
  for (auto& cam : cameras_)
    if (!cam->Start(error)) return false;
  if (config_.hosting_port >= 0) {
    hosting_ = std::make_unique<HostingServer>(config_.users, log_);
    for (auto& cam : cameras_) hosting_->AddCamera(cam.get());
    for (auto& f : config_.files)
      if (!hosting_->AddFile(f, error)) return false;
    if (!hosting_->Start(static_cast<uint16_t>(config_.hosting_port), config_.keepalive_ms, error)) return false;
  }
  if (config_.ddns_port >= 0) {
    ddns_ = std::make_unique<DdnsServer>(log_);
    for (const auto& [name, id] : config_.ddns_names)
      if (CameraServer* cam = camera(id)) ddns_->SetName(name, "127.0.0.1", cam->port());
    if (!ddns_->Start(static_cast<uint16_t>(config_.ddns_port), error)) return false;
  }
  return true;
}

void World::Stop() {
  if (hosting_) hosting_->Stop();
  if (ddns_) ddns_->Stop();
  for (auto& cam : cameras_) cam->Stop();
}

CameraServer* World::camera(const std::string& id) {
  for (auto& c : cameras_)
    if (c->config().id == id) return c.get();
  return nullptr;
}

std::vector<std::string> World::Describe() const {
  std::vector<std::string> lines;
  if (hosting_) {
    std::string users;
    for (const auto& [u, p] : config_.users) users += (users.empty() ? "" : ",") + u;
    lines.push_back("hosting 127.0.0.1:" + std::to_string(hosting_->port()) + " users=" + users);
  }
  for (const auto& c : cameras_) {
    const VideoClip& v = c->video();
    lines.push_back("camera " + c->config().id + " 127.0.0.1:" + std::to_string(c->port()) + " " +
                    std::to_string(v.width) + "x" + std::to_string(v.height) + " " + std::to_string(v.fps) +
                    " fps version " + std::to_string(c->config().version[0]) + "." +
                    std::to_string(c->config().version[1]) + "." + std::to_string(c->config().version[2]));
  }
  if (hosting_)
    for (const auto& f : hosting_->files())
      lines.push_back("file " + f->name + " camera " + f->camera_id + " " + std::to_string(f->video.DurationMs()) + " ms");
  if (ddns_) {
    std::string names;
    for (const auto& [n, id] : config_.ddns_names) names += (names.empty() ? "" : ",") + n + "=" + id;
    lines.push_back("ddns 127.0.0.1:" + std::to_string(ddns_->port()) + " names=" + names);
  }
  return lines;
}

FaultPlan* World::FaultsOf(const std::string& target) {
  if (target == "hosting" && hosting_) return &hosting_->faults();
  if (target == "ddns" && ddns_) return &ddns_->faults();
  if (CameraServer* c = camera(target)) return &c->faults();
  return nullptr;
}

Listener* World::ListenerOf(const std::string& target) {
  if (target == "hosting" && hosting_) return &hosting_->listener();
  if (CameraServer* c = camera(target)) return &c->listener();
  return nullptr;
}

std::vector<std::string> World::Fault(const std::vector<std::string>& w) {
  // fault TARGET KIND [ARG...]
  if (w.size() < 3)
    return {"error: fault TARGET close|silent|stall MS|drop TYPE|delay TYPE MS|oversized|malformed|refuse-login|accept-login"};
  FaultPlan* faults = FaultsOf(w[1]);
  Listener* listener = ListenerOf(w[1]);
  if (!faults) return {"error: no such target " + w[1]};
  const std::string& kind = w[2];
  auto arg = [&](size_t i) { return i < w.size() ? std::atoi(w[i].c_str()) : 0; };
  if (kind == "close" || kind == "oversized" || kind == "malformed" || kind == "silent") {
    if (!listener) return {"error: no connections on " + w[1]};
    // Under the listener's lock only: sending takes the fault plan's lock
    // after it, so the plan's lock must not be held here.
    listener->ForEach([&](PeerConnection& c) {
      if (kind == "close") return c.Close();
      if (kind == "silent") return c.SetSilent();
      uint8_t bad[8 + 12] = {};
      // Oversized: a header announcing one byte more than any connection buffers.
      // Malformed: a media message whose fixed part cannot hold its payload length.
      net::EncodePacketHeader(kind == "oversized" ? net::PacketHeader{20, 230393} : net::PacketHeader{8, 12}, bad);
      c.SendRaw(bad, kind == "oversized" ? 8 : sizeof bad);
    });
    return {"ok"};
  }
  std::lock_guard<std::mutex> lock(faults->mutex);
  if (kind == "stall") {
    faults->stall_until_ms = os::MonotonicMs() + static_cast<uint64_t>(arg(3));
  } else if (kind == "drop" && w.size() > 3) {
    faults->drop_next[static_cast<uint32_t>(arg(3))] += w.size() > 4 ? arg(4) : 1;
  } else if (kind == "delay" && w.size() > 4) {
    faults->delay_ms[static_cast<uint32_t>(arg(3))] = arg(4);
  } else if (kind == "refuse-login" || kind == "accept-login") {
    faults->refuse_login = kind == "refuse-login";
  } else {
    return {"error: unknown fault " + kind};
  }
  return {"ok"};
}

std::vector<std::string> World::Execute(const std::string& line) {
  std::vector<std::string> w = Words(line);
  if (w.empty()) return {};
  const std::string& cmd = w[0];
  if (cmd == "ports" || cmd == "describe") {
    auto lines = Describe();
    lines.push_back("end");
    return lines;
  }
  if (cmd == "received") {
    auto lines = log_.Lines(w.size() > 1 ? line.substr(line.find(w[1])) : "");
    lines.push_back("end");
    return lines;
  }
  if (cmd == "clear-received") {
    log_.Clear();
    return {"ok"};
  }
  if (cmd == "fault") return Fault(w);
  if (cmd == "restart") {
    // restart TARGET SECONDS: the server drops every connection and refuses
    // new ones, then listens again on its port after SECONDS (a fraction allowed).
    Listener* l = w.size() == 3 ? ListenerOf(w[1]) : nullptr;
    char* end = nullptr;
    const double seconds = w.size() == 3 ? std::strtod(w[2].c_str(), &end) : -1;
    if (w.size() != 3 || !end || *end != '\0' || !(seconds >= 0 && seconds <= 3600))
      return {"error: restart hosting|CAM SECONDS"};
    if (!l) return {"error: no such target " + w[1]};
    l->Restart(static_cast<int>(seconds * 1000 + 0.5));
    return {"ok"};
  }
  CameraServer* cam = w.size() > 1 ? camera(w[1]) : nullptr;
  if ((cmd == "online" || cmd == "offline") && cam) {
    cam->SetOnline(cmd == "online");
    if (hosting_ && cmd == "offline") hosting_->DropCamera(*cam);
    if (hosting_) hosting_->AnnounceCamera(*cam, cmd == "online");
    return {"ok"};
  }
  if (cmd == "notice" && cam && w.size() > 2) {
    cam->SendToAll(net::kEventNotice, net::EncodeWord(static_cast<uint32_t>(std::atoi(w[2].c_str()))));
    return {"ok"};
  }
  if (cmd == "viewers" && cam && w.size() > 2) {
    cam->SendToAll(net::kUserNumber, net::EncodeWord(static_cast<uint32_t>(std::atoi(w[2].c_str()))));
    return {"ok"};
  }
  if (cmd == "keepalive" && w.size() > 1) {
    if (w[1] == "hosting" && hosting_)
      hosting_->SendKeepAlives();
    else if (cam)
      cam->SendKeepAlives();
    else
      return {"error: no such target " + w[1]};
    return {"ok"};
  }
  if (cmd == "file-update" && hosting_ && w.size() > 1) {
    for (const auto& f : hosting_->files())
      if (f->name == w[1]) {
        hosting_->AnnounceFile(*f);
        return {"ok"};
      }
    return {"error: no such file " + w[1]};
  }
  if (cmd == "speaker" && cam) {
    const CameraServer::SpeakerForms units = cam->SpeakerUnits();
    return {"bytes " + std::to_string(cam->SpeakerAudio().size()),
            "units long " + std::to_string(units.long_form) + " short " + std::to_string(units.short_form), "end"};
  }
  if (cmd == "speaker-save" && cam && w.size() > 2) {
    const std::vector<uint8_t> audio = cam->SpeakerAudio();
    std::ofstream out(w[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(audio.data()), static_cast<std::streamsize>(audio.size()));
    return {out ? "ok" : "error: cannot write " + w[2]};
  }
  if (cmd == "connections" && w.size() > 1) {
    Listener* l = ListenerOf(w[1]);
    if (!l) return {"error: no such target " + w[1]};
    return {"open " + std::to_string(l->OpenCount()), "end"};
  }
  if (cmd == "sent") {
    std::vector<std::string> lines;
    for (const auto& c : cameras_) lines.push_back(c->config().id + " " + std::to_string(c->UnitsSent()));
    lines.push_back("end");
    return lines;
  }
  if (cmd == "help") {
    return {"ports | received [TEXT] | clear-received | online CAM | offline CAM | notice CAM VALUE |",
            "viewers CAM N | keepalive hosting|CAM | file-update NAME | speaker CAM | speaker-save CAM FILE |",
            "connections TARGET | restart hosting|CAM SECONDS |",
            "sent | fault TARGET close|silent|stall MS|drop TYPE [N]|delay TYPE MS|oversized|malformed|refuse-login|",
            "accept-login |",
            "quit", "end"};
  }
  return {"error: unknown command " + line};
}

}  // namespace sim
