// What each hosting-client event means for the tree and the file list.
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

net::CameraRecord Camera(const std::string& id) {
  net::CameraRecord r;
  r.camera_id = id;
  return r;
}

TEST(HostEventRouter, AHostingSessionReachesTheTreeUnderItsSocket) {
  HostEventRouter router;
  Recorder r;
  const hosting::HostEvent events[] = {
      hosting::HostConnected{77, "127.0.0.1", 8000},
      hosting::HostLoggedIn{},
      hosting::HostCameraList{0, {Camera("CAM-1"), Camera("CAM-2")}},
      hosting::HostCameraUpdate{0, 0, Camera("CAM-3")},
      hosting::HostCameraUpdate{0, 2, Camera("CAM-1")},
      hosting::RelayNodeSetUp{"CAM-2"},
      hosting::RelayNodeClosed{"CAM-2"},
      hosting::HostClosed{},
      hosting::HostClosed{},
  };
  for (const auto& e : events) router.Route(e, r);
  EXPECT_EQ(r.log, (std::vector<std::string>{
                       "online 127.0.0.1:8000 key 77", "logged in", "cameras key 77 CAM-1 CAM-2", "add CAM-3 key 77",
                       "remove CAM-1", "view open CAM-2", "view closed CAM-2", "offline key 77", "clear files",
                       "clear files"}))
      << "a second close finds no hosting server";
  EXPECT_EQ(router.host_key(), kNoKey);
}

// Direct views are known by their video socket; what the network threads
// tell the user reaches the window's thread, which shows it.
TEST(HostEventRouter, DirectViewsAreKnownByTheirVideoSocketAndTheUserHearsOfFailures) {
  HostEventRouter router;
  Recorder r;
  router.Route(hosting::DirectIdentified{91, "00:11:22:33:44:55", 1}, r);
  router.Route(hosting::DirectCameraInfo{91, "model X\nfirmware 2\n"}, r);
  router.Route(hosting::DirectNodeClosed{}, r);
  router.Route(hosting::DirectNodeClosed{91}, r);
  router.Route(hosting::HostUnreachable{"10.0.0.9", 8000}, r);
  router.Route(hosting::HostLoginRefused{}, r);
  router.Route(hosting::ChannelNotFound{"CAM-7"}, r);
  EXPECT_EQ(r.log, (std::vector<std::string>{"camera server 00:11:22:33:44:55 mode 1 key 91",
                                             "info 91 model Xfirmware 2", "direct closed -1", "direct closed 91",
                                             "unreachable 10.0.0.9:8000", "login refused", "not found CAM-7"}));
}

}  // namespace
}  // namespace app
