#pragma once
// Text is UTF-8 inside the programs; Win32 is called with UTF-16. Every
// conversion goes through these two functions.
#include <string>
#include <string_view>

namespace win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace win32
