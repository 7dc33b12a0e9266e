#include "settings/message_format.h"

#include <cstdint>
#include <cstdio>

namespace settings {
namespace {

struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  char kind = 0;  // d, u, x, X or s
  size_t end = 0;  // index just past the conversion character
};

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal field of at most kMaxFieldWidth; false when it is larger.
bool ReadNumber(std::string_view s, size_t& i, int& out) {
  out = 0;
  while (i < s.size() && IsDigit(s[i])) {
    out = out * 10 + (s[i] - '0');
    if (out > kMaxFieldWidth) return false;
    ++i;
  }
  return true;
}

// Parses the conversion that starts at s[start] == '%'. False when the text
// there is not one we substitute.
bool ParseConversion(std::string_view s, size_t start, Conversion& c) {
  size_t i = start + 1;
  while (i < s.size() && IsFlag(s[i])) {
    if (c.flags.size() >= 5) return false;
    c.flags += s[i++];
  }
  if (i < s.size() && IsDigit(s[i]) && !ReadNumber(s, i, c.width)) return false;
  if (i < s.size() && s[i] == '.') {
    ++i;
    if (!ReadNumber(s, i, c.precision)) return false;  // "%.d" means precision 0
  }
  for (int n = 0; n < 2 && i < s.size() && (s[i] == 'h' || s[i] == 'l'); ++n) ++i;
  if (i >= s.size()) return false;
  switch (s[i]) {
    case 'd':
    case 'i': c.kind = 'd'; break;
    case 'u':
    case 'x':
    case 'X': c.kind = s[i]; break;
    case 's': c.kind = 's'; break;
    default: return false;
  }
  c.end = i + 1;
  return true;
}

// Number of UTF-8 code points; continuation bytes do not count.
size_t CodePoints(std::string_view s) {
  size_t n = 0;
  for (char ch : s) n += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
  return n;
}

// The first `limit` code points of s.
std::string_view FirstCodePoints(std::string_view s, size_t limit) {
  size_t seen = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (seen == limit) return s.substr(0, i);
      ++seen;
    }
  }
  return s;
}

std::string FormatText(const Conversion& c, std::string_view text) {
  if (c.precision >= 0) text = FirstCodePoints(text, static_cast<size_t>(c.precision));
  std::string out(text);
  size_t len = CodePoints(text);
  if (c.width > 0 && len < static_cast<size_t>(c.width)) {
    std::string pad(static_cast<size_t>(c.width) - len, ' ');
    out = c.flags.find('-') != std::string::npos ? out + pad : pad + out;
  }
  return out;
}

std::string FormatInteger(const Conversion& c, long long value) {
  // The pattern handed to snprintf is rebuilt from the checked pieces only.
  std::string pattern = "%" + c.flags;
  if (c.width >= 0) pattern += std::to_string(c.width);
  if (c.precision >= 0) {
    pattern += '.';
    pattern += std::to_string(c.precision);
  }
  char buf[kMaxFieldWidth * 2 + 64];
  int n;
  if (c.kind == 'd') {
    pattern += "lld";
    n = std::snprintf(buf, sizeof buf, pattern.c_str(), value);
  } else {
    unsigned long long u = (value < 0 && value >= INT32_MIN) ? static_cast<uint32_t>(value)
                                                              : static_cast<unsigned long long>(value);
    pattern += "ll";
    pattern += c.kind;
    n = std::snprintf(buf, sizeof buf, pattern.c_str(), u);
  }
  if (n < 0) return {};
  return std::string(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

}  // namespace

std::string FormatUserMessage(std::string_view format, const std::vector<os::MessageArg>& args) {
  std::string out;
  out.reserve(format.size());
  size_t next_arg = 0;
  size_t i = 0;
  while (i < format.size()) {
    char ch = format[i];
    if (ch != '%') {
      out += ch;
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    Conversion c;
    if (!ParseConversion(format, i, c)) {
      out += '%';
      ++i;
      continue;
    }
    std::string_view literal = format.substr(i, c.end - i);
    i = c.end;
    if (next_arg >= args.size()) {
      out += literal;
      continue;
    }
    const os::MessageArg& arg = args[next_arg++];
    if (c.kind == 's') {
      if (const auto* text = std::get_if<std::string>(&arg)) {
        out += FormatText(c, *text);
        continue;
      }
    } else if (const auto* value = std::get_if<long long>(&arg)) {
      out += FormatInteger(c, *value);
      continue;
    }
    out += literal;
  }
  return out;
}

}  // namespace settings
