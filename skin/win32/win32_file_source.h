#pragma once
// A skin file opened with the wide-character Win32 calls, so a program
// directory with any characters in its name works.
#include <windows.h>

#include <string>

#include "os/win32/handles.h"
#include "skin/byte_source.h"

namespace skin {

class Win32FileSource : public ByteSource {
 public:
  // UTF-8 path; false when the file cannot be opened for reading.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_.valid(); }
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;
  uint64_t Size() const override { return size_; }

 private:
  win32::UniqueHandle file_;
  uint64_t size_ = 0;
};

}  // namespace skin
