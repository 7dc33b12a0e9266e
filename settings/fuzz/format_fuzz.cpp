// A translated message text is outside input: any bytes must format without
// reading past the text or the arguments. The first byte picks the argument
// kinds so mismatches are exercised as well as matches; the section splitter,
// the settings file's decoder and reader and the line-break rule see the same
// bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_text.h"
#include "settings/message_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t kinds = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<os::MessageArg> args;
  for (int i = 0; i < (kinds & 3) * 2; ++i) {
    if (kinds & (4 << (i % 5))) {
      args.emplace_back(static_cast<long long>(kinds) * -977 * (i + 1));
    } else {
      args.emplace_back(std::string(text.substr(0, static_cast<size_t>(i) * 3)));
    }
  }
  std::string out = settings::FormatUserMessage(text, args);
  // Each conversion expands to at most its field width (or its argument).
  if (out.size() > text.size() * (settings::kMaxFieldWidth + 32) + 64) __builtin_trap();
  settings::SectionKeyNames(text);
  settings::ExpandLineBreaks(text);
  // The settings file itself, in whatever encoding it came.
  std::string decoded;
  if (!settings::DecodeSettingsText(text, &decoded)) decoded.assign(text);
  const settings::IniDocument file(decoded);
  file.Value("FONT", "HEIGHT");
  for (const settings::SectionEntry& e : file.Entries("VENDOR")) settings::ProfileNumber(e.value);
  settings::CutToUtf16Units(decoded, 511);
  return 0;
}
