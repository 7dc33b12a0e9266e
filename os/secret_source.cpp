#include "os/secret_source.h"

#include <cstdio>
#include <cstdlib>

namespace os {

bool ReadFirstLine(const std::string& path, std::string* line) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[1024];
  const size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  std::string text(buf, n);
  const size_t end = text.find_first_of("\r\n");
  *line = end == std::string::npos ? text : text.substr(0, end);
  return true;
}

bool ReadEnvironment(const char* name, std::string* value) {
  const char* v = std::getenv(name);
  if (!v) return false;
  *value = v;
  return true;
}

}  // namespace os
