#include "node/link/node_window.h"

namespace node {

namespace {

std::unique_ptr<Link> MakeLink(const NodeContext& ctx, MediaConsumer* media, hosting::HostedNode& node,
                               CameraControl& control, DirectLink** direct, RelayLink** relay) {
  if (ctx.relay) {
    auto link = std::make_unique<RelayLink>(ctx, media, node, control);
    *relay = link.get();
    return link;
  }
  auto link = std::make_unique<DirectLink>(ctx, media, node, control);
  *direct = link.get();
  return link;
}

}  // namespace

// control_ is built after link_ and takes it as its ControlLink; the link
// keeps only a reference to control_ until the camera answers a request.
CNodeWindow::CNodeWindow(NodeContext context, MediaConsumer* media)
    : ctx_(std::move(context)), link_(MakeLink(ctx_, media, *this, control_, &direct_, &relay_)) {}

CNodeWindow::~CNodeWindow() {
  Destroy();
  // The link joins its connect threads while the guard and the control it uses still live.
  link_.reset();
}

bool IsNodeSelfMessage(uint32_t message) {
  switch (message) {
    case os::kWmNodeConnectStatus:
    case os::kWmNodeNotice:
    case os::kWmNodeCameraIdentified:
    case os::kWmNodeClose:
    case os::kWmNodeStartConnect:
    case os::kWmNodeStartAudio:
    case os::kWmNodeHostBack:
      return true;
    default:
      return false;
  }
}

}  // namespace node
