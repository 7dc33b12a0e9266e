#include "app/wall/win32/tour_registry.h"

#include <windows.h>

#include <algorithm>

#include "settings/win32/registry_key.h"

namespace app::wall {
namespace {

std::string KeyPath() { return std::string(settings::kRegistryKeyPath) + "\\Tours"; }

}  // namespace

std::vector<std::string> TourNames() {
  std::vector<std::string> names;
  settings::RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, KeyPath())) return names;
  for (const auto& [name, text] : key.StringValues(256)) {
    Tour tour;
    if (ValidTourName(name) && ParseTour(text, &tour)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool LoadTour(const std::string& name, Tour* tour) {
  settings::RegistryKey key;
  std::string text;
  return ValidTourName(name) && key.Open(HKEY_CURRENT_USER, KeyPath()) && key.QueryString(name, text) &&
         ParseTour(text, tour);
}

bool SaveTour(const std::string& name, const Tour& tour) {
  settings::RegistryKey key;
  return ValidTourName(name) && key.OpenOrCreate(HKEY_CURRENT_USER, KeyPath()) && key.SetString(name, FormatTour(tour));
}

void DeleteTour(const std::string& name) {
  settings::RegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, KeyPath())) key.DeleteValue(name);
}

}  // namespace app::wall
