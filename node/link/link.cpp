#include "node/link/link.h"

#include "os/clock.h"
#include "os/debug_log.h"
#include "os/local_time.h"

namespace node {

Link::Link(const NodeContext& ctx, MediaConsumer* media, hosting::HostedNode& node, CameraControl& control,
           const char* not_found_text)
    : ctx_(ctx),
      media_(media),
      node_(node),
      control_(control),
      link_events_(ctx.event_log, ctx.display_name),
      watchdog_(ctx.stall_ms),
      not_found_text_(not_found_text),
      setup_info_(net::CameraSetupInfo::Defaults()) {}

void Link::Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (ctx_.poster) ctx_.poster->Post(window, message, wparam, lparam);
}

void Link::TellOutage(bool lost) {
  Post(ctx_.parent, os::kWmNodeOutage, static_cast<uintptr_t>(ctx_.index), lost ? 1 : 0);
}

std::string Link::camera_id() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return camera_id_;
}

net::NodeParameters Link::node_parameters() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return params_;
}

net::CameraSetupInfo Link::setup_info() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return setup_info_;
}

void Link::StoreSetupInfo(const net::CameraSetupInfo& info) {
  std::lock_guard<std::mutex> lock(state_mutex_);
  setup_info_ = info;
}

void Link::StoreNodeParameters(const net::NodeParameters& params) {
  std::lock_guard<std::mutex> lock(state_mutex_);
  params_ = params;
}

uint32_t Link::FileVideoChannel() const {
  const ChannelEntry video = channel(ChannelTable::kVideo);
  return video.kind == net::kChannelFileVideo ? video.id : net::kChannelNotFound;
}

void Link::DeliverMedia(const net::MediaData& media) {
  if (media.kind == net::kMediaVideoFrame) {
    watchdog_.OnVideo(os::MonotonicMs(), os::WallSeconds());
    if (link_events_.Picture()) TellOutage(false);
  }
  if (media_) media_->DeliverMedia(media);
}

void Link::HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case os::kWmNodeClose:
      CloseSequence(wparam);
      break;
    case os::kWmNodeConnectStatus:
      if (lparam != kStatusNoChange)
        connect_status_ = lparam == kStatusCannotConnect || lparam == kStatusLoginRefused || lparam == kStatusNotFound
                              ? static_cast<int>(lparam)
                              : kStatusClear;
      break;
    case os::kWmNodeNotice:
      OnNotice(static_cast<uint32_t>(wparam));
      break;
    case os::kWmTimer:
      if (wparam == kStatisticsTimer && media_) media_->StatisticsTick();
      if (wparam == kNoticeTimer) OnNoticeTick();
      if (wparam == kWatchdogTimer) OnWatchdogTick();
      break;
    default:
      break;
  }
}

void Link::Setup(const std::string& camera_id, bool live) {
  if (media_) media_->Reset();
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    camera_id_ = camera_id;
  }
  live_ = live;
  if (media_) {
    media_->LinkStateChanged(!camera_id.empty(), true);
    media_->StartWorker();
  }
  if (ctx_.timers) ctx_.timers->SetTimer(ctx_.self, kStatisticsTimer, 1000);
  Started(camera_id);
}

void Link::RegisterChannel(uint32_t channel_id, uint32_t kind) {
  const int which = ChannelTable::Slot(kind);
  if (which < 0) return;
  channels_.Set(which, {kind, channel_id, true});
  // It works: a later "not found" is the node's own retry's, and the view
  // no longer says it.
  user_asked_ = false;
  int not_found = kStatusNotFound;
  connect_status_.compare_exchange_strong(not_found, kStatusClear);
  Post(ctx_.parent, os::kWmNodeChannelReady, static_cast<uintptr_t>(ctx_.index));
}

bool Link::OnChannelNotFound(uint32_t kind) {
  DebugLog("CNodeWindow - no such camera or file for a channel of kind %u [ %d ]\n", kind, ctx_.index);
  // Without its video the view has nothing to show; a camera without sound
  // or speaker still streams.
  if (kind == net::kChannelVideo || kind == net::kChannelFileVideo) {
    connect_status_ = kStatusNotFound;
    link_events_.NotFound(not_found_text_);
  }
  return user_asked_.exchange(false);
}

void Link::Destroy() {
  link_events_.Closed();
  // A connect thread holds the node's guard through its wait between
  // attempts: the direct link tells it to stop before the hosting list
  // waits for the guard, or closing a view that waits to reconnect hangs.
  no_retry_ = true;
  if (ctx_.hosting) ctx_.hosting->RemoveNode(&node_);
  CloseSequence(0);
}

void Link::CloseCommand() {
  no_retry_ = true;
  link_events_.Closed();
  if (ctx_.hosting) {
    for (int which : {ChannelTable::kVideo, ChannelTable::kAudio, ChannelTable::kSpeaker}) {
      const uint32_t id = channel(which).id;
      if (id == net::kChannelNotFound) continue;
      ctx_.hosting->RequestChannelRelease(ChannelFor(which), id);
    }
  }
  CloseSequence(0);
}

void Link::CloseSequence(uintptr_t socket) {
  // A close for a socket the node has since replaced is stale.
  const os::SocketHandle s = static_cast<os::SocketHandle>(socket);
  if (s == -1) return;
  if (socket != 0 && !IsCurrentSocket(s)) return;
  std::string camera;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    camera.swap(camera_id_);
  }
  StopTransport();
  channels_.ForgetAll();
  // A link that is being restored keeps its recording on, to go on in the
  // next file when pictures come again.
  const bool restoring = Restoring();
  if (media_) {
    if (restoring)
      media_->InterruptRecording();
    else
      media_->StopRecording();
    media_->LinkStateChanged(false, false);
  }
  // A close the user did not ask for, of a link that had come up, begins an outage.
  const bool lost = AnnounceClose(camera, restoring);
  if (media_) {
    media_->StopWorker();
    media_->Reset();
  }
  if (lost) TellOutage(true);
  // The statistics timer keeps running: while the link is down (and the node
  // retries) its ticks bring the figures down to 0 instead of freezing the
  // last ones. Setup restarts it; it dies with the window.
  if (ctx_.timers) ctx_.timers->KillTimer(ctx_.self, kNoticeTimer);
  notices_.Clear();
  Post(ctx_.main_window, os::kWmNodeNoticeEnd, 0);
  AfterClose(restoring);
}

void Link::LogCloseEnd(bool retry) {
  DebugLog("CNodeWindow::OnClose - bRetryConnect = %d [ %d ]\n", retry ? 1 : 0, ctx_.index);
}

void Link::OnWatchdogTick() {
  // Stored files end with "End of File" instead.
  if (!live_ || !watchdog_.Check(os::MonotonicMs())) return;
  DebugLog("CNodeWindow - no video for %d ms, healing the link [ %d ]\n", watchdog_.stall_ms(), ctx_.index);
  if (link_events_.Stalled(watchdog_.stalled_since())) TellOutage(true);
  Heal();
}

void Link::OnNotice(uint32_t value) {
  link_events_.Notice(value);
  if (notices_.Start(value) && ctx_.timers) ctx_.timers->SetTimer(ctx_.self, kNoticeTimer, 500);
  Post(ctx_.main_window, os::kWmNodeNotice, value);
}

void Link::OnNoticeTick() {
  if (!notices_.Tick()) return;
  if (ctx_.timers) ctx_.timers->KillTimer(ctx_.self, kNoticeTimer);
  Post(ctx_.main_window, os::kWmNodeNoticeEnd, static_cast<uintptr_t>(ctx_.index));
}

}  // namespace node
