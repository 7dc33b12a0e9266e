#pragma once
// The viewer's user-visible texts: each a section and key of the settings
// file with its built-in default. Callers name a text by its constant, e.g.
// `ini.GetString(settings::text::kErrorLoginFail)`.
#include <span>

namespace settings {

struct TextId {
  const char* section;
  const char* key;
  const char* default_text;  // UTF-8
};

namespace text {
#define HALYARD_TEXT(name, section, key, default_text) inline constexpr TextId name{section, key, default_text};
#include "settings/text_table.inc"
#undef HALYARD_TEXT
}  // namespace text

// Every entry of the table, in table order.
std::span<const TextId> AllTexts();

}  // namespace settings
