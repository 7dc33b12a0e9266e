#include "app/view_key_hook.h"

#include <algorithm>
#include <vector>

#include "app/view_list.h"

namespace app {
namespace {

// Windows gives a hook procedure no context of its own: the thread's hook
// and the lists it serves are found here.
struct ThreadHook {
  HHOOK hook = nullptr;
  std::vector<const ViewList*> lists;
};
thread_local ThreadHook thread_hook;

bool ForViewDialog(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  for (const ViewList* list : thread_hook.lists) {
    for (CameraView* view : list->Snapshot()) {
      HWND dialog = view->ModelessDialog();
      if (dialog && IsWindowVisible(dialog) && (msg->hwnd == dialog || IsChild(dialog, msg->hwnd)))
        return IsDialogMessageW(dialog, msg) != FALSE;
    }
  }
  return false;
}

// True when the message was consumed.
bool Route(MSG* msg) {
  if (ForViewDialog(msg)) return true;
  if (msg->message != WM_KEYDOWN) return false;
  for (const ViewList* list : thread_hook.lists) {
    if (CameraView* view = list->ViewOf(msg->hwnd))
      return view->OnKeyDown(static_cast<int>(msg->wParam), static_cast<uint32_t>(msg->time));
  }
  return false;
}

// A consumed key press becomes WM_NULL, which nobody acts on.
LRESULT CALLBACK Proc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE) {
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (Route(msg)) msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

ViewKeyHook::ViewKeyHook(const ViewList& views) : views_(views) {
  thread_hook.lists.push_back(&views_);
  if (!thread_hook.hook) thread_hook.hook = SetWindowsHookExW(WH_GETMESSAGE, Proc, nullptr, GetCurrentThreadId());
}

ViewKeyHook::~ViewKeyHook() {
  std::vector<const ViewList*>& lists = thread_hook.lists;
  lists.erase(std::remove(lists.begin(), lists.end(), &views_), lists.end());
  if (lists.empty() && thread_hook.hook) {
    UnhookWindowsHookEx(thread_hook.hook);
    thread_hook.hook = nullptr;
  }
}

}  // namespace app
