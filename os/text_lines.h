#pragma once
// Stored texts of lines (layouts, tours), read a line at a time whether
// they were written with "\n" or "\r\n".
#include <string_view>

namespace os {

// The next line of `text` without its line end, taken off the front of
// `text`; false once nothing is left.
inline bool TakeLine(std::string_view* text, std::string_view* line) {
  if (text->empty()) return false;
  const size_t end = text->find('\n');
  *line = text->substr(0, end);
  *text = end == std::string_view::npos ? std::string_view() : text->substr(end + 1);
  if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
  return true;
}

}  // namespace os
