#pragma once
// RelayLink: a node's link through the hosting server, which relays a
// camera's live channels or a stored file's. The hosting service's receive
// thread registers its channels and delivers its media; everything else
// runs on the window's thread. It heals a stall by asking for its channels
// again and, after the hosting server was lost and is back, sets itself up
// again for the camera it was opened for.
//
// Who owns what, beyond Link's: camera_ (the camera the view was opened
// for, until the user closes it) is UI only.
#include <string>

#include "node/link/link.h"

namespace node {

class RelayLink final : public Link {
 public:
  RelayLink(const NodeContext& ctx, MediaConsumer* media, hosting::HostedNode& node, CameraControl& control)
      : Link(ctx, media, node, control, "Not found at the hosting server") {}

  void OpenCamera(const std::string& camera_id);
  void OpenFile(const std::string& camera_id, const std::string& file_name);
  void HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) override;
  void CloseCommand() override;
  void Destroy() override;
  hosting::RequestTarget ControlChannel() override { return hosting::RequestTarget::Host(); }

 private:
  void StopTransport() override { watchdog_.Disarm(); }
  bool Restoring() const override { return !camera_.empty(); }
  bool AnnounceClose(const std::string& camera, bool restoring) override;
  void AfterClose(bool) override { LogCloseEnd(false); }
  void Started(const std::string& camera) override;
  // Gives the channels back and asks the hosting server for them again.
  void Heal() override;
  hosting::RequestTarget ChannelFor(int) override { return hosting::RequestTarget::Host(); }
  // Sets the link up again and asks for its channels (the hosting server is
  // back after a loss); nothing when it is open or was closed.
  void Reopen();

  std::string camera_;
};

}  // namespace node
