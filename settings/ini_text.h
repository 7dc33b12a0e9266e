#pragma once
// The text rules of the settings file that do not need Windows: how a value
// becomes a multi-line label or a boolean, and how a section read whole is
// split into its key names.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Replaces every backslash-r-backslash-n (the four characters "\r\n" as
// written in the file) by a real carriage return and line feed, so one INI
// line can hold a multi-line label.
std::string ExpandLineBreaks(std::string_view value);

// True exactly when the value, upper-cased, is "TRUE"; "1" and "yes" are false.
bool IsTrueText(std::string_view value);

// One entry of a section: the text before and after its first '='. An
// entry without '=' has an empty name and an empty value.
struct SectionEntry {
  std::string name;
  std::string value;
};

// A section as the private-profile section lookup returns it: entries each
// ended by a NUL, the block ended by one more NUL (or by its length). Yields
// the entries in file order. Never reads past `block.size()`.
std::vector<SectionEntry> SplitSection(std::string_view block);
// The names of SplitSection's entries.
std::vector<std::string> SectionKeyNames(std::string_view block);

// The settings file's bytes as UTF-8 text, whichever way its editor saved
// it: UTF-16LE after its byte-order mark, UTF-8 with or without one. False
// for anything else (text in the ANSI code page, which only Windows decodes).
bool DecodeSettingsText(std::string_view bytes, std::string* utf8);

// The UTF-8 text cut to at most `units` UTF-16 code units, never inside a
// character (the private-profile functions' 511-character values).
std::string CutToUtf16Units(std::string_view utf8, size_t units);

// A settings file read as the private-profile functions read one: lines
// trimmed of blanks, "[name]" starting a section, "name=value" entries with
// blanks around the name and the value dropped, lines beginning with ";"
// and blank lines skipped; sections and names match in any case of ASCII
// letters, and the first section of a name is the one read.
class IniDocument {
 public:
  explicit IniDocument(std::string_view utf8_text);
  // The entry's value with one pair of enclosing quotes (" or ') removed;
  // nothing when the section or the entry is absent.
  std::optional<std::string> Value(std::string_view section, std::string_view name) const;
  // The section's entries in file order; a line without "=" is an entry of
  // empty name and value.
  std::vector<SectionEntry> Entries(std::string_view section) const;

 private:
  struct Section {
    std::string name;
    std::vector<SectionEntry> entries;
  };
  const Section* Find(std::string_view section) const;
  std::vector<Section> sections_;
};

// A value read as a number the way the profile functions read one: blanks,
// a sign and the leading decimal digits; 0 when there are none.
int ProfileNumber(std::string_view value);

}  // namespace settings
