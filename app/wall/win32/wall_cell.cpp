#include "app/wall/win32/wall_cell.h"

#include <windowsx.h>

#include "app/view/win32_window_seam.h"
#include "os/debug_log.h"
#include "os/local_time.h"
#include "os/window_seam.h"
#include "os/win32/object_window.h"
#include "os/win32/text.h"
#include "settings/win32/viewer_registry.h"

namespace app::wall {
namespace {

constexpr wchar_t kCellClass[] = L"HalyardWallCell";
constexpr wchar_t kPictureClass[] = L"HalyardWallPicture";
// From the picture sink: the first picture of the link (or since it was lost) was drawn.
constexpr UINT kWmPictureCame = WM_APP + 1;

const COLORREF kLabelBack = RGB(0, 0, 0), kLabelText = RGB(230, 230, 230), kEmptyBack = RGB(40, 40, 40),
               kMotionText = RGB(255, 190, 0), kLostText = RGB(255, 90, 70);

bool IsMouse(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL; }

// The picture window is drawn by the renderer; its mouse goes to the cell.
LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (IsMouse(message)) {
    POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    HWND cell = GetParent(window);
    MapWindowPoints(window, cell, &at, 1);
    return SendMessageW(cell, message, wparam, MAKELPARAM(at.x, at.y));
  }
  if (message == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(reinterpret_cast<HDC>(wparam), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return 1;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

bool RegisterClasses(WNDPROC cell_procedure) {
  static const bool registered = [cell_procedure] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpfnWndProc = PictureProcedure;
    wc.lpszClassName = kPictureClass;
    const bool picture = RegisterClassW(&wc) != 0;
    wc.lpszClassName = kCellClass;
    wc.lpfnWndProc = cell_procedure;
    return picture && RegisterClassW(&wc) != 0;
  }();
  return registered;
}

}  // namespace

// Pictures go on to the cell's renderer; the first of each stretch of
// pictures tells the cell (posted: this is the media worker).
class WallCell::CellPictures : public present::PictureSink {
 public:
  CellPictures(present::NodeVideoOutput& video, HWND cell) : video_(video), cell_(cell) {}
  void ShowPicture(const codec::DecodedPicture& picture) override {
    video_.ShowPicture(picture);
    if (!told_.exchange(true)) PostMessageW(cell_, kWmPictureCame, 0, 0);
  }
  void Resize(int width, int height) override { video_.Resize(width, height); }
  bool WantsPictures() override { return video_.WantsPictures(); }
  void Rearm() { told_ = false; }

 private:
  present::NodeVideoOutput& video_;
  const HWND cell_;
  std::atomic<bool> told_{false};
};

std::string CellLabel(const WallCamera& camera, CellState state, const std::string& lost_at, bool motion,
                      const std::string& failure) {
  switch (state) {
    case CellState::kEmpty:
      return "Empty";
    case CellState::kConnecting:
      return camera.name + " - connecting";
    case CellState::kLost:
      return camera.name + " - no video since " + lost_at;
    case CellState::kFailed:
      return camera.name + " - " + failure;
    case CellState::kLive:
      break;
  }
  return motion ? camera.name + " - motion" : camera.name;
}

WallCell::WallCell(WallCellOwner& owner, HWND wall, int index, bool on_primary)
    : owner_(owner), index_(index), on_primary_(on_primary) {
  if (!RegisterClasses(win32::ObjectWindowProcedure<WallCell>)) return;
  hwnd_ = CreateWindowExW(0, kCellClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, wall, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (!hwnd_) return;
  picture_ = CreateWindowExW(0, kPictureClass, L"", WS_CHILD, 0, 0, 0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
}

WallCell::~WallCell() {
  CloseLink();
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void WallCell::CloseLink() {
  link_.reset();  // the worker stops: nothing draws after this
  pictures_.reset();
  video_.reset();
  full_screen_.reset();
  motion_ = false;
}

void WallCell::Show(const WallCamera& camera) {
  if (camera == camera_ && (link_ || camera.empty())) return;
  CloseLink();
  camera_ = camera;
  failure_.clear();
  if (camera.empty() || !picture_) {
    if (picture_) ShowWindow(picture_, SW_HIDE);
    SetState(CellState::kEmpty);
    return;
  }
  full_screen_ = std::make_unique<present::CFullScreenWindow>(hwnd_);
  video_ = std::make_unique<present::NodeVideoOutput>(display_, *full_screen_, view::ToHandle(picture_));
  video_->SetDrawThroughGdi(settings::LoadDrawThroughGdi());
  if (!settings::DrawThroughGdiChosen()) video_->StartDrawPathTrial();
  video_->SetOffPrimaryMonitor(!on_primary_);
  pictures_ = std::make_unique<CellPictures>(*video_, hwnd_);
  storage::ShownLinkOptions options;
  options.sink = pictures_.get();
  options.notice = [this](UINT message, WPARAM wparam, LPARAM lparam) { OnNotice(message, wparam, lparam); };
  link_ = owner_.OpenCellLink(camera, std::move(options), &failure_);
  ShowWindow(picture_, link_ ? SW_SHOW : SW_HIDE);
  SetState(link_ ? CellState::kConnecting : CellState::kFailed);
}

void WallCell::ApplyDrawPathTrial() {
  std::string told;
  if (video_ && video_->ApplyDrawPathTrial(&told)) DebugLog("Wall cell %d : %s\n", index_, told.c_str());
}

void WallCell::RetryIfFailed() {
  if (state_ != CellState::kFailed) return;
  const WallCamera camera = camera_;
  camera_ = {};
  Show(camera);
}

void WallCell::Place(const RECT& rect, bool visible) {
  if (!hwnd_) return;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  MoveWindow(hwnd_, rect.left, rect.top, width, height, TRUE);
  if (picture_) MoveWindow(picture_, 0, 0, width, height > kLabelHeight ? height - kLabelHeight : 0, TRUE);
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

std::string WallCell::label() const { return CellLabel(camera_, state_, lost_at_, motion_, failure_); }

void WallCell::SetState(CellState state) {
  state_ = state;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void WallCell::OnNotice(UINT message, WPARAM, LPARAM lparam) {
  switch (message) {
    case os::kWmNodeOutage:
      if (lparam != 0) {
        lost_at_ = os::FormatLocalTime("%H:%M:%S", static_cast<std::time_t>(os::WallSeconds()));
        if (pictures_) pictures_->Rearm();
        if (motion_ && video_) video_->SetMotion(false);
        motion_ = false;
        SetState(CellState::kLost);
      } else {
        SetState(CellState::kLive);
      }
      break;
    case os::kWmNodeMotion:
      motion_ = lparam != 0;
      if (video_) video_->SetMotion(motion_);
      owner_.CellMotion(index_, motion_);
      SetState(state_);
      break;
    default:
      break;
  }
}

LRESULT WallCell::WindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  hwnd_ = window;
  switch (message) {
    case kWmPictureCame:
      if (state_ == CellState::kConnecting || state_ == CellState::kLost) SetState(CellState::kLive);
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDBLCLK:
      owner_.UserActive();
      owner_.CellDoubleClicked(index_);
      return 0;
    case WM_RBUTTONUP: {
      owner_.UserActive();
      POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ClientToScreen(hwnd_, &at);
      owner_.CellMenu(index_, at);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
      owner_.UserActive();
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

void WallCell::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT strip = client;
  if (state_ != CellState::kEmpty && client.bottom > kLabelHeight) strip.top = client.bottom - kLabelHeight;
  HBRUSH back = CreateSolidBrush(state_ == CellState::kEmpty ? kEmptyBack : kLabelBack);
  FillRect(dc, &strip, back);
  DeleteObject(back);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, state_ == CellState::kLost || state_ == CellState::kFailed ? kLostText
                   : motion_                                                 ? kMotionText
                                                                             : kLabelText);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring text = win32::Widen(label());
  RECT inset = strip;
  inset.left += 4;
  inset.right -= 4;
  const UINT centre = state_ == CellState::kEmpty ? DT_CENTER : DT_LEFT;
  DrawTextW(dc, text.c_str(), -1, &inset, centre | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(hwnd_, &ps);
}

}  // namespace app::wall
