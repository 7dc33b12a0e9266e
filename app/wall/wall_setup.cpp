#include "app/wall/wall_setup.h"

#include <charconv>

namespace app::wall {

void WallSetup::SetPattern(const WallPattern& next) {
  pattern = next;
  cells.resize(static_cast<size_t>(next.CellCount()));
}

int WallSetup::FirstEmptyCell() const {
  for (size_t i = 0; i < cells.size(); ++i)
    if (cells[i].empty()) return static_cast<int>(i);
  return -1;
}

bool ParseWallOption(std::string_view text, WallSetup* setup, std::string* error) {
  const size_t colon = text.find(':');
  const std::string_view monitor_text = text.substr(0, colon);
  int monitor = 0;
  const auto [end, ec] = std::from_chars(monitor_text.data(), monitor_text.data() + monitor_text.size(), monitor);
  if (ec != std::errc() || end != monitor_text.data() + monitor_text.size() || monitor < 1 ||
      monitor > WallSetup::kMaxMonitor) {
    *error = "--wall needs a monitor number from 1 to " + std::to_string(WallSetup::kMaxMonitor);
    return false;
  }
  WallPattern pattern;
  if (colon != std::string_view::npos && !ParseWallPattern(text.substr(colon + 1), &pattern)) {
    *error = "--wall needs a grid of ROWSxCOLUMNS (1x1 to 6x6) or 1+5, 1+7, 2+8 after the monitor";
    return false;
  }
  WallSetup read;
  read.monitor = monitor;
  read.SetPattern(pattern);
  *setup = std::move(read);
  return true;
}

bool ValidCameraName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 32) return false;
  return true;
}

}  // namespace app::wall
