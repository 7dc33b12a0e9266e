#pragma once
// Camera views for the main window's tests, made by a factory that records
// every request. A view is a hidden window with the real node link and
// media path under it (no picture output): it connects, receives and
// decodes pictures, reports to the main window through the hosting client's
// events, records when asked, and closes through its window like a real
// view. With linking off it only exists and records what it is told.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/view_host.h"
#include "node/media/node_media.h"
#include "node/link/node_window.h"

namespace app::testing {

class TestView;

class TestViewFactory : public ViewFactory {
 public:
  CameraView* Open(ViewHost& host, const ViewRequest& request) override;

  std::vector<ViewRequest> requests;
  std::vector<TestView*> opened;  // alive until the host deletes them
  bool link = true;               // views connect to their cameras
  // Views that ended while the host's sound output was still open, and after.
  int ended_with_sound = 0, ended_without_sound = 0;
};

class TestView : public CameraView, public os::WindowPoster, public os::WindowTimers {
 public:
  TestView(ViewHost& host, const ViewRequest& request, bool link, TestViewFactory* factory);
  ~TestView() override;

  HWND Window() const override { return hwnd_; }
  bool IsRelay() const override { return request_.kind != ViewRequest::Kind::kDirect; }
  std::string CameraId() const override { return node_->camera_id(); }
  node::CNodeWindow& Node() override { return *node_; }
  node::NodeMedia* Media() override { return media_.get(); }
  void PostClose() override { PostMessageW(hwnd_, kWmCloseView, 0, 0); }
  void Undock() override { ++undocked; }

  node::NodeMedia& media() { return *media_; }
  int undocked = 0;
  bool recording_started = false;

  static constexpr UINT kWmCloseView = WM_APP + 1;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CloseView();
  void StartRecording();
  static constexpr UINT_PTR kRecordTimer = 900;
  bool Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override;
  void SetTimer(os::WindowHandle window, uint32_t id, int interval_ms) override;
  void KillTimer(os::WindowHandle window, uint32_t id) override;

  ViewHost& host_;
  ViewRequest request_;
  TestViewFactory* factory_;
  HWND hwnd_ = nullptr;
  int index_ = -1;
  std::unique_ptr<node::NodeMedia> media_;
  std::unique_ptr<node::CNodeWindow> node_;
};

}  // namespace app::testing
