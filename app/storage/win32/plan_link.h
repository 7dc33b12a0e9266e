#pragma once
// The links the plans make for themselves: a camera connected without a
// view, through a message-only window that hands the node its posted
// messages and timers. What the node would show in a message box (a camera
// the hosting server cannot find) goes to the debug log: nobody sits at a
// plan. A wall's cells link their cameras the same way, with a picture
// sink and a listener of their own.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>
#include <memory>
#include <string>

#include "app/storage/camera_plans.h"
#include "settings/server_list.h"

namespace node {
class CNodeWindow;
}  // namespace node
namespace present {
class PictureSink;
}  // namespace present
namespace app {
class ProgramCore;
}  // namespace app

namespace app::storage {

// What a plan's link needs from the program around it.
struct PlanLinkContext {
  // The hosting client, the event log, the node slots; each link's node context.
  ProgramCore* core = nullptr;
  // The server list's "Camera" entry of that name; false when there is none.
  std::function<bool(const std::string& name, settings::ServerRecord* entry)> find_entry;
  // A motion started, the camera was lost or came back (`lost`), on a plan's
  // own link: the camera's alerts, as a view's would be. May be null.
  std::function<void(const PlanCamera& camera, const std::string& camera_id)> motion_started;
  std::function<void(const PlanCamera& camera, const std::string& camera_id, bool lost)> outage;
};

// A link that shows its camera (a wall's cell): the decoded pictures go to
// `sink`, and the node's notices (os::kWmNode... messages: motion, outage)
// to `notice` on the window thread instead of raising the plans' alerts.
struct ShownLinkOptions {
  present::PictureSink* sink = nullptr;
  std::function<void(UINT message, WPARAM wparam, LPARAM lparam)> notice;
};

class Win32PlanLinks : public PlanLinkMaker {
 public:
  explicit Win32PlanLinks(PlanLinkContext context) : ctx_(std::move(context)) {}
  std::unique_ptr<PlanLink> Open(const PlanCamera& camera, std::string* why) override;
  std::unique_ptr<PlanLink> OpenShown(const PlanCamera& camera, ShownLinkOptions options, std::string* why);

  // The camera entries linked directly now, each with its video socket's
  // key (-1 while it is not connected): the tree marks them online by it.
  std::vector<std::pair<std::string, intptr_t>> DirectLinks() const;

  // Kept by each direct link while it lives.
  void Register(const std::string& name, node::CNodeWindow* node) { direct_.emplace(name, node); }
  void Unregister(const std::string& name, node::CNodeWindow* node);

 private:
  PlanLinkContext ctx_;
  std::multimap<std::string, node::CNodeWindow*> direct_;
};

}  // namespace app::storage
