#include "app/wall/win32/shared_cell_links.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "present/picture_sink.h"

namespace app::wall {
namespace {

std::string KeyOf(const WallCamera& camera) { return (camera.hosted ? "h:" : "d:") + camera.name; }

}  // namespace

// The link's one picture sink: every cell's sink in turn. A cell that joins
// a running stream is told the picture size first, as it would have been.
class SharedCellLinks::FanOut : public present::PictureSink {
 public:
  void ShowPicture(const codec::DecodedPicture& picture) override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (present::PictureSink* sink : sinks_) sink->ShowPicture(picture);
  }
  void Resize(int width, int height) override {
    std::lock_guard<std::mutex> lock(mutex_);
    width_ = width;
    height_ = height;
    for (present::PictureSink* sink : sinks_) sink->Resize(width, height);
  }
  bool WantsPictures() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(sinks_.begin(), sinks_.end(), [](present::PictureSink* sink) { return sink->WantsPictures(); });
  }
  void Add(present::PictureSink* sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (width_ > 0) sink->Resize(width_, height_);
    sinks_.push_back(sink);
  }
  void Remove(present::PictureSink* sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
  }

 private:
  std::mutex mutex_;
  std::vector<present::PictureSink*> sinks_;
  int width_ = 0, height_ = 0;
};

struct SharedCellLinks::Shared {
  WallCamera camera;
  FanOut pictures;
  std::vector<CellLease*> leases;
  std::unique_ptr<storage::PlanLink> link;  // last: it stops before the fan-out goes
};

class SharedCellLinks::CellLease : public storage::PlanLink {
 public:
  CellLease(SharedCellLinks& owner, std::string key, Shared& shared, storage::ShownLinkOptions options)
      : owner_(owner), key_(std::move(key)), shared_(shared), options_(std::move(options)) {}
  ~CellLease() override { owner_.Release(key_, this); }
  node::NodeMedia& media() override { return shared_.link->media(); }
  const storage::ShownLinkOptions& options() const { return options_; }

 private:
  SharedCellLinks& owner_;
  const std::string key_;
  Shared& shared_;
  const storage::ShownLinkOptions options_;
};

SharedCellLinks::SharedCellLinks(Opener open, Watcher watch) : open_(std::move(open)), watch_(std::move(watch)) {}

SharedCellLinks::~SharedCellLinks() {
  for (auto& [key, shared] : shared_)
    if (watch_) watch_(shared->camera, shared->link->media(), false);
}

std::unique_ptr<storage::PlanLink> SharedCellLinks::Lease(const WallCamera& camera, storage::ShownLinkOptions options,
                                                          std::string* why) {
  const std::string key = KeyOf(camera);
  auto at = shared_.find(key);
  if (at == shared_.end()) {
    auto shared = std::make_unique<Shared>();
    Shared* raw = shared.get();
    storage::ShownLinkOptions fan;
    fan.sink = &raw->pictures;
    // A cell told of a notice may not end its lease there and then (the
    // link would go inside its own window procedure): a tour changes cells
    // from its timer. The list is copied all the same, so that a cell added
    // by a notice is not told twice.
    fan.notice = [raw](UINT message, WPARAM wparam, LPARAM lparam) {
      const std::vector<CellLease*> leases = raw->leases;
      for (CellLease* lease : leases)
        if (std::find(raw->leases.begin(), raw->leases.end(), lease) != raw->leases.end() && lease->options().notice)
          lease->options().notice(message, wparam, lparam);
    };
    shared->camera = camera;
    shared->link = open_(camera, std::move(fan), why);
    if (!shared->link) return nullptr;
    if (watch_) watch_(camera, shared->link->media(), true);
    at = shared_.emplace(key, std::move(shared)).first;
  }
  Shared& shared = *at->second;
  if (options.sink) shared.pictures.Add(options.sink);
  auto lease = std::make_unique<CellLease>(*this, key, shared, std::move(options));
  shared.leases.push_back(lease.get());
  return lease;
}

void SharedCellLinks::Release(const std::string& key, CellLease* lease) {
  const auto at = shared_.find(key);
  if (at == shared_.end()) return;
  Shared& shared = *at->second;
  shared.leases.erase(std::remove(shared.leases.begin(), shared.leases.end(), lease), shared.leases.end());
  if (lease->options().sink) shared.pictures.Remove(lease->options().sink);
  if (!shared.leases.empty()) return;
  if (watch_) watch_(shared.camera, shared.link->media(), false);
  shared_.erase(at);  // the link closes
}

}  // namespace app::wall
