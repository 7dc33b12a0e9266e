#include "app/tests/test_views.h"

#include <algorithm>

#include "app/program_core.h"
#include "app/view_list.h"
#include "hosting/hosting_service.h"
#include "settings/win32/ini_handler.h"

namespace app::testing {
namespace {

constexpr wchar_t kClassName[] = L"HalyardTestView";

void RegisterClassOnce(WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);
  registered = true;
}

}  // namespace

CameraView* TestViewFactory::Open(ViewHost& host, const ViewRequest& request) {
  requests.push_back(request);
  auto view = std::make_unique<TestView>(host, request, link, this);
  TestView* listed = view.get();
  opened.push_back(listed);
  host.OpenViews().Add(std::move(view), request);
  return listed;
}

TestView::TestView(ViewHost& host, const ViewRequest& request, bool link, TestViewFactory* factory)
    : host_(host), request_(request), factory_(factory) {
  RegisterClassOnce(Proc);
  hwnd_ = CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 320, 240, host.MainWindow(), nullptr,
                          GetModuleHandleW(nullptr), this);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  index_ = host.Core().slots().Acquire();
  const auto self = reinterpret_cast<os::WindowHandle>(hwnd_);
  const auto main = reinterpret_cast<os::WindowHandle>(host.MainWindow());
  media_ = std::make_unique<node::NodeMedia>(index_, *this, node::NodeMedia::Windows{self, main}, nullptr, nullptr);
  NodeSeat seat;
  seat.poster = this;
  seat.timers = this;
  seat.messages = &settings::IniHandler::Instance();
  seat.self = self;
  seat.main_window = main;
  seat.index = index_;
  seat.relay = IsRelay();
  seat.display_name = request.kind == ViewRequest::Kind::kDirect ? request.display_name : request.camera_id;
  node::NodeContext ctx = host.Core().NodeContextFor(seat);
  ctx.retry_wait_ms = 1000;
  node_ = std::make_unique<node::CNodeWindow>(ctx, media_.get());
  if (!link) return;
  if (request.kind == ViewRequest::Kind::kFile) {
    node_->OpenRelayFile(request.camera_id, request.file_name);
  } else if (IsRelay()) {
    node_->OpenRelayCamera(request.camera_id);
  } else {
    host.Core().hosting().AddNode(node_.get());
    node_->SetAddress(request.login);
  }
}

TestView::~TestView() {
  if (factory_) {
    std::erase(factory_->opened, this);
    ++(host_.SoundOutput() ? factory_->ended_with_sound : factory_->ended_without_sound);
  }
  if (hwnd_) {
    // Gone without its close: no report to the host, which is deleting it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    node_->Destroy();
    DestroyWindow(hwnd_);
  }
  node_.reset();
  media_.reset();
  host_.Core().slots().Release(index_);
}

LRESULT CALLBACK TestView::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TestView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) return self->Handle(message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT TestView::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kWmCloseView:
      CloseView();
      return 0;
    case WM_NCDESTROY: {
      HWND gone = hwnd_;
      hwnd_ = nullptr;
      SetWindowLongPtrW(gone, GWLP_USERDATA, 0);
      host_.ViewClosed(this);
      return DefWindowProcW(gone, message, wparam, lparam);
    }
    case os::kWmNodeChannelReady:
    case WM_TIMER:
      if (message == WM_TIMER && wparam != kRecordTimer) break;
      StartRecording();
      return 0;
    default:
      if (node::IsNodeSelfMessage(message)) {
        node_->HandleMessage(message, wparam, lparam);
        return 0;
      }
      break;
  }
  if (message == WM_TIMER) {
    node_->HandleMessage(os::kWmTimer, wparam, lparam);
    return 0;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

// Records from the moment the camera is identified and the configuration
// of its picture is known, so the recording is one file from its start.
void TestView::StartRecording() {
  if (request_.record_path.empty() || recording_started || node_->camera_id().empty()) return;
  if (!media_->path().HasConfiguration()) {
    ::SetTimer(hwnd_, kRecordTimer, 50, nullptr);
    return;
  }
  ::KillTimer(hwnd_, kRecordTimer);
  recording_started = media_->recorder().Start(request_.record_path) == 0;
}

void TestView::CloseView() {
  node_->CloseCommand();
  node_->Destroy();
  DestroyWindow(hwnd_);
}

bool TestView::Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageW(reinterpret_cast<HWND>(window), message, wparam, lparam) != FALSE;
}

void TestView::SetTimer(os::WindowHandle window, uint32_t id, int interval_ms) {
  ::SetTimer(reinterpret_cast<HWND>(window), id, static_cast<UINT>(interval_ms), nullptr);
}

void TestView::KillTimer(os::WindowHandle window, uint32_t id) { ::KillTimer(reinterpret_cast<HWND>(window), id); }

}  // namespace app::testing
