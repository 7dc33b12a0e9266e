#include "settings/ini_text.h"

#include <utility>

namespace settings {

std::string ExpandLineBreaks(std::string_view value) {
  static constexpr std::string_view kEscaped = "\\r\\n";
  std::string out;
  out.reserve(value.size());
  size_t i = 0;
  while (i < value.size()) {
    if (value.substr(i, kEscaped.size()) == kEscaped) {
      out += "\r\n";
      i += kEscaped.size();
    } else {
      out += value[i++];
    }
  }
  return out;
}

bool IsTrueText(std::string_view value) {
  static constexpr std::string_view kTrue = "TRUE";
  if (value.size() != kTrue.size()) return false;
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kTrue[i]) return false;
  }
  return true;
}

std::vector<SectionEntry> SplitSection(std::string_view block) {
  std::vector<SectionEntry> entries;
  size_t i = 0;
  while (i < block.size() && block[i] != '\0') {
    size_t end = block.find('\0', i);
    if (end == std::string_view::npos) end = block.size();
    std::string_view entry = block.substr(i, end - i);
    size_t eq = entry.find('=');
    if (eq == std::string_view::npos) {
      entries.push_back({});
    } else {
      entries.push_back({std::string(entry.substr(0, eq)), std::string(entry.substr(eq + 1))});
    }
    i = end + 1;
  }
  return entries;
}

std::vector<std::string> SectionKeyNames(std::string_view block) {
  std::vector<std::string> names;
  for (SectionEntry& entry : SplitSection(block)) names.push_back(std::move(entry.name));
  return names;
}

}  // namespace settings
