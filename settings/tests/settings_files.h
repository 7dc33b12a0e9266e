#pragma once
// Test helpers: settings files written in either encoding the
// private-profile functions read, in a folder of their own.
#include <windows.h>

#include <string>

#include "os/win32/text.h"

namespace settings::testing {

// A fresh folder under the temporary directory, removed with its files.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // UTF-8 path of a file in the folder.
  std::string File(const std::string& name) const { return win32::Narrow(dir_) + "\\" + name; }

 private:
  std::wstring dir_;
};

// The text as bytes, unchanged (ASCII files).
void WriteAnsiFile(const std::string& path, const std::string& text);
// The UTF-8 text as UTF-16LE with a byte-order mark.
void WriteUnicodeFile(const std::string& path, const std::string& utf8);
std::string ReadBytes(const std::string& path);

}  // namespace settings::testing
