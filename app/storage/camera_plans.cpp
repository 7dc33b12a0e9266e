#include "app/storage/camera_plans.h"

#include <algorithm>

#include "node/media/node_media.h"

namespace app::storage {
namespace {

constexpr std::string_view kDirectPrefix = "direct ";
constexpr std::string_view kHostedPrefix = "hosted ";
constexpr char kNotListed[] = "the hosting server does not list the camera";

}  // namespace

std::string PlanCamera::Key() const { return std::string(hosted ? kHostedPrefix : kDirectPrefix) + name; }

bool PlanCamera::FromKey(std::string_view key, PlanCamera* camera) {
  for (const bool hosted : {false, true}) {
    const std::string_view prefix = hosted ? kHostedPrefix : kDirectPrefix;
    if (key.size() > prefix.size() && key.substr(0, prefix.size()) == prefix) {
      camera->hosted = hosted;
      camera->name = std::string(key.substr(prefix.size()));
      return true;
    }
  }
  return false;
}

CameraPlans::CameraPlans(PlanLinkMaker& links, node::StorageFileSystem& fs, node::EventLog* log, Clock clock)
    : links_(links), log_(log), clock_(std::move(clock)), retention_(fs, log) {}

CameraPlans::~CameraPlans() {
  for (auto& [camera, entry] : entries_) {
    Detach(entry);
    entry.recorder->Stop();
  }
  entries_.clear();  // each recorder waits for its files to be finished
  retention_.Stop();
}

void CameraPlans::SetStorage(const StorageSettings& storage) {
  storage_ = storage;
  storage_set_ = true;
  retention_.Configure(storage.root, storage.limits);
  retention_.Start();
  for (auto& [camera, entry] : entries_) entry.recorder->Configure(entry.plan, storage_.root, camera.name);
}

void CameraPlans::SetPlan(const PlanCamera& camera, const node::RecordingPlan& plan) {
  auto it = entries_.find(camera);
  if (!plan.Active()) {
    if (it == entries_.end()) return;
    Detach(it->second);
    it->second.recorder->Stop();
    entries_.erase(it);  // waits for the plan's files to be finished
    return;
  }
  if (it == entries_.end()) {
    Entry entry;
    entry.recorder = std::make_unique<node::PlanRecorder>(next_index_++, clock_);
    entry.recorder->SetEventLog(log_);
    entry.recorder->SetDiskGuard(&retention_.guard());
    entry.reachable = !camera.hosted;
    if (camera.hosted) entry.unreachable_why = kNotListed;
    it = entries_.emplace(camera, std::move(entry)).first;
  }
  it->second.plan = plan;
  it->second.recorder->Configure(plan, storage_.root, camera.name);
  Reconcile(camera, it->second);
  it->second.recorder->Tick();
}

node::RecordingPlan CameraPlans::PlanOf(const PlanCamera& camera) const {
  auto it = entries_.find(camera);
  return it == entries_.end() ? node::RecordingPlan{} : it->second.plan;
}

std::vector<PlanCamera> CameraPlans::Cameras() const {
  std::vector<PlanCamera> cameras;
  for (const auto& [camera, entry] : entries_) cameras.push_back(camera);
  return cameras;
}

void CameraPlans::SetReachable(const PlanCamera& camera, bool reachable) {
  auto it = entries_.find(camera);
  if (it == entries_.end() || it->second.reachable == reachable) return;
  it->second.reachable = reachable;
  it->second.unreachable_why = reachable ? "" : kNotListed;
  Reconcile(camera, it->second);
}

void CameraPlans::SetAllHostedUnreachable() {
  for (auto& [camera, entry] : entries_)
    if (camera.hosted) SetReachable(camera, false);
}

void CameraPlans::ViewOpened(const PlanCamera& camera, node::NodeMedia& media) {
  auto it = entries_.find(camera);
  if (it == entries_.end()) return;
  Entry& entry = it->second;
  if (entry.view) {  // a second view: the first one keeps the plan
    if (entry.view != &media && std::find(entry.others.begin(), entry.others.end(), &media) == entry.others.end())
      entry.others.push_back(&media);
    return;
  }
  RecordThrough(entry, media);
}

void CameraPlans::ViewClosing(const PlanCamera& camera, node::NodeMedia& media) {
  auto it = entries_.find(camera);
  if (it == entries_.end()) return;
  Entry& entry = it->second;
  entry.others.erase(std::remove(entry.others.begin(), entry.others.end(), &media), entry.others.end());
  if (entry.view != &media) return;
  if (!entry.others.empty()) {
    node::NodeMedia* next = entry.others.front();
    entry.others.erase(entry.others.begin());
    RecordThrough(entry, *next);
    return;
  }
  Detach(entry);
  Reconcile(camera, entry);
  entry.recorder->Tick();
}

// The recorder leaves what it tapped (one file ends) and taps `media`.
void CameraPlans::RecordThrough(Entry& entry, node::NodeMedia& media) {
  Detach(entry);  // leaves entry.others as they are
  entry.view = &media;
  media.AddTap(entry.recorder.get());
  entry.recorder->Tick();  // its state is the view link's from now on
}

void CameraPlans::Tick() {
  for (auto& [camera, entry] : entries_) {
    Reconcile(camera, entry);
    entry.recorder->Tick();
  }
}

node::PlanState CameraPlans::StateOf(const PlanCamera& camera) const {
  auto it = entries_.find(camera);
  if (it == entries_.end()) return {};
  node::PlanState state = it->second.recorder->State();
  if (!it->second.view && !it->second.link && state.kind != node::PlanStateKind::kOff &&
      state.kind != node::PlanStateKind::kFailed) {
    state.kind = node::PlanStateKind::kWaiting;
    state.why = it->second.unreachable_why;
  }
  return state;
}

bool CameraPlans::HasOwnLink(const PlanCamera& camera) const {
  auto it = entries_.find(camera);
  return it != entries_.end() && it->second.link != nullptr;
}

void CameraPlans::Reconcile(const PlanCamera& camera, Entry& entry) {
  if (entry.view) return;  // the view's link serves the plan
  const bool wanted = storage_set_ && entry.reachable && entry.plan.Active();
  if (!wanted) {
    Detach(entry);
    return;
  }
  if (entry.link) return;
  std::string why;
  entry.link = links_.Open(camera, &why);
  if (!entry.link) {
    entry.unreachable_why = why;
    return;
  }
  entry.unreachable_why.clear();
  entry.link->media().AddTap(entry.recorder.get());
}

// The recorder leaves whichever media side it taps; the plan's own link closes.
void CameraPlans::Detach(Entry& entry) {
  if (node::NodeMedia* media = MediaOf(entry)) {
    media->RemoveTap(entry.recorder.get());
    entry.recorder->TapLinkClosed();
    entry.recorder->TapLinkState(false, false);
  }
  entry.view = nullptr;
  entry.link.reset();
}

node::NodeMedia* CameraPlans::MediaOf(Entry& entry) {
  if (entry.view) return entry.view;
  return entry.link ? &entry.link->media() : nullptr;
}

}  // namespace app::storage
