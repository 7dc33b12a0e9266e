// What each hosting-client event means for the tree and the file list, as
// the router reads it from the event's own bytes.
#include "app/host_event_router.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app {
namespace {

class Recorder : public HostEventTarget {
 public:
  void HostOnline(const std::string& a, int port, ConnectionKey k) override {
    Log("online " + a + ":" + std::to_string(port) + " key " + std::to_string(k));
  }
  void HostOffline(ConnectionKey k) override { Log("offline key " + std::to_string(k)); }
  void ClearFiles() override { Log("clear files"); }
  void LoggedIn() override { Log("logged in"); }
  void CamerasListed(ConnectionKey k, const std::vector<net::CameraRecord>& l) override {
    std::string s = "cameras key " + std::to_string(k);
    for (const auto& c : l) s += " " + c.camera_id;
    Log(s);
  }
  void FilesListed(const std::vector<net::FileRecord>& f) override { Log("files " + std::to_string(f.size())); }
  void CameraAdded(ConnectionKey k, const net::CameraRecord& c) override {
    Log("add " + c.camera_id + " key " + std::to_string(k));
  }
  void CameraRemoved(const std::string& id) override { Log("remove " + id); }
  void FileUpdated(uint32_t code, const net::FileRecord& f) override {
    Log("file " + std::to_string(code) + " " + f.file_name);
  }
  void RelayViewOpened(const std::string& id) override { Log("view open " + id); }
  void RelayViewClosed(const std::string& id) override { Log("view closed " + id); }
  void CameraInfo(ConnectionKey k, const std::string& t) override { Log("info " + std::to_string(k) + " " + t); }
  void CameraServerOnline(const std::string& t, int mode, ConnectionKey k) override {
    Log("camera server " + t + " mode " + std::to_string(mode) + " key " + std::to_string(k));
  }
  void DirectViewClosed(ConnectionKey k) override { Log("direct closed " + std::to_string(k)); }
  void HostUnreachable(const std::string& a, int port) override { Log("unreachable " + a + ":" + std::to_string(port)); }
  void HostLoginRefused() override { Log("login refused"); }
  void ChannelNotFound(const std::string& name) override { Log("not found " + name); }

  std::vector<std::string> log;

 private:
  void Log(const std::string& s) { log.push_back(s); }
};

hosting::HostEvent Event(uint32_t kind, uintptr_t p1 = 0, uintptr_t p2 = 0, std::vector<uint8_t> data = {}) {
  return {kind, p1, p2, std::move(data)};
}

std::vector<uint8_t> Text(const std::string& s, bool terminated = true) {
  std::vector<uint8_t> v(s.begin(), s.end());
  if (terminated) v.push_back(0);
  return v;
}

std::vector<uint8_t> CameraList(const std::vector<std::string>& ids, size_t tail = 0) {
  std::vector<uint8_t> body;
  for (const auto& id : ids) {
    net::CameraRecord r;
    r.camera_id = id;
    auto bytes = net::EncodeCameraRecord(r);
    body.insert(body.end(), bytes.begin(), bytes.end());
  }
  body.resize(body.size() + tail, 0xAB);
  return body;
}

TEST(HostEventRouter, AHostingSessionReachesTheTreeUnderItsSocket) {
  HostEventRouter router;
  Recorder r;
  net::CameraRecord added;
  added.camera_id = "CAM-3";
  net::CameraRecord removed;
  removed.camera_id = "CAM-1";
  auto add = net::EncodeCameraUpdate(0, added);
  auto remove = net::EncodeCameraUpdate(2, removed);
  const hosting::HostEvent events[] = {
      Event(hosting::kHostConnected, 77, 8000, Text("127.0.0.1")),
      Event(hosting::kHostLoggedIn),
      Event(hosting::kHostCameraList, 0, 0, CameraList({"CAM-1", "CAM-2"}, 100)),
      Event(hosting::kHostCameraUpdate, 0, 0, {add.begin(), add.end()}),
      Event(hosting::kHostCameraUpdate, 0, 0, {remove.begin(), remove.end()}),
      Event(hosting::kHostCameraUpdate, 0, 0, {remove.begin(), remove.end() - 1}),
      Event(hosting::kRelayNodeSetUp, 0, 0, Text("CAM-2")),
      Event(hosting::kRelayNodeClosed, 0, 0, Text("CAM-2")),
      Event(hosting::kHostClosed),
      Event(hosting::kHostClosed),
  };
  for (const auto& e : events) router.Route(e, r);
  EXPECT_EQ(r.log, (std::vector<std::string>{
                       "online 127.0.0.1:8000 key 77", "logged in", "cameras key 77 CAM-1 CAM-2", "add CAM-3 key 77",
                       "remove CAM-1", "view open CAM-2", "view closed CAM-2", "offline key 77", "clear files",
                       "clear files"}))
      << "a cut update is ignored; a second close finds no hosting server";
  EXPECT_EQ(router.host_key(), kNoKey);
}

TEST(HostEventRouter, DirectViewsAreKnownByTheirVideoSocket) {
  HostEventRouter router;
  Recorder r;
  router.Route(Event(hosting::kDirectIdentified, 91, 1, Text("00:11:22:33:44:55")), r);
  router.Route(Event(hosting::kDirectCameraInfo, 91, 0, Text("model X\nfirmware 2\n")), r);
  router.Route(Event(hosting::kDirectNodeClosed), r);
  router.Route(Event(hosting::kDirectNodeClosed, 91), r);
  EXPECT_EQ(r.log, (std::vector<std::string>{"camera server 00:11:22:33:44:55 mode 1 key 91",
                                             "info 91 model Xfirmware 2", "direct closed -1", "direct closed 91"}));
}

// What the network threads tell the user reaches the window's thread, which shows it.
TEST(HostEventRouter, WhatTheUserMustHearOfReachesTheWindow) {
  HostEventRouter router;
  Recorder r;
  router.Route(Event(hosting::kHostUnreachable, 0, 8000, Text("10.0.0.9")), r);
  router.Route(Event(hosting::kHostLoginRefused), r);
  router.Route(Event(hosting::kChannelNotFound, 0, 0, Text("CAM-7")), r);
  EXPECT_EQ(r.log, (std::vector<std::string>{"unreachable 10.0.0.9:8000", "login refused", "not found CAM-7"}));
}

TEST(HostEventRouter, TextsStopAtTheirEndEvenWithoutANul) {
  HostEventRouter router;
  Recorder r;
  router.Route(Event(hosting::kRelayNodeSetUp, 0, 0, Text("CAM-9", false)), r);
  router.Route(Event(hosting::kRelayNodeSetUp, 0, 0, {}), r);
  router.Route(Event(hosting::kHostFileList, 0, 0, std::vector<uint8_t>(403, 1)), r);
  router.Route(Event(99), r);
  EXPECT_EQ(r.log, (std::vector<std::string>{"view open CAM-9", "view open ", "files 0"}));
}

}  // namespace
}  // namespace app
