#include "os/thread_name.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#else
#include <pthread.h>

#include <cstring>
#endif

namespace os {

void NameCurrentThread(const char* name) {
#ifdef _WIN32
  // Looked up at run time: older systems lack the call.
  using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  static const auto set = reinterpret_cast<SetDescription>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
  if (!set) return;
  std::wstring wide;
  for (const char* c = name; *c; ++c) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
  set(GetCurrentThread(), wide.c_str());
#else
  // The kernel keeps at most 15 bytes of a thread's name.
  char shortened[16] = {};
  std::strncpy(shortened, name, sizeof shortened - 1);
  pthread_setname_np(pthread_self(), shortened);
#endif
}

}  // namespace os
