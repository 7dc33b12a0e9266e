#include "app/view_key_hook.h"

#include "app/view_list.h"

namespace app {
namespace {
// Windows gives a hook procedure no context of its own: the thread's hook
// object is found here.
thread_local ViewKeyHook* current_hook = nullptr;
}  // namespace

ViewKeyHook::ViewKeyHook(const ViewList& views) : views_(views), previous_(current_hook) {
  hook_ = SetWindowsHookExW(WH_GETMESSAGE, Proc, nullptr, GetCurrentThreadId());
  current_hook = this;
}

ViewKeyHook::~ViewKeyHook() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (current_hook == this) current_hook = previous_;
}

// A consumed key press becomes WM_NULL, which nobody acts on.
LRESULT CALLBACK ViewKeyHook::Proc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE && current_hook) {
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (current_hook->Route(msg)) msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

bool ViewKeyHook::Route(MSG* msg) const {
  if (ForViewDialog(msg)) return true;
  if (msg->message != WM_KEYDOWN) return false;
  CameraView* view = views_.ViewOf(msg->hwnd);
  return view && view->OnKeyDown(static_cast<int>(msg->wParam), static_cast<uint32_t>(msg->time));
}

bool ViewKeyHook::ForViewDialog(MSG* msg) const {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  for (CameraView* view : views_.Snapshot()) {
    HWND dialog = view->ModelessDialog();
    if (dialog && IsWindowVisible(dialog) && (msg->hwnd == dialog || IsChild(dialog, msg->hwnd)))
      return IsDialogMessageW(dialog, msg) != FALSE;
  }
  return false;
}

}  // namespace app
