#include "node/link/node_window.h"

#include <algorithm>

#include "os/clock.h"
#include "os/debug_log.h"
#include "os/local_time.h"

namespace node {

CNodeWindow::CNodeWindow(NodeContext context, MediaConsumer* media)
    : ctx_(std::move(context)),
      media_(media),
      reconnect_(ctx_.keep_reconnecting, net::ReconnectWaits{ctx_.retry_wait_ms, ctx_.reconnect_waits_ms}),
      link_events_(ctx_.event_log, ctx_.display_name),
      watchdog_(ctx_.stall_ms),
      setup_info_(net::CameraSetupInfo::Defaults()) {
  channels_[kVideo].kind = net::kChannelVideo;
  channels_[kAudio].kind = net::kChannelAudio;
  channels_[kSpeaker].kind = net::kChannelSpeaker;
}

CNodeWindow::~CNodeWindow() {
  Destroy();
  if (video_thread_.joinable()) video_thread_.join();
  if (audio_thread_.joinable()) audio_thread_.join();
}

void CNodeWindow::Destroy() {
  link_events_.Closed();
  relay_camera_.clear();
  // A connect thread holds the node's guard through its wait between
  // attempts: it must be told to stop before the hosting list waits for the
  // guard, or closing a view that waits to reconnect hangs for 30 s.
  no_retry_ = true;
  stop_.Set();
  if (ctx_.hosting) ctx_.hosting->RemoveNode(this);
  CloseSequence(0);
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

void CNodeWindow::Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (ctx_.poster) ctx_.poster->Post(window, message, wparam, lparam);
}

void CNodeWindow::TellOutage(bool lost) {
  Post(ctx_.parent, os::kWmNodeOutage, static_cast<uintptr_t>(ctx_.index), lost ? 1 : 0);
}

std::string CNodeWindow::camera_id() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return camera_id_;
}

std::string CNodeWindow::Key() const { return camera_id(); }

LoginInfo CNodeWindow::login() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return login_;
}

ChannelEntry CNodeWindow::channel(int which) const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return channels_[which];
}

net::NodeParameters CNodeWindow::node_parameters() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return params_;
}

net::CameraSetupInfo CNodeWindow::setup_info() const {
  std::lock_guard<std::mutex> lock(state_mutex_);
  return setup_info_;
}

void CNodeWindow::StoreNodeParameters(const net::NodeParameters& params) {
  std::lock_guard<std::mutex> lock(state_mutex_);
  params_ = params;
}

void CNodeWindow::DeliverMedia(const net::MediaData& media) {
  if (media.kind == net::kMediaVideoFrame) {
    watchdog_.OnVideo(os::MonotonicMs(), os::WallSeconds());
    reconnect_.LinkWorks();
    if (link_events_.Picture()) TellOutage(false);
  }
  if (media_) media_->DeliverMedia(media);
}

void CNodeWindow::HandleMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case os::kWmNodeClose:
      CloseSequence(wparam);
      break;
    case os::kWmNodeConnectStatus:
      if (lparam != kStatusNoChange)
        connect_status_ =
            lparam == kStatusCannotConnect || lparam == kStatusLoginRefused || lparam == kStatusNotFound
                ? static_cast<int>(lparam)
                : kStatusClear;
      break;
    case os::kWmNodeNotice:
      OnNotice(static_cast<uint32_t>(wparam));
      break;
    case os::kWmNodeStartConnect:
      StartVideoConnect();
      break;
    case os::kWmNodeStartAudio:
      StartAudioConnect();
      break;
    case os::kWmNodeHostBack:
      ReopenRelayCamera();
      break;
    case os::kWmNodeCameraIdentified:
      OnCameraIdentified();
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

void CNodeWindow::Setup(const std::string& camera_id, bool live) {
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
  if (ctx_.relay) {
    if (notify_on_close_ && ctx_.events) ctx_.events->Push(hosting::RelayNodeSetUp{camera_id});
  } else {
    RequestAudioLink();
  }
}

void CNodeWindow::RegisterChannel(uint32_t channel_id, uint32_t kind) {
  int which = kind == net::kChannelVideo || kind == net::kChannelFileVideo   ? kVideo
              : kind == net::kChannelAudio || kind == net::kChannelFileAudio ? kAudio
              : kind == net::kChannelSpeaker                                 ? kSpeaker
                                                                             : -1;
  if (which < 0) return;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    channels_[which] = {kind, channel_id, true};
  }
  // It works: a later "not found" is the node's own retry's, and the view
  // no longer says it.
  user_asked_ = false;
  int not_found = kStatusNotFound;
  connect_status_.compare_exchange_strong(not_found, kStatusClear);
  Post(ctx_.parent, os::kWmNodeChannelReady, static_cast<uintptr_t>(ctx_.index));
}

bool CNodeWindow::OnChannelNotFound(uint32_t kind) {
  DebugLog("CNodeWindow - no such camera or file for a channel of kind %u [ %d ]\n", kind, ctx_.index);
  // Without its video the view has nothing to show; a camera without sound
  // or speaker still streams.
  if (kind == net::kChannelVideo || kind == net::kChannelFileVideo) {
    connect_status_ = kStatusNotFound;
    link_events_.NotFound(ctx_.relay ? "Not found at the hosting server" : "Not found at the camera");
  }
  return user_asked_.exchange(false);
}

void CNodeWindow::OpenRelayCamera(const std::string& camera_id) {
  std::string id = camera_id;
  id.erase(std::remove(id.begin(), id.end(), '\n'), id.end());
  if (ctx_.hosting) ctx_.hosting->AddNode(this);
  relay_camera_ = id;
  user_asked_ = true;
  ReopenRelayCamera();
}

void CNodeWindow::ReopenRelayCamera() {
  if (relay_camera_.empty() || !camera_id().empty()) return;
  const std::string& id = relay_camera_;
  Setup(id, true);
  if (ctx_.timers) ctx_.timers->SetTimer(ctx_.self, kWatchdogTimer, 1000);
  watchdog_.Arm(os::MonotonicMs(), os::WallSeconds());
  DebugLog("SEND : Video channel setup request - strCamID(%s)\n", id.c_str());
  DebugLog("SEND : Audio channel setup request - strCamID(%s)\n", id.c_str());
  if (!ctx_.hosting) return;
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelVideo, id);
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelAudio, id);
}

void CNodeWindow::OpenRelayFile(const std::string& camera_id, const std::string& file_name) {
  if (ctx_.hosting) ctx_.hosting->AddNode(this);
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

void CNodeWindow::CloseSequence(uintptr_t socket) {
  // A close for a socket the node has since replaced is stale.
  const os::SocketHandle s = static_cast<os::SocketHandle>(socket);
  if (s == -1) return;
  if (socket != 0 && s != video_socket_ && s != audio_socket_) return;
  reconnect_.LinkDown(os::MonotonicMs());
  std::string camera;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    camera.swap(camera_id_);
    identified_camera_.clear();
  }
  stop_.Set();
  watchdog_.Disarm();
  video_.Close();
  WaitForConnectThread(video_done_, "video");
  audio_.Close();
  WaitForConnectThread(audio_done_, "audio");
  video_socket_ = os::kInvalidSocket;
  audio_socket_ = os::kInvalidSocket;
  audio_link_ready_ = false;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    for (auto& c : channels_) {
      c.id = net::kChannelNotFound;
      c.active = false;
    }
  }
  // A link that is being restored keeps its recording on, to go on in the
  // next file when pictures come again.
  const bool restoring = ctx_.relay ? !relay_camera_.empty() : !no_retry_;
  if (media_) {
    if (restoring)
      media_->InterruptRecording();
    else
      media_->StopRecording();
    media_->LinkStateChanged(false, false);
  }
  if (ctx_.events) {
    if (ctx_.relay && notify_on_close_)
      ctx_.events->Push(hosting::RelayNodeClosed{camera});
    else if (!ctx_.relay)
      ctx_.events->Push(hosting::DirectNodeClosed{});
  }
  if (media_) {
    media_->StopWorker();
    media_->Reset();
  }
  const bool retry = !ctx_.relay && !no_retry_;
  // A close the user did not ask for, of a link that had come up.
  bool lost = false;
  if (retry && !camera.empty()) lost = link_events_.LinkLost();
  if (ctx_.relay && !relay_camera_.empty() && !camera.empty())
    lost = link_events_.LinkLost("Hosting server connection lost");
  if (lost) TellOutage(true);
  // The statistics timer keeps running: while the link is down (and the node
  // retries) its ticks bring the figures down to 0 instead of freezing the
  // last ones. Setup restarts it; it dies with the window.
  if (ctx_.timers) ctx_.timers->KillTimer(ctx_.self, kNoticeTimer);
  notice_countdown_ = 0;
  Post(ctx_.main_window, os::kWmNodeNoticeEnd, 0);
  DebugLog("CNodeWindow::OnClose - bRetryConnect = %d [ %d ]\n", retry ? 1 : 0, ctx_.index);
  if (retry) CS_Reconnect();
}

void CNodeWindow::OnWatchdogTick() {
  // Stored files end with "End of File" instead.
  if (!live_ || !watchdog_.Check(os::MonotonicMs())) return;
  DebugLog("CNodeWindow - no video for %d ms, healing the link [ %d ]\n", watchdog_.stall_ms(), ctx_.index);
  if (link_events_.Stalled(watchdog_.stalled_since())) TellOutage(true);
  if (ctx_.relay) {
    RequestRelayChannelsAgain();
  } else {
    // The close sequence reconnects, as after a close by the camera.
    CloseSequence(0);
  }
}

void CNodeWindow::RequestRelayChannelsAgain() {
  const std::string camera = camera_id();
  if (camera.empty() || !ctx_.hosting) return;
  for (int which : {kVideo, kAudio}) {
    const uint32_t id = channel(which).id;
    if (id != net::kChannelNotFound) ctx_.hosting->RequestChannelRelease(hosting::RequestTarget::Host(), id);
    std::lock_guard<std::mutex> lock(state_mutex_);
    channels_[which].id = net::kChannelNotFound;
    channels_[which].active = false;
  }
  if (media_) media_->Reset();
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelVideo, camera);
  ctx_.hosting->RequestChannelSetup(hosting::RequestTarget::Host(), net::kChannelAudio, camera);
  watchdog_.Arm(os::MonotonicMs(), os::WallSeconds());
}

void CNodeWindow::CloseCommand() {
  no_retry_ = true;
  link_events_.Closed();
  relay_camera_.clear();
  if (ctx_.hosting) {
    for (int which : {kVideo, kAudio, kSpeaker}) {
      const uint32_t id = channel(which).id;
      if (id == net::kChannelNotFound) continue;
      ctx_.hosting->RequestChannelRelease(ChannelFor(which), id);
    }
  }
  CloseSequence(0);
}

hosting::RequestTarget CNodeWindow::ChannelFor(int which) {
  if (ctx_.relay) return hosting::RequestTarget::Host();
  return which == kVideo ? &video_ : &audio_;
}

hosting::RequestTarget CNodeWindow::ControlChannel() {
  if (ctx_.relay) return hosting::RequestTarget::Host();
  return &video_;
}

uint32_t CNodeWindow::FileVideoChannel() const {
  const ChannelEntry video = channel(kVideo);
  return video.kind == net::kChannelFileVideo ? video.id : net::kChannelNotFound;
}

void CNodeWindow::OnNotice(uint32_t value) {
  notice_ = value;
  link_events_.Notice(value);
  if (notice_countdown_ == 0 && ctx_.timers) ctx_.timers->SetTimer(ctx_.self, kNoticeTimer, 500);
  notice_countdown_ = kNoticeTicks;
  Post(ctx_.main_window, os::kWmNodeNotice, value);
}

void CNodeWindow::OnNoticeTick() {
  if (notice_countdown_ <= 0) return;
  if (--notice_countdown_ == 0) {
    if (ctx_.timers) ctx_.timers->KillTimer(ctx_.self, kNoticeTimer);
    Post(ctx_.main_window, os::kWmNodeNoticeEnd, static_cast<uintptr_t>(ctx_.index));
  }
}

void CNodeWindow::ToggleAudio() { ToggleChannel(kAudio, net::kChannelAudio); }
void CNodeWindow::ToggleSpeaker() { ToggleChannel(kSpeaker, net::kChannelSpeaker); }

void CNodeWindow::ToggleChannel(int which, uint32_t kind) {
  if (camera_id().empty() || !ctx_.hosting) return;
  if (!audio_link_ready_) {
    if (!ctx_.relay) RequestAudioLink();
    return;
  }
  const ChannelEntry c = channel(which);
  if (c.id == net::kChannelNotFound) {
    user_asked_ = true;
    ctx_.hosting->RequestChannelSetup(&audio_, kind, camera_id());
  } else {
    ctx_.hosting->RequestChannelCommand(&audio_, c.id, c.active ? net::kCommandMenu : net::kCommandStart);
    std::lock_guard<std::mutex> lock(state_mutex_);
    channels_[which].active = !c.active;
  }
  Post(ctx_.parent, os::kWmNodeChannelReady, static_cast<uintptr_t>(ctx_.index));
}

}  // namespace node

namespace node {

int CNodeWindow::SendSpeakerAudio(const uint8_t* data, uint32_t length) {
  const ChannelEntry speaker = channel(kSpeaker);
  if (ctx_.relay || speaker.id == net::kChannelNotFound || !speaker.active || !audio_.IsOpen()) return -1;
  net::MediaData media;
  media.channel_id = speaker.id;
  media.kind = net::kMediaAudio;
  media.timestamp_ms = 0;
  media.payload_length = length;
  uint8_t fixed[net::kMediaLongFixedSize];
  const uint32_t fixed_length = net::EncodeMediaFixed(media, !setup_info().UsesShortMediaForm(), fixed);
  return audio_.QueueMedia(fixed, fixed_length, data, length);
}

}  // namespace node
