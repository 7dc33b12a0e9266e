#include "app/recordings/playback_pane.h"

#include <cstring>

#include "app/recordings/recordings_texts.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app::recordings {
namespace {

constexpr wchar_t kPaneClass[] = L"HalyardPlaybackPane";

// The pane never goes full screen: the Recordings window is the place to look.
class NoFullScreen : public present::FullScreenWindow {
 public:
  os::WindowHandle Show() override { return 0; }
  void Hide() override {}
};

os::WindowHandle ToHandle(HWND hwnd) { return reinterpret_cast<os::WindowHandle>(hwnd); }

}  // namespace

PlaybackPane::PlaybackPane(HWND parent, present::DisplaySystem& display, view::TextRasteriser& text) : text_(text) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc = {};
  if (!GetClassInfoW(instance, kPaneClass, &wc)) {
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPaneClass;
    RegisterClassW(&wc);
  }
  hwnd_ = CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 10, 10, parent, nullptr, instance,
                          nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  no_full_screen_ = std::make_unique<NoFullScreen>();
  video_ = std::make_unique<present::NodeVideoOutput>(display, *no_full_screen_, ToHandle(hwnd_));
  video_->SetDrawThroughGdi(settings::LoadDrawThroughGdi());
  sink_ = std::make_unique<view::OverlaySink>(*video_);
  content_.text_height = win32::ScaledPixels(content_.text_height);
}

PlaybackPane::~PlaybackPane() {
  // The player has stopped using the pane: the renderer closes before its window.
  video_->Close();
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void PlaybackPane::ShowPicture(const codec::DecodedPicture& picture) {
  {
    std::lock_guard<std::mutex> lock(picture_lock_);
    last_.assign(picture.data, picture.data + picture.Size());
    last_width_ = picture.width;
    last_height_ = picture.height;
  }
  sink_->ShowPicture(picture);
}

void PlaybackPane::Resize(int width, int height) { sink_->Resize(width, height); }

void PlaybackPane::Place(const RECT& r, bool visible) {
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  sink_->SetScreenSize(r.right - r.left, r.bottom - r.top);
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (visible) Redraw();
}

void PlaybackPane::SetTexts(const std::string& camera, const std::string& time, bool noRecording) {
  view::OverlayContent c = content_;
  c.name = camera;
  c.status = time;
  c.show_status = !time.empty() && !noRecording;
  c.no_video = noRecording ? settings::IniHandler::Instance().GetString(kRecordingsNoRecording) : "";
  const bool changed = c.name != content_.name || c.status != content_.status ||
                       c.show_status != content_.show_status || c.no_video != content_.no_video;
  content_ = c;
  if (!changed) return;
  sink_->SetOverlay(view::Overlay::Make(c, text_));
  const bool was = no_recording_;
  no_recording_ = noRecording;
  // Over a gap no picture comes: the last one is drawn again, greyed.
  if (noRecording || was) Redraw();
}

bool PlaybackPane::LastPicture(std::vector<uint8_t>* picture, int* width, int* height) const {
  std::lock_guard<std::mutex> lock(picture_lock_);
  if (last_.empty()) return false;
  *picture = last_;
  *width = last_width_;
  *height = last_height_;
  return true;
}

void PlaybackPane::Redraw() {
  std::vector<uint8_t> copy;
  int width = 0, height = 0;
  if (!LastPicture(&copy, &width, &height)) {
    InvalidateRect(hwnd_, nullptr, TRUE);
    return;
  }
  sink_->TryRedraw(codec::DecodedPicture{copy.data(), width, height});
}

// Before the first picture: black, with "No recording" while that is what shows.
void PlaybackPane::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  bool have = false;
  {
    std::lock_guard<std::mutex> lock(picture_lock_);
    have = !last_.empty();
  }
  if (!have) {
    RECT r;
    GetClientRect(hwnd_, &r);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (no_recording_) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      HGDIOBJ old = SelectObject(dc, settings::IniHandler::Instance().Font());
      const std::string text = settings::IniHandler::Instance().GetString(kRecordingsNoRecording);
      const std::wstring wide = win32::Widen(text);
      DrawTextW(dc, wide.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, old);
    }
  }
  EndPaint(hwnd_, &ps);
  if (have) Redraw();
}

LRESULT CALLBACK PlaybackPane::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<PlaybackPane*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && message == WM_PAINT) {
    self->Paint();
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // the picture covers it all
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace app::recordings
