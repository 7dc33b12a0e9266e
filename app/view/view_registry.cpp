#include "app/view/view_registry.h"

#include <algorithm>

#include "app/view/camera_view_window.h"

namespace app::view::registry {
namespace {

struct Registry {
  std::vector<CViewWindow*> views;
  HHOOK hook = nullptr;
};

Registry& Instance() {
  static Registry r;
  return r;
}

// A view's modeless dialog (Motion Settings) lives inside the main window's
// modal loop, which hands only its own dialog to IsDialogMessage: without
// this, Tab, Enter and Esc would do nothing in it.
bool ForViewDialog(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  for (CViewWindow* v : Instance().views) {
    CMotionSettingsDialog* dialog = v->motion_settings();
    HWND hwnd = dialog ? dialog->hwnd() : nullptr;
    if (hwnd && IsWindowVisible(hwnd) && (msg->hwnd == hwnd || IsChild(hwnd, msg->hwnd)))
      return IsDialogMessageW(hwnd, msg) != FALSE;
  }
  return false;
}

// Key presses for a view are decided before anything else sees them; a
// consumed one becomes WM_NULL, which nobody acts on.
LRESULT CALLBACK GetMessageHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE) {
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (ForViewDialog(msg)) {
      msg->message = WM_NULL;
    } else if (msg->message == WM_KEYDOWN) {
      if (CViewWindow* view = ViewOf(msg->hwnd)) {
        if (view->OnKeyDown(static_cast<int>(msg->wParam), static_cast<uint32_t>(msg->time)))
          msg->message = WM_NULL;
      }
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

void Add(CViewWindow* view) {
  Registry& r = Instance();
  r.views.push_back(view);
  if (!r.hook) r.hook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
}

void Remove(CViewWindow* view) {
  Registry& r = Instance();
  r.views.erase(std::remove(r.views.begin(), r.views.end(), view), r.views.end());
  for (CViewWindow* other : r.views) other->ForgetDockTarget(view);
  if (r.views.empty() && r.hook) {
    UnhookWindowsHookEx(r.hook);
    r.hook = nullptr;
  }
}

const std::vector<CViewWindow*>& Views() { return Instance().views; }

// The view window itself, a window inside it, or the view's full-screen
// window; not other windows a view owns (a save dialog's keys are its own).
CViewWindow* ViewOf(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  if (!root) return nullptr;
  wchar_t cls[64] = {};
  GetClassNameW(root, cls, 64);
  if (lstrcmpW(cls, L"HalyardFullScreenWindow") == 0) root = GetWindow(root, GW_OWNER);
  for (CViewWindow* v : Instance().views)
    if (v->Window() == root) return v;
  return nullptr;
}

}  // namespace app::view::registry
