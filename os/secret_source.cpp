#include "os/secret_source.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "os/file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace os {
namespace {

// UTF-16 code units (little-endian bytes) as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8OfUtf16Le(const std::string& bytes) {
  std::string out;
  auto put = [&out](uint32_t c) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t c = static_cast<uint8_t>(bytes[i]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      const uint32_t low =
          static_cast<uint8_t>(bytes[i + 2]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 3])) << 8;
      if (low >= 0xDC00 && low < 0xE000) {
        put(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    put(c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
  }
  return out;
}

}  // namespace

bool ReadFirstLine(const std::string& path, std::string* line) {
  FILE* f = OpenFile(path, "rb");
  if (!f) return false;
  char buf[1024];
  const size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  std::string text(buf, n);
  // Editors mark a file's encoding with a byte-order mark: it is not part of
  // the password, and a UTF-16 file (Notepad's "Unicode") gives the same UTF-8.
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
    text.erase(0, 3);
  } else if (text.rfind("\xFF\xFE", 0) == 0) {
    text = Utf8OfUtf16Le(text.substr(2));
  }
  const size_t end = text.find_first_of("\r\n");
  *line = end == std::string::npos ? text : text.substr(0, end);
  return true;
}

bool ReadEnvironment(const char* name, std::string* value) {
#ifdef _WIN32
  // The wide block: the narrow one holds the value in the ANSI code page.
  std::wstring wide_name;
  for (const char* p = name; *p; ++p) wide_name.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  const DWORD n = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
  if (n == 0) return false;
  std::wstring wide(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wide_name.c_str(), wide.data(), n);
  wide.resize(got < n ? got : 0);
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  value->assign(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), value->data(), bytes, nullptr,
                        nullptr);
  return true;
#else
  const char* v = std::getenv(name);
  if (!v) return false;
  *value = v;
  return true;
#endif
}

}  // namespace os
