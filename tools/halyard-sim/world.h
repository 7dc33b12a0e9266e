#pragma once
// Everything one halyard-sim run serves, built from command-line options or a
// config file, and the line commands that steer it (events, faults, queries).
#include <memory>
#include <string>
#include <vector>

#include "camera_server.h"
#include "ddns_server.h"
#include "hosting_server.h"
#include "request_log.h"

namespace sim {

struct WorldConfig {
  std::string media_dir;
  int hosting_port = -1;  // -1: no hosting server
  int ddns_port = -1;     // -1: no dynamic-IP server
  int keepalive_ms = 0;
  Users users;
  std::vector<CameraConfig> cameras;
  std::vector<StoredFile> files;
  std::vector<std::pair<std::string, std::string>> ddns_names;  // name -> camera ID
  int load_cameras = 0;
  std::string load_stream = "test_640x480.m4v";
  int load_fps = 0;  // 0: the stream's own rate
};

// Parses "--option value" pairs (also the same words without "--" from a
// config file, one per line). Returns false with a message for bad input.
bool ParseWorldOptions(const std::vector<std::string>& args, WorldConfig* config, std::string* error);
// The default world of --demo, on the protocol's default ports.
void AddDemoWorld(WorldConfig* config);

class World {
 public:
  explicit World(WorldConfig config);
  ~World();
  bool Start(std::string* error);
  void Stop();

  // What the world serves, one line per server ("hosting 127.0.0.1:8000 ...").
  std::vector<std::string> Describe() const;
  // Runs one control command; the reply lines end with "ok", "end" or "error: ...".
  std::vector<std::string> Execute(const std::string& line);

  RequestLog& log() { return log_; }
  HostingServer* hosting() { return hosting_.get(); }
  DdnsServer* ddns() { return ddns_.get(); }
  CameraServer* camera(const std::string& id);
  const std::vector<std::unique_ptr<CameraServer>>& cameras() const { return cameras_; }

 private:
  FaultPlan* FaultsOf(const std::string& target);
  Listener* ListenerOf(const std::string& target);
  std::vector<std::string> Fault(const std::vector<std::string>& words);

  WorldConfig config_;
  RequestLog log_;
  std::unique_ptr<HostingServer> hosting_;
  std::unique_ptr<DdnsServer> ddns_;
  std::vector<std::unique_ptr<CameraServer>> cameras_;
};

}  // namespace sim
