#include "app/wall/wall_grid.h"

#include <charconv>

namespace app::wall {
namespace {

// A cell as grid units: its top-left row and column and its size.
struct Span {
  int row, column, rows, columns;
};

std::vector<Span> Spans(const WallPattern& p) {
  std::vector<Span> spans;
  auto rest = [&](auto covered) {
    for (int r = 0; r < p.rows; ++r)
      for (int c = 0; c < p.columns; ++c)
        if (!covered(r, c)) spans.push_back({r, c, 1, 1});
  };
  switch (p.merge) {
    case WallPattern::Merge::kOnePlusFive:
      spans.push_back({0, 0, 2, 2});
      rest([](int r, int c) { return r < 2 && c < 2; });
      break;
    case WallPattern::Merge::kOnePlusSeven:
      spans.push_back({0, 0, 3, 3});
      rest([](int r, int c) { return r < 3 && c < 3; });
      break;
    case WallPattern::Merge::kTwoPlusEight:
      spans.push_back({0, 0, 2, 2});
      spans.push_back({0, 2, 2, 2});
      rest([](int r, int) { return r < 2; });
      break;
    case WallPattern::Merge::kNone:
      rest([](int, int) { return false; });
      break;
  }
  return spans;
}

// The n-th of `count` equal parts of [from, to): edges fall on whole pixels
// so that neighbouring cells share them.
int Edge(int from, int to, int count, int n) { return from + (to - from) * n / count; }

}  // namespace

int WallPattern::CellCount() const { return static_cast<int>(Spans(*this).size()); }

bool ParseWallPattern(std::string_view text, WallPattern* pattern) {
  const struct {
    std::string_view name;
    WallPattern pattern;
  } merged[] = {{"1+5", {3, 3, WallPattern::Merge::kOnePlusFive}},
                {"1+7", {4, 4, WallPattern::Merge::kOnePlusSeven}},
                {"2+8", {4, 4, WallPattern::Merge::kTwoPlusEight}}};
  for (const auto& m : merged)
    if (text == m.name) return *pattern = m.pattern, true;
  const size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  int rows = 0, columns = 0;
  const auto r = std::from_chars(text.data(), text.data() + x, rows);
  const auto c = std::from_chars(text.data() + x + 1, text.data() + text.size(), columns);
  if (r.ec != std::errc() || r.ptr != text.data() + x || c.ec != std::errc() || c.ptr != text.data() + text.size())
    return false;
  if (rows < 1 || columns < 1 || rows > WallPattern::kMaxSide || columns > WallPattern::kMaxSide) return false;
  *pattern = {rows, columns, WallPattern::Merge::kNone};
  return true;
}

std::string FormatWallPattern(const WallPattern& pattern) {
  switch (pattern.merge) {
    case WallPattern::Merge::kOnePlusFive:
      return "1+5";
    case WallPattern::Merge::kOnePlusSeven:
      return "1+7";
    case WallPattern::Merge::kTwoPlusEight:
      return "2+8";
    case WallPattern::Merge::kNone:
      break;
  }
  return std::to_string(pattern.rows) + "x" + std::to_string(pattern.columns);
}

std::vector<os::ScreenRect> CellRects(const WallPattern& pattern, const os::ScreenRect& area) {
  std::vector<os::ScreenRect> rects;
  for (const Span& s : Spans(pattern))
    rects.push_back({Edge(area.left, area.right, pattern.columns, s.column),
                     Edge(area.top, area.bottom, pattern.rows, s.row),
                     Edge(area.left, area.right, pattern.columns, s.column + s.columns),
                     Edge(area.top, area.bottom, pattern.rows, s.row + s.rows)});
  return rects;
}

int CellAt(const WallPattern& pattern, const os::ScreenRect& area, int x, int y) {
  const std::vector<os::ScreenRect> rects = CellRects(pattern, area);
  for (size_t i = 0; i < rects.size(); ++i)
    if (x >= rects[i].left && x < rects[i].right && y >= rects[i].top && y < rects[i].bottom) return int(i);
  return -1;
}

}  // namespace app::wall
