// The hosting server's list replies and updates as the receive thread decodes
// them into events and the main window routes them. Input: one byte choosing
// the reply (taken modulo 4), then its body.
#include <cstddef>
#include <cstdint>

#include "app/host_event_router.h"
#include "net/packet_header.h"

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
  if (size < 1) return 0;
  static constexpr uint32_t kReplies[] = {net::kReplyCameraList, net::kReplyFileList, net::kReplyOnlineCameraUpdate,
                                          net::kReplyFileListUpdate};
  auto event = hosting::ListReplyEvent(kReplies[data[0] % 4], data + 1, static_cast<uint32_t>(size - 1));
  if (!event) return 0;
  app::HostEventRouter router;
  Sink sink;
  router.Route(*event, sink);
  return 0;
}
