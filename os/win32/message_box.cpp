#include "os/win32/message_box.h"

#include "os/win32/text.h"

namespace win32 {

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  if ((type & MB_ICONMASK) == 0) {
    UINT kind = type & MB_TYPEMASK;
    type |= (kind == MB_YESNO || kind == MB_YESNOCANCEL) ? MB_ICONQUESTION : MB_ICONEXCLAMATION;
  }
  return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

}  // namespace win32
