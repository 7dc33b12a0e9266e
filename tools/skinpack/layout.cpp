#include "layout.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace skinpack {
namespace {

struct KindWord {
  const char* word;
  skin::ItemKind kind;
};
constexpr KindWord kKinds[] = {{"form", skin::ItemKind::kForm},
                               {"button", skin::ItemKind::kButton},
                               {"check", skin::ItemKind::kCheckBox},
                               {"slider", skin::ItemKind::kSlider},
                               {"plain", skin::ItemKind::kPlain}};

const char* KindWordOf(skin::ItemKind kind) {
  for (const KindWord& k : kKinds)
    if (k.kind == kind) return k.word;
  return "?";
}

bool ParseInt(const std::string& text, int* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < -32768 || v > 32767) return false;
  *out = static_cast<int>(v);
  return true;
}

bool ParseColour(const std::string& text, uint32_t* out) {
  if (text == "none") {
    *out = skin::kNoRegion;
    return true;
  }
  if (text.size() < 3 || text.size() > 10 || text.compare(0, 2, "0x") != 0) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text.c_str() + 2, &end, 16);
  if (*end != '\0' || (v > 0xFFFFFFul && v != skin::kNoRegion)) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

bool Fail(std::string* error, int line, const std::string& what) {
  *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

bool ParseOption(const std::string& word, LayoutItem* item, std::string* error) {
  size_t eq = word.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == word.size())
    return Fail(error, item->line, "expected key=value, got \"" + word + "\"");
  std::string key = word.substr(0, eq), value = word.substr(eq + 1);
  if (key == "transparent") {
    if (!ParseColour(value, &item->transparent))
      return Fail(error, item->line, "transparent colour must be 0xBBGGRR or none, got \"" + value + "\"");
    return true;
  }
  for (int slot = 0; slot < skin::kBitmapSlots; ++slot) {
    const char* name = SlotName(item->kind, slot);
    if (name && key == name) {
      if (!item->files[slot].empty()) return Fail(error, item->line, "slot " + key + " given twice");
      item->files[slot] = value;
      return true;
    }
  }
  return Fail(error, item->line, std::string("a ") + KindWordOf(item->kind) + " has no slot \"" + key + "\"");
}

bool ParseItem(std::istringstream& words, const std::string& kind_word, LayoutItem* item, std::string* error) {
  bool known = false;
  for (const KindWord& k : kKinds) {
    if (kind_word == k.word) {
      item->kind = k.kind;
      known = true;
    }
  }
  if (!known) return Fail(error, item->line, "unknown kind \"" + kind_word + "\"");
  std::string x, y, w, h;
  if (!(words >> item->name >> x >> y >> w >> h)) return Fail(error, item->line, "expected name x y width height");
  if (!ParseInt(x, &item->x) || !ParseInt(y, &item->y) || !ParseInt(w, &item->width) || !ParseInt(h, &item->height))
    return Fail(error, item->line, "x, y, width and height must be whole numbers");
  if (item->width <= 0 || item->height <= 0) return Fail(error, item->line, "width and height must be positive");
  std::string word;
  while (words >> word)
    if (!ParseOption(word, item, error)) return false;
  return true;
}

}  // namespace

const char* SlotName(skin::ItemKind kind, int slot) {
  static const char* const kButton[] = {"normal", "over", "pressed", "disabled", "mask"};
  static const char* const kCheck[] = {"normal", "over", "checked", "disabled", "mask"};
  static const char* const kSlider[] = {"thumb", "thumb_focus", "thumb_drag", "channel", nullptr};
  static const char* const kForm[] = {"background", nullptr, nullptr, nullptr, nullptr};
  if (slot < 0 || slot >= skin::kBitmapSlots) return nullptr;
  switch (kind) {
    case skin::ItemKind::kButton: return kButton[slot];
    case skin::ItemKind::kCheckBox: return kCheck[slot];
    case skin::ItemKind::kSlider: return kSlider[slot];
    case skin::ItemKind::kForm: return kForm[slot];
    case skin::ItemKind::kPlain: return nullptr;
  }
  return nullptr;
}

bool ParseLayout(const std::string& text, Layout* out, std::string* error) {
  *out = {};
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::string first;
    if (!(words >> first)) continue;
    if (first == "window") {
      std::string rest;
      if (!(words >> out->window) || (words >> rest)) return Fail(error, number, "expected: window NAME.skn");
      continue;
    }
    LayoutItem item;
    item.line = number;
    if (!ParseItem(words, first, &item, error)) return false;
    out->items.push_back(std::move(item));
  }
  if (out->window.empty()) {
    *error = "no \"window\" line";
    return false;
  }
  return true;
}

const skin::SkinnedWindow* FindWindow(const std::string& skin_file) {
  for (const skin::SkinnedWindow& w : skin::kSkinnedWindows)
    if (skin_file == w.skin_file + 1) return &w;  // the table's names start with a backslash
  return nullptr;
}

bool CheckItems(const Layout& layout, std::string* error) {
  const skin::SkinnedWindow* window = FindWindow(layout.window);
  if (!window) {
    *error = "unknown window \"" + layout.window + "\"";
    return false;
  }
  if (layout.items.size() != window->items.size()) {
    *error = layout.window + " needs " + std::to_string(window->items.size()) + " items, the layout has " +
             std::to_string(layout.items.size());
    return false;
  }
  for (size_t i = 0; i < layout.items.size(); ++i) {
    const LayoutItem& item = layout.items[i];
    const skin::WindowItem& expected = window->items[i];
    if (item.name != expected.name || item.kind != expected.kind) {
      *error = "line " + std::to_string(item.line) + ": item " + std::to_string(i) + " of " + layout.window +
               " is the " + KindWordOf(expected.kind) + " " + expected.name;
      return false;
    }
  }
  return true;
}

}  // namespace skinpack
