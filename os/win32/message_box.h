#pragma once
#include <windows.h>

#include <string>

namespace win32 {

// MessageBoxW with UTF-8 texts. Without an icon in `type`, OK boxes get the
// exclamation mark and Yes/No boxes the question mark.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type = MB_OK);

}  // namespace win32
