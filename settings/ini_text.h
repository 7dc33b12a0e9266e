#pragma once
// The text rules of the settings file that do not need Windows: how a value
// becomes a multi-line label or a boolean, and how a section read whole is
// split into its key names.
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

}  // namespace settings
