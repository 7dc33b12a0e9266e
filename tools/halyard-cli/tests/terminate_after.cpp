// terminate_after FILE DELAY_MS PROGRAM [ARGS...]
//
// Starts PROGRAM, waits until FILE exists (the recording's journal: the
// recording has started), waits DELAY_MS more and ends the program with
// TerminateProcess, as Windows ends a process that a user kills in Task
// Manager or that an update restart cuts off: no handler of its own runs.
// Prints "elapsed MS": from FILE appearing to the termination.
// Exit 0 when the program was terminated, 1 when it ended first or FILE
// never appeared.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring Quoted(const wchar_t* arg) { return std::wstring(L"\"") + arg + L"\""; }

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: terminate_after FILE DELAY_MS PROGRAM [ARGS...]\n");
    return 2;
  }
  const wchar_t* watched = argv[1];
  const DWORD delay = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
  std::wstring line = Quoted(argv[3]);
  for (int i = 4; i < argc; ++i) line += L" " + Quoted(argv[i]);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "terminate_after: cannot start the program (error %lu)\n", GetLastError());
    return 1;
  }
  CloseHandle(process.hThread);
  int code = 1;
  DWORD waited = 0;
  while (!Exists(watched) && waited < 60000 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    Sleep(10);
    waited += 10;
  }
  if (!Exists(watched)) {
    std::fprintf(stderr, "terminate_after: the file never appeared\n");
  } else {
    const ULONGLONG start = GetTickCount64();
    if (WaitForSingleObject(process.hProcess, delay) != WAIT_TIMEOUT) {
      std::fprintf(stderr, "terminate_after: the program ended by itself\n");
    } else if (TerminateProcess(process.hProcess, 9)) {
      WaitForSingleObject(process.hProcess, INFINITE);
      std::printf("elapsed %llu\n", static_cast<unsigned long long>(GetTickCount64() - start));
      code = 0;
    }
  }
  if (code != 0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  return code;
}
