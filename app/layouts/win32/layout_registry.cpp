#include "app/layouts/win32/layout_registry.h"

#include <windows.h>

#include <algorithm>

#include "os/win32/text.h"
#include "settings/win32/registry_key.h"

namespace app::layouts {
namespace {

constexpr char kLastValue[] = "Last";  // not a valid layout text, so never listed as one

std::string KeyPath() { return std::string(settings::kRegistryKeyPath) + "\\Layouts"; }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

}  // namespace

std::vector<std::string> LayoutNames() {
  std::vector<std::string> names;
  settings::RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, KeyPath())) return names;
  for (const auto& [name, text] : key.StringValues(256)) {
    Layout layout;
    if (name != kLastValue && ValidLayoutName(name) && ParseLayout(text, &layout)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
  return names;
}

bool LoadLayout(const std::string& name, Layout* layout) {
  settings::RegistryKey key;
  std::string text;
  return ValidLayoutName(name) && key.Open(HKEY_CURRENT_USER, KeyPath()) && key.QueryString(name, text) &&
         ParseLayout(text, layout);
}

bool SaveLayout(const std::string& name, const Layout& layout) {
  settings::RegistryKey key;
  return ValidLayoutName(name) && name != kLastValue && key.OpenOrCreate(HKEY_CURRENT_USER, KeyPath()) &&
         key.SetString(name, FormatLayout(layout));
}

void DeleteLayout(const std::string& name) {
  settings::RegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, KeyPath())) key.DeleteValue(name);
}

std::string LastLayout() {
  settings::RegistryKey key;
  std::string name;
  if (key.Open(HKEY_CURRENT_USER, KeyPath())) key.QueryString(kLastValue, name);
  return name;
}

void SaveLastLayout(const std::string& name) {
  settings::RegistryKey key;
  if (key.OpenOrCreate(HKEY_CURRENT_USER, KeyPath())) key.SetString(kLastValue, name);
}

}  // namespace app::layouts
