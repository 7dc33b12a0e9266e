#pragma once
// The window procedure of a window that belongs to an object: the object's
// pointer comes as CreateWindowEx's last parameter and is kept in the
// window's user data, and every message from WM_NCCREATE on goes to the
// object's WindowMessage. Its owner clears the user data before the object
// goes, so that no late message reaches it.
#include <windows.h>

namespace win32 {

template <class Object>
LRESULT CALLBACK ObjectWindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Object*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return object ? object->WindowMessage(window, message, wparam, lparam)
                : DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace win32
