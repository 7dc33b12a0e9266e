#include "app/layouts/layout.h"

#include <charconv>

#include "app/docking.h"
#include "app/wall/tour.h"
#include "os/text_lines.h"

namespace app::layouts {
namespace {

constexpr std::string_view kHeader = "halyard-layout 1";
constexpr int kMaxCoordinate = 100000;  // screen pixels, either way

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

// The next space-separated word of `line` from `at`; empty at the end.
std::string_view Word(std::string_view line, size_t* at) {
  while (*at < line.size() && line[*at] == ' ') ++*at;
  const size_t start = *at;
  while (*at < line.size() && line[*at] != ' ') ++*at;
  return line.substr(start, *at - start);
}

bool Number(std::string_view word, int low, int high, int* value) {
  int v = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || end != word.data() + word.size() || v < low || v > high) return false;
  *value = v;
  return true;
}

bool ParseView(std::string_view line, LayoutView* view) {
  size_t at = 0;
  if (Word(line, &at) != "view") return false;
  const std::string_view kind = Word(line, &at);
  if (kind != "direct" && kind != "hosted") return false;
  const bool hosted = kind == "hosted";
  int left, top, width, height;
  if (!Number(Word(line, &at), -kMaxCoordinate, kMaxCoordinate, &left) ||
      !Number(Word(line, &at), -kMaxCoordinate, kMaxCoordinate, &top) ||
      !Number(Word(line, &at), 1, kMaxCoordinate, &width) || !Number(Word(line, &at), 1, kMaxCoordinate, &height) ||
      !Number(Word(line, &at), 0, 2, &view->screen_size) ||
      !Number(Word(line, &at), -1, static_cast<int>(Layout::kMaxViews) - 1, &view->docked_to))
    return false;
  view->rect = {left, top, left + width, top + height};
  while (at < line.size() && line[at] == ' ') ++at;
  view->hosted = hosted;
  view->camera = std::string(line.substr(at));
  return wall::ValidCameraName(view->camera);
}

bool ParseCamera(std::string_view line, size_t at, bool* hosted, std::string* name) {
  const std::string_view kind = Word(line, &at);
  if (kind != "direct" && kind != "hosted") return false;
  *hosted = kind == "hosted";
  while (at < line.size() && line[at] == ' ') ++at;
  *name = std::string(line.substr(at));
  return wall::ValidCameraName(*name);
}

bool ParseWall(std::string_view line, wall::WallSetup* setup) {
  size_t at = 0;
  if (Word(line, &at) != "wall") return false;
  wall::WallPattern pattern;
  if (!Number(Word(line, &at), 1, wall::WallSetup::kMaxMonitor, &setup->monitor) ||
      !wall::ParseWallPattern(Word(line, &at), &pattern) || at != line.size())
    return false;
  setup->SetPattern(pattern);
  return true;
}

bool ParseCell(std::string_view line, wall::WallSetup* setup) {
  size_t at = 0;
  int cell = 0;
  if (Word(line, &at) != "cell" || !Number(Word(line, &at), 0, static_cast<int>(setup->cells.size()) - 1, &cell))
    return false;
  wall::WallCamera& camera = setup->cells[static_cast<size_t>(cell)];
  return camera.empty() && ParseCamera(line, at, &camera.hosted, &camera.name);
}

bool ParseLine(std::string_view line, Layout* read, std::string* error) {
  if (line == "locked") {
    read->locked = true;
  } else if (line.substr(0, 5) == "wall ") {
    wall::WallSetup setup;
    if (!ParseWall(line, &setup)) return Fail(error, "bad wall: " + std::string(line.substr(0, 80)));
    if (read->walls.size() == Layout::kMaxWalls) return Fail(error, "too many walls");
    read->walls.push_back(std::move(setup));
  } else if (line.substr(0, 5) == "tour ") {
    if (read->walls.empty() || !read->walls.back().tour.empty() || !wall::ValidTourName(line.substr(5)))
      return Fail(error, "bad tour: " + std::string(line.substr(0, 80)));
    read->walls.back().tour = std::string(line.substr(5));
  } else if (line.substr(0, 5) == "cell ") {
    if (read->walls.empty() || !ParseCell(line, &read->walls.back()))
      return Fail(error, "bad cell: " + std::string(line.substr(0, 80)));
  } else {
    LayoutView view;
    if (!ParseView(line, &view)) return Fail(error, "bad line: " + std::string(line.substr(0, 80)));
    if (read->views.size() == Layout::kMaxViews) return Fail(error, "too many views");
    read->views.push_back(std::move(view));
  }
  return true;
}

std::string CameraWords(bool hosted, const std::string& name) {
  return std::string(hosted ? "hosted " : "direct ") + name;
}

}  // namespace

std::string FormatLayout(const Layout& layout) {
  std::string text = std::string(kHeader) + "\n";
  if (layout.locked) text += "locked\n";
  for (const LayoutView& v : layout.views)
    text += "view " + std::string(v.hosted ? "hosted " : "direct ") + std::to_string(v.rect.left) + " " +
            std::to_string(v.rect.top) + " " + std::to_string(v.rect.width()) + " " + std::to_string(v.rect.height()) +
            " " + std::to_string(v.screen_size) + " " + std::to_string(v.docked_to) + " " + v.camera + "\n";
  for (const wall::WallSetup& w : layout.walls) {
    text += "wall " + std::to_string(w.monitor) + " " + wall::FormatWallPattern(w.pattern) + "\n";
    for (size_t i = 0; i < w.cells.size(); ++i)
      if (!w.cells[i].empty()) text += "cell " + std::to_string(i) + " " + CameraWords(w.cells[i].hosted, w.cells[i].name) + "\n";
    if (!w.tour.empty()) text += "tour " + w.tour + "\n";
  }
  return text;
}

bool ParseLayout(std::string_view text, Layout* layout, std::string* error) {
  if (text.size() > Layout::kMaxTextLength) return Fail(error, "too long");
  Layout read;
  bool header = false;
  std::string_view line;
  while (os::TakeLine(&text, &line)) {
    if (line.empty()) continue;
    if (!header) {
      if (line != kHeader) return Fail(error, "not a layout");
      header = true;
    } else if (!ParseLine(line, &read, error)) {
      return false;
    }
  }
  if (!header) return Fail(error, "not a layout");
  for (size_t i = 0; i < read.views.size(); ++i) {
    const int dock = read.views[i].docked_to;
    if (dock >= static_cast<int>(read.views.size()) || dock == static_cast<int>(i))
      return Fail(error, "a view docked to a view that is not there");
  }
  *layout = std::move(read);
  return true;
}

bool ValidLayoutName(std::string_view name) {
  if (name.empty() || name.size() > Layout::kMaxNameLength || name.front() == ' ' || name.back() == ' ') return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 32 || c == '\\') return false;
  return true;
}

void FitToMonitors(Layout* layout, const std::vector<os::ScreenRect>& work_areas) {
  for (LayoutView& view : layout->views) view.rect = KeepOnAMonitor(view.rect, work_areas);
}

size_t DropMissingCameras(Layout* layout, const std::function<bool(const LayoutView& view)>& exists) {
  std::vector<int> new_index(layout->views.size(), -1);
  std::vector<LayoutView> kept;
  for (size_t i = 0; i < layout->views.size(); ++i) {
    if (!exists(layout->views[i])) continue;
    new_index[i] = static_cast<int>(kept.size());
    kept.push_back(layout->views[i]);
  }
  for (LayoutView& view : kept)
    view.docked_to = view.docked_to >= 0 ? new_index[static_cast<size_t>(view.docked_to)] : -1;
  size_t dropped = layout->views.size() - kept.size();
  layout->views = std::move(kept);
  for (wall::WallSetup& w : layout->walls)
    for (wall::WallCamera& cell : w.cells) {
      LayoutView as_view;
      as_view.hosted = cell.hosted;
      as_view.camera = cell.name;
      if (cell.empty() || exists(as_view)) continue;
      cell = {};
      ++dropped;
    }
  return dropped;
}

}  // namespace app::layouts
