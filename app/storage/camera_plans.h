#pragma once
// The cameras that record by plan, and the one link each records through.
// A camera with a plan is connected by the program itself (a PlanLink, no
// window) while nothing else shows it; when a view of that camera opens, the
// plan's recorder moves onto the view's link and the plan's own link closes,
// so the camera is never asked for two logins; when the view closes, the
// plan's link opens again. One retention service keeps the storage root
// within its limits and stops the plans when the disk is full with nothing
// left to delete.
//
// Everything here runs on the window thread (the recorders' and the
// retention service's own threads aside).
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "node/storage/plan_recorder.h"
#include "node/storage/recording_plan.h"
#include "node/storage/retention_limits.h"
#include "node/storage/retention_service.h"

namespace node {
class EventLog;
class NodeMedia;
class StorageFileSystem;
}  // namespace node

namespace app::storage {

// A camera that may record by plan: a "Camera" entry of the server list (by
// the entry's name) or a camera of the hosting server (by its id).
struct PlanCamera {
  bool hosted = false;
  std::string name;

  // "direct NAME" or "hosted ID": how the settings store names the camera's plan.
  std::string Key() const;
  static bool FromKey(std::string_view key, PlanCamera* camera);
  auto operator<=>(const PlanCamera&) const = default;
};

// A connection to a camera made for its plan alone: its media path is the
// one the recorder taps.
class PlanLink {
 public:
  virtual ~PlanLink() = default;
  virtual node::NodeMedia& media() = 0;
};

class PlanLinkMaker {
 public:
  virtual ~PlanLinkMaker() = default;
  // A link to `camera`, connecting; null with `why` when none can be made
  // (the entry is gone, no node slot is free).
  virtual std::unique_ptr<PlanLink> Open(const PlanCamera& camera, std::string* why) = 0;
};

// Where the plans' files go and how much of them is kept.
struct StorageSettings {
  std::string root;
  node::RetentionLimits limits;
};

class CameraPlans {
 public:
  using Clock = std::function<int64_t()>;  // wall-clock seconds, for the recorders

  CameraPlans(PlanLinkMaker& links, node::StorageFileSystem& fs, node::EventLog* log, Clock clock = {});
  // Every plan's recording ends and its files are finished.
  ~CameraPlans();
  CameraPlans(const CameraPlans&) = delete;
  CameraPlans& operator=(const CameraPlans&) = delete;

  // The root and its limits; the retention service starts (again) on them.
  void SetStorage(const StorageSettings& storage);
  const StorageSettings& storage() const { return storage_; }
  node::RetentionService& retention() { return retention_; }

  // A plan that records nothing (kOff, never active) takes the camera off.
  void SetPlan(const PlanCamera& camera, const node::RecordingPlan& plan);
  node::RecordingPlan PlanOf(const PlanCamera& camera) const;
  std::vector<PlanCamera> Cameras() const;
  // A hosted camera can be reached while the hosting server lists it;
  // direct cameras always can (their link keeps trying by itself).
  void SetReachable(const PlanCamera& camera, bool reachable);
  void SetAllHostedUnreachable();

  // A view (or a wall's link) of `camera` opened with `media` as its media
  // side: the plan records through the first such one while it lives.
  void ViewOpened(const PlanCamera& camera, node::NodeMedia& media);
  // That media side goes: the plan moves on to another that shows the
  // camera, else takes its own link again. Called before the media is destroyed.
  void ViewClosing(const PlanCamera& camera, node::NodeMedia& media);

  // Once a second: the plans' recordings follow their plans and schedules.
  void Tick();
  // Off when the camera has no plan. A camera that cannot be reached waits.
  node::PlanState StateOf(const PlanCamera& camera) const;
  // Whether the plan of `camera` has a link of its own now (tests, the tree's tooltip).
  bool HasOwnLink(const PlanCamera& camera) const;

 private:
  struct Entry {
    node::RecordingPlan plan;
    std::unique_ptr<node::PlanRecorder> recorder;
    std::unique_ptr<PlanLink> link;    // the plan's own link
    node::NodeMedia* view = nullptr;   // a view's media side it records through instead
    std::vector<node::NodeMedia*> others;  // further ones that show the camera, in order
    bool reachable = true;
    std::string unreachable_why;       // waiting: why there is no link
  };

  // Opens, moves or closes the entry's link as its plan and views ask.
  void Reconcile(const PlanCamera& camera, Entry& entry);
  void Detach(Entry& entry);
  void RecordThrough(Entry& entry, node::NodeMedia& media);
  node::NodeMedia* MediaOf(Entry& entry);

  PlanLinkMaker& links_;
  node::EventLog* const log_;
  const Clock clock_;
  node::RetentionService retention_;
  StorageSettings storage_;
  bool storage_set_ = false;
  std::map<PlanCamera, Entry> entries_;
  int next_index_ = 100;  // the recorders' node numbers in the debug log
};

}  // namespace app::storage
