#include "app/view/camera_binding.h"

#include <atomic>

#include "app/program_core.h"
#include "app/view/registry_dynamic_ip.h"
#include "hosting/hosting_service.h"
#include "node/events/event_log.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app::view {

CameraBinding::CameraBinding(ViewHost& host, const ViewRequest& request) : host_(host), request_(request) {}

CameraBinding::~CameraBinding() {
  Unbind();
  ReleaseSlot();
}

bool CameraBinding::TakeSlot() {
  if (index_ < 0) index_ = host_.Core().slots().Acquire();
  return index_ >= 0;
}

void CameraBinding::Bind(HWND window, HWND picture,
                         std::function<bool(std::string*)> choose_recording) {
  const os::WindowHandle self = ToHandle(window);
  const os::WindowHandle main = ToHandle(host_.MainWindow());
  full_screen_window_ = std::make_unique<present::CFullScreenWindow>(window);
  video_ = std::make_unique<present::NodeVideoOutput>(display_, *full_screen_window_, ToHandle(picture));
  video_->SetDrawThroughGdi(settings::LoadDrawThroughGdi());
  if (!settings::DrawThroughGdiChosen()) video_->StartDrawPathTrial();
  overlay_sink_ = std::make_unique<OverlaySink>(*video_);
  playback_.Bind(host_.SoundOutput());
  media_ = std::make_unique<node::NodeMedia>(index_, seam_, node::NodeMedia::Windows{self, main}, overlay_sink_.get(),
                                             &playback_, std::move(choose_recording));
  view_media_ = std::make_unique<ViewMedia>(*media_, playback_);
  dynamic_ip_ = std::make_unique<RegistryDynamicIp>();
  NodeSeat seat;
  seat.poster = &seam_;
  seat.timers = &seam_;
  seat.messages = &settings::IniHandler::Instance();
  seat.dynamic_ip = dynamic_ip_.get();
  seat.self = self;
  seat.main_window = main;
  seat.index = index_;
  seat.relay = request_.kind != ViewRequest::Kind::kDirect;
  seat.display_name = request_.kind == ViewRequest::Kind::kDirect ? request_.display_name : request_.camera_id;
  const node::NodeContext ctx = host_.Core().NodeContextFor(seat);
  media_->SetEventLog(ctx.event_log, ctx.display_name);
  node_ = std::make_unique<node::CNodeWindow>(ctx, view_media_.get());
}

void CameraBinding::StartLink() {
  switch (request_.kind) {
    case ViewRequest::Kind::kRelay:
      node_->OpenRelayCamera(request_.camera_id);
      break;
    case ViewRequest::Kind::kFile:
      node_->OpenRelayFile(request_.camera_id, request_.file_name);
      break;
    case ViewRequest::Kind::kDirect:
      host_.Core().hosting().AddNode(node_.get());
      node_->SetAddress(request_.login);
      break;
  }
}

void CameraBinding::Unbind() {
  node_.reset();  // off the hosting lists, connect threads ended, media worker stopped
  view_media_.reset();
  media_.reset();
  overlay_sink_.reset();
  video_.reset();
  full_screen_window_.reset();
}

void CameraBinding::ReleaseSlot() {
  if (index_ >= 0) host_.Core().slots().Release(index_);
  index_ = -1;
}

// The program says once that its views draw without DirectDraw, not each view.
void CameraBinding::ApplyDrawPathTrial(const std::string& name) {
  static std::atomic<bool> told{false};
  std::string line;
  if (!video_ || !video_->ApplyDrawPathTrial(&line) || told.exchange(true)) return;
  host_.Core().event_log().Add(node::EventKind::kDrawing, name, line);
}

}  // namespace app::view
