#include "node/storage/retention_limits.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace node {

namespace {

constexpr double kGigabyte = 1024.0 * 1024.0 * 1024.0;
constexpr double kMegabyte = 1024.0 * 1024.0;

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool ParseDays(std::string_view text, int* days) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > RetentionLimits::kMaxDays) return false;
  *days = value;
  return true;
}

// Up to `decimals` places, without trailing zeros.
std::string Trimmed(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

}  // namespace

bool ParseGigabytes(std::string_view text, uint64_t* bytes) {
  // Digits, at most one point and at most three decimals: nothing a locale
  // or an exponent could read otherwise.
  if (text.empty() || text.size() > 16) return false;
  double whole = 0, scale = 1;
  bool point = false, digits = false;
  int decimals = 0;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (point) {
        if (++decimals > 3) return false;
        scale /= 10;
        whole += (c - '0') * scale;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else {
      return false;
    }
  }
  if (!digits || whole > 1024.0 * 1024.0) return false;
  *bytes = static_cast<uint64_t>(std::llround(whole * kGigabyte));
  return true;
}

std::string LimitText(uint64_t bytes) {
  const double gb = double(bytes) / kGigabyte;
  if (gb >= 0.01) return Trimmed(gb, 2) + " GB";
  return Trimmed(double(bytes) / kMegabyte, 1) + " MB";
}

std::string AmountText(uint64_t bytes) {
  char text[48];
  if (double(bytes) >= kGigabyte)
    std::snprintf(text, sizeof text, "%.1f GB", double(bytes) / kGigabyte);
  else if (double(bytes) >= kMegabyte)
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / kMegabyte);
  else
    std::snprintf(text, sizeof text, "%.0f KB", std::ceil(double(bytes) / 1024.0));
  return text;
}

std::string FormatRetentionLimits(const RetentionLimits& limits) {
  std::vector<std::string> parts;
  if (limits.days) parts.push_back("days=" + std::to_string(limits.days));
  if (limits.motion_days) parts.push_back("motion-days=" + std::to_string(limits.motion_days));
  // Three decimals of a GB, as parsed; a limit made in bytes is rounded to them.
  if (limits.max_bytes) parts.push_back("max-gb=" + Trimmed(double(limits.max_bytes) / kGigabyte, 3));
  if (limits.free_set) parts.push_back("min-free-gb=" + Trimmed(double(limits.min_free_bytes) / kGigabyte, 3));
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
  return text;
}

bool ParseRetentionLimits(std::string_view text, RetentionLimits* limits, std::string* error) {
  if (text.size() > RetentionLimits::kMaxTextLength) return Fail(error, "too long for retention limits");
  RetentionLimits parsed;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
    if (end == at) break;
    const std::string_view word = text.substr(at, end - at);
    at = end;
    const size_t equals = word.find('=');
    if (equals == std::string_view::npos || equals == 0) return Fail(error, "'" + std::string(word) + "' is no key=value");
    const std::string_view key = word.substr(0, equals), value = word.substr(equals + 1);
    if (key == "days") {
      if (!ParseDays(value, &parsed.days)) return Fail(error, "bad days=");
    } else if (key == "motion-days") {
      if (!ParseDays(value, &parsed.motion_days)) return Fail(error, "bad motion-days=");
    } else if (key == "max-gb") {
      if (!ParseGigabytes(value, &parsed.max_bytes)) return Fail(error, "bad max-gb=");
    } else if (key == "min-free-gb") {
      if (!ParseGigabytes(value, &parsed.min_free_bytes)) return Fail(error, "bad min-free-gb=");
      parsed.free_set = true;
    }
  }
  *limits = parsed;
  return true;
}

}  // namespace node
