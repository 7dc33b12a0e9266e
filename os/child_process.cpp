#include "os/child_process.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;
#endif

namespace os {

namespace {

// One argument as the C runtime's parser reads it back: plain when it has
// no blank and no quote; else in quotes, with each quote escaped and each
// run of backslashes before a quote (or the closing quote) doubled.
void AppendArgument(const std::string& arg, std::string* line) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
    *line += arg;
    return;
  }
  *line += '"';
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == '\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      line->append(backslashes * 2, '\\');
      break;
    }
    if (arg[i] == '"') {
      line->append(backslashes * 2 + 1, '\\');
    } else {
      line->append(backslashes, '\\');
    }
    *line += arg[i];
  }
  *line += '"';
}

}  // namespace

std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& args) {
  // argv[0] is read without escapes: a quoted path ends at the next quote.
  if (program.empty() || program.find('"') != std::string::npos) return std::string();
  std::string line = program.find_first_of(" \t") == std::string::npos ? program : '"' + program + '"';
  for (const std::string& arg : args) {
    line += ' ';
    AppendArgument(arg, &line);
  }
  return line;
}

ChildProcess::~ChildProcess() { Release(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this == &other) return *this;
  Release();
#ifdef _WIN32
  process_ = other.process_;
  other.process_ = nullptr;
#else
  pid_ = other.pid_;
  other.pid_ = 0;
#endif
  ended_ = other.ended_;
  exit_code_ = other.exit_code_;
  return *this;
}

#ifdef _WIN32

namespace {
std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

bool IsBatchFile(const std::string& program) {
  std::string lower = program;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  auto endsWith = [&](const char* tail) {
    const size_t n = std::strlen(tail);
    return lower.size() >= n && lower.compare(lower.size() - n, n, tail) == 0;
  };
  return endsWith(".bat") || endsWith(".cmd");
}
}  // namespace

void ChildProcess::Release() {
  if (process_) CloseHandle(static_cast<HANDLE>(process_));
  process_ = nullptr;
  ended_ = false;
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args, std::string* error) {
  Release();
  if (IsBatchFile(program)) {
    *error = program + " is a batch file: cmd.exe would read its arguments as commands; give a program";
    return false;
  }
  const std::string line = WindowsCommandLine(program, args);
  if (line.empty()) {
    *error = "no program, or a quote in its path";
    return false;
  }
  std::wstring wide = Wide(line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    *error = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  return true;
}

bool ChildProcess::Wait(int timeout_ms, int* exit_code) {
  if (!ended_ && process_) {
    if (WaitForSingleObject(static_cast<HANDLE>(process_), static_cast<DWORD>(std::max(0, timeout_ms))) != WAIT_OBJECT_0)
      return false;
    DWORD code = 0;
    GetExitCodeProcess(static_cast<HANDLE>(process_), &code);
    exit_code_ = static_cast<int>(code);
    ended_ = true;
  }
  if (ended_ && exit_code) *exit_code = exit_code_;
  return ended_;
}

bool ChildProcess::Started() const { return process_ != nullptr; }

#else

void ChildProcess::Release() {
  // A program still running is left alone; one that ended is reaped here.
  if (pid_ > 0 && !ended_) waitpid(pid_, nullptr, WNOHANG);
  pid_ = 0;
  ended_ = false;
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args, std::string* error) {
  Release();
  if (program.empty()) {
    *error = "no program";
    return false;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (failed) {
    *error = "cannot start " + program + ": " + std::strerror(failed);
    return false;
  }
  pid_ = pid;
  return true;
}

bool ChildProcess::Wait(int timeout_ms, int* exit_code) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeout_ms));
  while (!ended_ && pid_ > 0) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_ || (done < 0 && errno != EINTR)) {
      ended_ = true;
      exit_code_ = done == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (ended_ && exit_code) *exit_code = exit_code_;
  return ended_;
}

bool ChildProcess::Started() const { return pid_ > 0; }

#endif

}  // namespace os
