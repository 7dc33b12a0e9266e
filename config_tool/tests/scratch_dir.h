#pragma once
// A folder of this test process's own under the temporary folder, removed at
// exit, so test executables running side by side never share an interface file.
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "os/clock.h"
#include "os/file.h"

namespace bollard {

class ScratchDir {
 public:
  explicit ScratchDir(const char* name) {
    std::random_device random;
    path_ = os::TempDirectory() + name + "-" + std::to_string(random()) + "-" + std::to_string(random());
    std::error_code ignored;
    std::filesystem::create_directories(os::PathOf(path_), ignored);
    path_ += '/';
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(os::PathOf(path_), ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // The folder, ending with a separator.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A file's bytes as text; "<missing>" when it cannot be read.
inline std::string ReadFileText(const std::string& path) {
  FILE* f = os::OpenFile(path, "rb");
  if (!f) return "<missing>";
  std::string text;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

}  // namespace bollard
