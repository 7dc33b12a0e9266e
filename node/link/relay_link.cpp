#include "node/link/relay_link.h"

#include <algorithm>

#include "os/clock.h"
#include "os/debug_log.h"
#include "os/local_time.h"

namespace node {

void RelayLink::HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (message == os::kWmNodeHostBack)
    Reopen();
  else
    Link::HandleMessage(message, wparam, lparam);
}

void RelayLink::OpenCamera(const std::string& camera_id) {
  std::string id = camera_id;
  id.erase(std::remove(id.begin(), id.end(), '\n'), id.end());
  if (ctx_.hosting) ctx_.hosting->AddNode(&node_);
  camera_ = id;
  user_asked_ = true;
  Reopen();
}

void RelayLink::Reopen() {
  if (camera_.empty() || !camera_id().empty()) return;
  const std::string& id = camera_;
  Setup(id, true);
  if (ctx_.timers) ctx_.timers->SetTimer(ctx_.self, kWatchdogTimer, 1000);
  watchdog_.Arm(os::MonotonicMs(), os::WallSeconds());
  DebugLog("SEND : Video channel setup request - strCamID(%s)\n", id.c_str());
  DebugLog("SEND : Audio channel setup request - strCamID(%s)\n", id.c_str());
  if (!ctx_.hosting) return;
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelVideo, id);
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelAudio, id);
}

void RelayLink::OpenFile(const std::string& camera_id, const std::string& file_name) {
  if (ctx_.hosting) ctx_.hosting->AddNode(&node_);
  user_asked_ = true;
  Setup(file_name, false);
  if (file_name.empty()) {
    DebugLog("NOTE:: File Video channel setup request - there is no files\n");
    DebugLog("NOTE:: File Video channel setup request - there is no files\n");
    return;
  }
  DebugLog("SEND : File Video channel setup request - strCamID(%s), strFileName(%s)\n", camera_id.c_str(),
           file_name.c_str());
  DebugLog("SEND : File Audio channel setup request - strCamID(%s), strFileName(%s)\n", camera_id.c_str(),
           file_name.c_str());
  if (!ctx_.hosting) return;
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelFileVideo, camera_id, file_name);
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelFileAudio, camera_id, file_name);
}

void RelayLink::Started(const std::string& camera) {
  if (ctx_.events) ctx_.events->Push(hosting::RelayNodeSetUp{camera});
}

void RelayLink::CloseCommand() {
  camera_.clear();
  Link::CloseCommand();
}

void RelayLink::Destroy() {
  camera_.clear();
  Link::Destroy();
}

bool RelayLink::AnnounceClose(const std::string& camera, bool restoring) {
  if (ctx_.events) ctx_.events->Push(hosting::RelayNodeClosed{camera});
  return restoring && !camera.empty() && link_events_.LinkLost("Hosting server connection lost");
}

void RelayLink::Heal() {
  const std::string camera = camera_id();
  if (camera.empty() || !ctx_.hosting) return;
  for (int which : {ChannelTable::kVideo, ChannelTable::kAudio}) {
    const uint32_t id = channel(which).id;
    if (id != net::kChannelNotFound) ctx_.hosting->RequestChannelRelease(hosting::RequestTarget::Host(), id);
    channels_.Forget(which);
  }
  if (media_) media_->Reset();
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelVideo, camera);
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelAudio, camera);
  watchdog_.Arm(os::MonotonicMs(), os::WallSeconds());
}

}  // namespace node
