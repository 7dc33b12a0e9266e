#include "config_tool/config_report.h"

#include <cstring>

#include "os/byte_order.h"

namespace bollard {
namespace {

struct Token {
  std::string text;
  int line = 0;
  size_t begin = 0, end = 0;  // where it stands in the text
};

// Cuts the text at any of "=.:\n", skipping empty tokens. The text ends at its
// first NUL, as the device's C string does.
std::vector<Token> Tokenize(const char* text, size_t length) {
  std::vector<Token> tokens;
  int line = 0;
  std::string current;
  size_t i = 0;
  auto flush = [&] {
    if (!current.empty()) tokens.push_back({current, line, i - current.size(), i});
    current.clear();
  };
  for (; i < length && text[i] != '\0'; ++i) {
    char c = text[i];
    if (c == '=' || c == '.' || c == ':' || c == '\n') {
      flush();
      if (c == '\n') ++line;
    } else {
      current.push_back(c);
    }
  }
  flush();
  return tokens;
}

std::string Cut(const std::string& s, size_t width) { return s.size() < width ? s : s.substr(0, width - 1); }

bool ParseOctet(const std::string& s, uint32_t* out) {
  if (s.empty() || s.size() > 3) return false;
  uint32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  if (v > 255) return false;
  *out = v;
  return true;
}

bool OneOf(const std::string& s, std::initializer_list<const char*> list) {
  for (const char* item : list)
    if (s == item) return true;
  return false;
}

enum class Step { kNext, kEndOfText, kError };

class TextParser {
 public:
  TextParser(const char* text, std::vector<Token> tokens, FILE* trace)
      : text_(text), tokens_(std::move(tokens)), trace_(trace) {}

  // Reads at most max_entries interfaces into entries.
  int Run(uint32_t max_entries, const std::string& address, std::vector<InterfaceEntry>* entries) {
    InterfaceEntry entry;
    entry.address = Cut(address, kEntryAddressWidth);
    bool has_keys = false;
    while (entries->size() < max_entries) {
      if (pos_ >= tokens_.size()) break;
      const Token& key = tokens_[pos_++];
      if (trace_) std::fprintf(trace_, "token = %s\n", key.text.c_str());
      if (key.text == "#") {
        entries->push_back(entry);
        entry = InterfaceEntry();
        entry.address = Cut(address, kEntryAddressWidth);
        has_keys = false;
        continue;
      }
      Step step = Key(key, &entry, &has_keys);
      if (step == Step::kError) return -1;
      if (step == Step::kEndOfText) break;
    }
    // Text that stops inside an interface ends the report there.
    if (has_keys && entries->size() < max_entries) entries->push_back(entry);
    return 0;
  }

 private:
  Step Key(const Token& key, InterfaceEntry* e, bool* has_keys) {
    const std::string& k = key.text;
    if (k == "DEVICE") return Choice(&e->device, kEntryDeviceWidth, {"eth0", "eth1"}, has_keys);
    if (k == "ONBOOT") return Choice(&e->on_boot, kEntryOnBootWidth, {"yes", "no"}, has_keys);
    if (k == "BOOTPROTO") return Choice(&e->boot_proto, kEntryBootProtoWidth, {"none", "static", "dhcp"}, has_keys);
    if (k == "IPADDR") return Address(&e->ip, has_keys);
    if (k == "NETMASK") return Address(&e->netmask, has_keys);
    if (k == "GATEWAY") return Address(&e->gateway, has_keys);
    if (k == "MACADDR") return Mac(key, e, has_keys);
    if (k == "HOSTNAME") {
      *has_keys = true;
      // The value belongs to the key's own line; anything else means it is missing.
      if (OnLineOf(key)) {
        e->host_name = Cut(RestOfLine(key), kEntryHostNameWidth);
      } else {
        e->host_name = "NDEF";
      }
      return Step::kNext;
    }
    return Step::kNext;  // an unknown token is skipped by itself
  }

  // The six parts belong to the key's own line: a short MAC must not take the
  // keys of the lines below (or the next interface) as its parts. Text that
  // ends inside the value ends the report, as for the other keys.
  Step Mac(const Token& key, InterfaceEntry* e, bool* has_keys) {
    *has_keys = true;
    for (std::string& part : e->mac) {
      if (pos_ >= tokens_.size()) return Step::kEndOfText;
      if (!OnLineOf(key)) return Step::kError;
      part = Cut(tokens_[pos_++].text, kEntryMacPartWidth);
    }
    return Step::kNext;
  }

  // The value as the device wrote it, dots and colons included ("cam.local"
  // must come back as it went out): the text from the first value token to
  // the last one on the key's line, before any "#" there.
  std::string RestOfLine(const Token& key) {
    const size_t begin = tokens_[pos_].begin;
    size_t end = begin;
    while (OnLineOf(key)) end = tokens_[pos_++].end;
    return std::string(text_ + begin, end - begin);
  }

  // True when the next token is a value on the line of `key`.
  bool OnLineOf(const Token& key) const {
    return pos_ < tokens_.size() && tokens_[pos_].line == key.line && tokens_[pos_].text != "#";
  }

  Step Choice(std::string* field, size_t width, std::initializer_list<const char*> list, bool* has_keys) {
    *has_keys = true;
    if (pos_ >= tokens_.size()) return Step::kEndOfText;
    const std::string& v = tokens_[pos_++].text;
    if (!OneOf(v, list)) return Step::kError;
    *field = Cut(v, width);
    return Step::kNext;
  }

  Step Address(uint32_t* field, bool* has_keys) {
    *has_keys = true;
    uint32_t ip = 0;
    for (int i = 0; i < 4; ++i) {
      if (pos_ >= tokens_.size()) return Step::kEndOfText;
      uint32_t octet = 0;
      if (!ParseOctet(tokens_[pos_++].text, &octet)) return Step::kError;
      ip = (ip << 8) | octet;
    }
    *field = ip;
    return Step::kNext;
  }

  const char* text_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  FILE* trace_;
};

}  // namespace

int ParseConfigText(const char* text, size_t length, uint32_t max_entries, const std::string& address,
                    std::vector<InterfaceEntry>* entries, FILE* trace) {
  entries->clear();
  TextParser parser(text, Tokenize(text, length), trace);
  return parser.Run(max_entries, address, entries);
}

int ParseConfigReport(const uint8_t* data, size_t length, ConfigReport* report, FILE* trace) {
  *report = ConfigReport();
  if (MessageTypeOf(data, length) != kConfigReport || length < kHeaderSize + 8) return -1;
  const uint8_t* p = data + kHeaderSize;
  const uint8_t* end = data + length;
  report->value = net::GetBE32(p);
  p += 4;
  uint32_t form = net::GetBE32(p);
  if (form <= 2) {
    report->old_form = true;
    report->address = kOldVersionAddress;
    report->count = form;
    p += 4;
  } else {
    if (static_cast<size_t>(end - p) < kReportAddressField + 4) return -1;
    report->address = net::GetText(p, kReportAddressField);
    p += kReportAddressField;
    report->count = net::GetBE32(p);
    p += 4;
  }
  return ParseConfigText(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p), report->count,
                         report->address, &report->entries, trace);
}

Bytes EncodeConfigReport(uint32_t value, const std::string& address, uint32_t count, const std::string& text) {
  Bytes out;
  os::AppendBE32(out, kConfigReport);
  os::AppendBE32(out, 0);
  os::AppendBE32(out, value);
  if (!address.empty()) PutText(out, address, kReportAddressField);
  os::AppendBE32(out, count);
  out.insert(out.end(), text.begin(), text.end());
  uint32_t body = static_cast<uint32_t>(out.size() - kHeaderSize);
  net::PutBE32(&out[4], body);
  return out;
}

std::string DottedQuad(uint32_t ip) {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", static_cast<int>(ip >> 24), static_cast<int>((ip >> 16) & 255),
                static_cast<int>((ip >> 8) & 255), static_cast<int>(ip & 255));
  return buf;
}

std::string MacText(const std::string (&mac)[6]) {
  return mac[0] + ":" + mac[1] + ":" + mac[2] + ":" + mac[3] + ":" + mac[4] + ":" + mac[5];
}

}  // namespace bollard
