#include "settings/ini_text.h"

#include <algorithm>
#include <cstdint>
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

namespace {

bool SameAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

void PutUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The length of the well-formed UTF-8 sequence at `at`, 0 when there is none.
size_t Utf8SequenceAt(std::string_view s, size_t at) {
  const auto b = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
  const uint8_t lead = b(at);
  if (lead < 0x80) return 1;
  size_t n = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
  if (n == 0 || at + n > s.size()) return 0;
  for (size_t i = 1; i < n; ++i)
    if ((b(at + i) & 0xC0) != 0x80) return 0;
  // No overlong forms, surrogates or values past U+10FFFF.
  if (lead == 0xE0 && b(at + 1) < 0xA0) return 0;
  if (lead == 0xED && b(at + 1) >= 0xA0) return 0;
  if (lead == 0xF0 && b(at + 1) < 0x90) return 0;
  if (lead == 0xF4 && b(at + 1) >= 0x90) return 0;
  return n;
}

}  // namespace

bool DecodeSettingsText(std::string_view bytes, std::string* utf8) {
  utf8->clear();
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      uint32_t c = static_cast<uint8_t>(bytes[i]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
      if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
        const uint32_t low = static_cast<uint8_t>(bytes[i + 2]) |
                             static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 3])) << 8;
        if (low >= 0xDC00 && low < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
      PutUtf8(c >= 0xD800 && c < 0xE000 ? 0xFFFD : c, utf8);
    }
    return true;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = Utf8SequenceAt(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  utf8->assign(bytes);
  return true;
}

std::string CutToUtf16Units(std::string_view utf8, size_t units) {
  size_t used = 0, at = 0;
  while (at < utf8.size()) {
    const uint8_t lead = static_cast<uint8_t>(utf8[at]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    const size_t need = lead >= 0xF0 ? 2 : 1;
    if (used + need > units) break;
    used += need;
    at = std::min(utf8.size(), at + length);
  }
  return std::string(utf8.substr(0, at));
}

IniDocument::IniDocument(std::string_view text) {
  Section* current = nullptr;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      sections_.push_back({std::string(name), {}});
      current = &sections_.back();
      continue;
    }
    if (!current) continue;  // entries before the first section belong to none
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      current->entries.push_back({});
    } else {
      current->entries.push_back({std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1)))});
    }
  }
}

const IniDocument::Section* IniDocument::Find(std::string_view section) const {
  section = Trim(section);
  for (const Section& s : sections_)
    if (SameAsciiCase(s.name, section)) return &s;
  return nullptr;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view name) const {
  const Section* s = Find(section);
  if (!s) return std::nullopt;
  name = Trim(name);
  for (const SectionEntry& e : s->entries) {
    if (e.name.empty() || !SameAsciiCase(e.name, name)) continue;
    std::string_view v = e.value;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    return std::string(v);
  }
  return std::nullopt;
}

std::vector<SectionEntry> IniDocument::Entries(std::string_view section) const {
  const Section* s = Find(section);
  return s ? s->entries : std::vector<SectionEntry>{};
}

int ProfileNumber(std::string_view value) {
  value = Trim(value);
  bool negative = false;
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  long long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
    if (n > 0x7FFFFFFFLL) break;
  }
  if (n > 0x7FFFFFFFLL) n = 0x7FFFFFFFLL;
  return static_cast<int>(negative ? -n : n);
}

}  // namespace settings
