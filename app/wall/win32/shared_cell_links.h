#pragma once
// One link per camera for every cell that shows it: a camera put into two
// cells (or onto two walls) is linked once, and its pictures and notices go
// to each cell. A camera or the hosting server may refuse a second link to
// the same camera, and every link costs a decoder.
//
// Threads: Lease, the leases' end and the notices run on the window
// thread; the link's media worker calls the fan-out's sink, whose list of
// cells a lock guards (a leaving cell waits for a picture being drawn into it).
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/storage/win32/plan_link.h"
#include "app/wall/wall_setup.h"

namespace app::wall {

class SharedCellLinks {
 public:
  using Opener = std::function<std::unique_ptr<storage::PlanLink>(const WallCamera& camera,
                                                                  storage::ShownLinkOptions options, std::string* why)>;
  // Told when a camera's link opened and when it is about to close (with
  // its media side, which a recording plan may record through meanwhile).
  using Watcher = std::function<void(const WallCamera& camera, node::NodeMedia& media, bool opened)>;
  explicit SharedCellLinks(Opener open, Watcher watch = nullptr);
  ~SharedCellLinks();
  SharedCellLinks(const SharedCellLinks&) = delete;
  SharedCellLinks& operator=(const SharedCellLinks&) = delete;

  // The camera's link for one more cell: its pictures go to options.sink
  // and its notices to options.notice until the returned lease goes. The
  // link opens with the first lease and closes with the last.
  std::unique_ptr<storage::PlanLink> Lease(const WallCamera& camera, storage::ShownLinkOptions options,
                                           std::string* why);
  size_t links() const { return shared_.size(); }

 private:
  class FanOut;
  class CellLease;
  struct Shared;
  void Release(const std::string& key, CellLease* lease);

  Opener open_;
  Watcher watch_;
  std::map<std::string, std::unique_ptr<Shared>> shared_;
};

}  // namespace app::wall
