// The hosting client's events as the main window reads them: a kind, two
// parameters and data from the network (lists, updates, texts). Input: one
// byte of kind (taken modulo 12), eight bytes of parameters, then the data.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/host_event_router.h"

namespace {

class Sink : public app::HostEventTarget {
 public:
  void HostOnline(const std::string& a, int, app::ConnectionKey) override { Touch(a); }
  void HostOffline(app::ConnectionKey) override {}
  void ClearFiles() override {}
  void LoggedIn() override {}
  void CamerasListed(app::ConnectionKey, const std::vector<net::CameraRecord>& l) override {
    for (const auto& c : l) Touch(c.camera_id + c.text36 + c.text68 + c.text132 + c.text168);
  }
  void FilesListed(const std::vector<net::FileRecord>& f) override {
    for (const auto& r : f) Touch(r.file_name + r.camera_id);
  }
  void CameraAdded(app::ConnectionKey, const net::CameraRecord& c) override { Touch(c.camera_id); }
  void CameraRemoved(const std::string& id) override { Touch(id); }
  void FileUpdated(uint32_t, const net::FileRecord& f) override { Touch(f.file_name); }
  void RelayViewOpened(const std::string& id) override { Touch(id); }
  void RelayViewClosed(const std::string& id) override { Touch(id); }
  void CameraInfo(app::ConnectionKey, const std::string& t) override { Touch(t); }
  void CameraServerOnline(const std::string& t, int, app::ConnectionKey) override { Touch(t); }
  void DirectViewClosed(app::ConnectionKey) override {}
  size_t total = 0;

 private:
  void Touch(const std::string& s) {
    for (char c : s) total += static_cast<unsigned char>(c);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  hosting::HostEvent event;
  event.kind = data[0] % 12;
  uint32_t p1 = 0, p2 = 0;
  std::memcpy(&p1, data + 1, 4);
  std::memcpy(&p2, data + 5, 4);
  event.param1 = p1;
  event.param2 = p2;
  event.data.assign(data + 9, data + size);
  app::HostEventRouter router;
  Sink sink;
  router.Route(event, sink);
  return 0;
}
