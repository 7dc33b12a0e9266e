#pragma once
// Another program started with its arguments as separate strings. No shell
// ever reads them: on Linux the program is spawned with the argument vector
// as given; on Windows, which hands a program one command line, each
// argument is quoted so that the C runtime's parser gives it back whole.
// Outside text (a camera's name) may hold spaces, quotes, '&' or '%'.
//
// One thread owns a ChildProcess.
#include <string>
#include <vector>

namespace os {

class ChildProcess {
 public:
  ChildProcess() = default;
  // Does not wait: a program still running goes on alone.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;

  // `program` is a path, or a name looked up as the system looks up
  // commands. False with a reason when it cannot be started. On Windows a
  // batch file is refused: cmd.exe would read its arguments as commands.
  bool Start(const std::string& program, const std::vector<std::string>& args, std::string* error);
  // Waits up to `timeout_ms` (0: only looks) for the program to end; true
  // with its exit code once it has.
  bool Wait(int timeout_ms, int* exit_code);
  bool Started() const;

 private:
  void Release();
#ifdef _WIN32
  void* process_ = nullptr;  // HANDLE
#else
  int pid_ = 0;
#endif
  bool ended_ = false;
  int exit_code_ = 0;
};

// The command line that makes a Windows program built with the Microsoft C
// runtime (or MinGW's) see `program` as argv[0] and `args` as the rest, each
// exactly. Empty when the program's path holds a quote, which argv[0]
// cannot carry.
std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& args);

}  // namespace os
