#include "app/storage/win32/plan_link.h"

#include "app/program_core.h"
#include "app/view/registry_dynamic_ip.h"
#include "app/view/registry_motion.h"
#include "app/view/win32_window_seam.h"
#include "hosting/hosting_service.h"
#include "node/media/node_media.h"
#include "node/link/node_window.h"
#include "os/debug_log.h"
#include "settings/win32/viewer_registry.h"
#include "app/storage/win32/plan_registry.h"

namespace app::storage {
namespace {

constexpr wchar_t kWindowClass[] = L"HalyardPlanLink";

// Nobody sits at a plan: what the node would tell the user goes to the debug log.
class QuietMessages : public os::UserMessages {
 public:
  void ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                   const std::vector<os::MessageArg>&) override {
    DebugLog("Plan link : not shown %s/%s : %s\n", section.c_str(), key.c_str(), default_text.c_str());
  }
};

class WindowlessLink : public PlanLink {
 public:
  WindowlessLink(Win32PlanLinks& owner, const PlanLinkContext& context, const PlanCamera& camera, int index,
                 ShownLinkOptions shown)
      : owner_(owner), ctx_(context), camera_(camera), index_(index), shown_(std::move(shown)) {}
  ~WindowlessLink() override {
    if (!camera_.hosted) owner_.Unregister(camera_.name, node_.get());
    if (node_) node_->CloseCommand();
    node_.reset();
    media_.reset();
    if (window_) DestroyWindow(window_);
    ctx_.core->slots().Release(index_);
  }

  bool Create(const node::LoginInfo& login, std::string* why) {
    window_ = CreateWindowExW(0, WindowClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              this);
    if (!window_) {
      *why = "no window for the link could be made";
      return false;
    }
    const os::WindowHandle self = view::ToHandle(window_);
    media_ = std::make_unique<node::NodeMedia>(index_, seam_, node::NodeMedia::Windows{self, self}, shown_.sink, nullptr);
    media_->SetEventLog(&ctx_.core->event_log(), camera_.name);
    NodeSeat seat;
    seat.poster = &seam_;
    seat.timers = &seam_;
    seat.messages = &quiet_;
    seat.dynamic_ip = &dynamic_ip_;
    seat.self = self;
    seat.index = index_;
    seat.relay = camera_.hosted;
    seat.display_name = camera_.name;
    seat.unattended = true;
    const node::NodeContext ctx = ctx_.core->NodeContextFor(seat);
    node_ = std::make_unique<node::CNodeWindow>(ctx, media_.get());
    if (camera_.hosted) {
      node_->OpenRelayCamera(camera_.name);
    } else {
      owner_.Register(camera_.name, node_.get());
      ctx_.core->hosting().AddNode(node_.get());
      node_->SetAddress(login);
    }
    return true;
  }

  node::NodeMedia& media() override { return *media_; }

 private:
  static const wchar_t* WindowClass() {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Procedure;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kWindowClass;
      return RegisterClassW(&wc);
    }();
    return atom ? kWindowClass : nullptr;
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* link = reinterpret_cast<WindowlessLink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (link && link->Handle(message, wparam, lparam)) return 0;
    return DefWindowProcW(window, message, wparam, lparam);
  }

  bool Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER || node::IsNodeSelfMessage(message)) {
      if (node_) node_->HandleMessage(message, static_cast<uintptr_t>(wparam), static_cast<intptr_t>(lparam));
      return true;
    }
    if (message == os::kWmNodeChannelReady) ApplyMotionSettings();
    if (shown_.notice && message >= WM_USER && message < WM_APP) {
      shown_.notice(message, wparam, lparam);
      return true;
    }
    switch (message) {
      case view::kWmSetTimer:
        SetTimer(window_, wparam, static_cast<UINT>(lparam), nullptr);
        return true;
      case view::kWmKillTimer:
        KillTimer(window_, wparam);
        return true;
      case os::kWmNodeChannelReady:
        return true;
      case os::kWmNodeMotion:
        if (lparam != 0 && ctx_.motion_started && node_ && !node_->camera_id().empty())
          ctx_.motion_started(camera_, node_->camera_id());
        return true;
      case os::kWmNodeOutage:
        if (ctx_.outage && node_ && !node_->camera_id().empty()) ctx_.outage(camera_, node_->camera_id(), lparam != 0);
        return true;
      default:
        return false;
    }
  }

  // A motion plan's detector watches with the settings the camera's views
  // use; a cell that shows the camera detects when its views would.
  void ApplyMotionSettings() {
    if (motion_applied_ || !node_ || node_->camera_id().empty()) return;
    motion_applied_ = true;
    const std::string& id = node_->camera_id();
    const view::MotionSettings motion = view::MotionSettingsRemembered(id);
    const bool detect = shown_.sink != nullptr && view::MotionDetectionRemembered(id);
    media_->path().motion().SetMotionDetection(detect, motion.sensitivity, motion.mask);
    media_->path().motion().SetMotionRules(motion.min_cells, motion.min_duration_ms);
  }

  Win32PlanLinks& owner_;
  const PlanLinkContext& ctx_;
  const PlanCamera camera_;
  const int index_;
  const ShownLinkOptions shown_;
  HWND window_ = nullptr;
  view::Win32WindowSeam seam_;
  QuietMessages quiet_;
  view::RegistryDynamicIp dynamic_ip_;
  std::unique_ptr<node::NodeMedia> media_;
  std::unique_ptr<node::CNodeWindow> node_;
  bool motion_applied_ = false;
};

}  // namespace

std::unique_ptr<PlanLink> Win32PlanLinks::Open(const PlanCamera& camera, std::string* why) {
  return OpenShown(camera, {}, why);
}

std::unique_ptr<PlanLink> Win32PlanLinks::OpenShown(const PlanCamera& camera, ShownLinkOptions options,
                                                    std::string* why) {
  node::LoginInfo login;
  if (!camera.hosted) {
    settings::ServerRecord entry;
    if (!ctx_.find_entry(camera.name, &entry)) {
      *why = "the server list has no camera entry " + camera.name;
      return nullptr;
    }
    std::string user, password;
    if (!LoadPlanLogin(camera.name, &user, &password)) {
      const settings::SavedLogin saved = settings::LoadSavedLogin(camera.name);
      user = saved.user;
      password = saved.password;
    }
    login = {entry.ip, static_cast<uint16_t>(entry.port), entry.ddns, entry.mac, user, password};
  }
  const int index = ctx_.core->slots().AcquireWindowless();
  if (index < 0) {
    *why = "every node slot is in use";
    return nullptr;
  }
  auto link = std::make_unique<WindowlessLink>(*this, ctx_, camera, index, std::move(options));
  if (!link->Create(login, why)) return nullptr;
  return link;
}

void Win32PlanLinks::Unregister(const std::string& name, node::CNodeWindow* node) {
  for (auto [at, end] = direct_.equal_range(name); at != end; ++at)
    if (at->second == node) {
      direct_.erase(at);
      return;
    }
}

std::vector<std::pair<std::string, intptr_t>> Win32PlanLinks::DirectLinks() const {
  std::vector<std::pair<std::string, intptr_t>> links;
  for (const auto& [name, node] : direct_) {
    const net::SocketChannel* video = node->VideoChannel();
    links.emplace_back(name, video && video->IsOpen() ? static_cast<intptr_t>(video->socket()) : intptr_t{-1});
  }
  return links;
}

}  // namespace app::storage
