#include "dialogs/server_info_rules.h"

namespace dialogs {

int DefaultServerPort(int type_index, bool ddns) {
  if (ddns) return kDynamicAddressPort;
  return type_index == kTypeCamera ? kCameraServerPort : kHostingServerPort;
}

bool IsStorableListName(const std::string& name) {
  if (name.empty()) return true;  // refused on its own, with its own message
  if (name.front() == ' ' || name.back() == ' ') return false;
  for (unsigned char c : name)
    if (c == '=' || c == ']' || c < 0x20 || c == 0x7F) return false;
  return true;
}

int ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535 ? value : -1;
}

size_t Utf16Length(const std::string& utf8) {
  size_t units = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte
    units += c >= 0xF0 ? 2 : 1;        // four-byte sequences are surrogate pairs
  }
  return units;
}

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

const settings::TextId* FirstServerInfoError(const ServerInfoFields& fields, const std::string& own_name,
                                             const std::function<bool(const std::string&)>& name_exists) {
  namespace text = settings::text;
  if (fields.name.empty()) return &text::kServerInfoErrorInsertName;
  if (!IsStorableListName(fields.name) || fields.name.find('\\') != std::string::npos)
    return &text::kServerInfoErrorInvalidName;
  if (Utf16Length(fields.name) > kMaxServerNameChars) return &text::kServerInfoErrorLongName;
  const bool own = !own_name.empty() && SameIgnoringCase(fields.name, own_name);
  if (!own && name_exists && name_exists(fields.name)) return &text::kServerInfoErrorUniqueName;
  if (fields.ip_fields_filled < 4) return &text::kServerInfoErrorInsertIp;
  if (fields.type_index == kTypeNone) return &text::kServerInfoErrorInsertType;
  if (fields.ddns && fields.mac.empty()) return &text::kServerInfoErrorInsertMac;
  if (ParsePort(fields.port) < 0) return &text::kServerInfoErrorInvalidPort;
  return nullptr;
}

}  // namespace dialogs
