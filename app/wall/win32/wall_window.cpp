#include "app/wall/win32/wall_window.h"

#include <algorithm>

#include "app/wall/win32/tour_registry.h"
#include "os/clock.h"
#include "os/win32/object_window.h"
#include "os/win32/text.h"

namespace app::wall {
namespace {

constexpr wchar_t kWallClass[] = L"HalyardWall";

// The cell menu's commands; the patterns follow from kPatternBase.
enum : UINT {
  kOpenView = 1,
  kEmptyCell,
  kFill,
  kCloseWall,
  kTourCameras,
  kTourLayouts,
  kTourMotion,
  kSaveTour,
  kStopTour,
  kPatternBase = 100,
  kStoredTourBase = 200,
  kStoredTourCount = 50,
};
constexpr int kCameraTourDwellSeconds = 10;
constexpr const char* kMenuPatterns[] = {"1x1", "2x2", "3x3", "4x4", "5x5", "6x6", "1+5", "1+7", "2+8"};

RECT ToRect(const os::ScreenRect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

CWallWindow::CWallWindow(WallWindowOwner& owner, WallSetup setup, std::function<int64_t()> clock)
    : owner_(owner), setup_(std::move(setup)), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return static_cast<int64_t>(os::MonotonicMs()); };
  setup_.SetPattern(setup_.pattern);  // one camera slot per cell, whatever came in
}

CWallWindow::~CWallWindow() {
  cells_.clear();  // links first: their workers draw into the cells' windows
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool CWallWindow::Open(const std::vector<os::ScreenRect>& monitors) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = win32::ObjectWindowProcedure<CWallWindow>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWallClass;
    return RegisterClassW(&wc);
  }();
  if (!atom || monitors.empty()) return false;
  const size_t monitor = static_cast<size_t>(setup_.monitor - 1);
  area_ = monitor < monitors.size() ? monitors[monitor] : monitors.front();
  on_primary_ = area_ == monitors.front();
  const std::wstring title = L"Halyard Wall " + std::to_wstring(setup_.monitor);
  hwnd_ = CreateWindowExW(0, kWallClass, title.c_str(), WS_POPUP | WS_CLIPCHILDREN, area_.left, area_.top,
                          area_.width(), area_.height(), nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  BuildCells();
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  const std::string tour = setup_.tour;
  setup_.tour.clear();
  RunTour(tour);
  return true;
}

// The new cells link their cameras before the old ones go: a camera the
// new grid keeps keeps its shared link instead of connecting again.
void CWallWindow::BuildCells() {
  std::vector<std::unique_ptr<WallCell>> old = std::move(cells_);
  cells_.clear();
  zoomed_ = -1;
  WallCellOwner& owner = *this;
  for (int i = 0; i < setup_.pattern.CellCount(); ++i)
    cells_.push_back(std::make_unique<WallCell>(owner, hwnd_, i, on_primary_));
  PlaceCells();
  for (size_t i = 0; i < cells_.size(); ++i) cells_[i]->Show(setup_.cells[i]);
  old.clear();
}

// Cell rectangles are in the wall's client coordinates: the grid of the
// monitor moved to the origin.
void CWallWindow::PlaceCells() {
  const os::ScreenRect client{0, 0, area_.width(), area_.height()};
  const std::vector<os::ScreenRect> rects = CellRects(setup_.pattern, client);
  for (size_t i = 0; i < cells_.size() && i < rects.size(); ++i) {
    const bool filled = zoomed_ == static_cast<int>(i);
    cells_[i]->Place(ToRect(filled ? client : rects[i]), zoomed_ < 0 || filled);
  }
}

void CWallWindow::Tick() {
  constexpr int kRetrySeconds = 5;
  if (tour_)
    if (const std::optional<TourShow> show = tour_->Tick(clock_())) ShowTour(*show);
  for (const auto& cell : cells_) cell->ApplyDrawPathTrial();
  if (++ticks_ % kRetrySeconds != 0) return;
  for (const auto& cell : cells_) cell->RetryIfFailed();
}

bool CWallWindow::RunTour(const std::string& name) {
  Tour tour;
  if (name.empty() || !LoadTour(name, &tour)) {
    StopTour();
    return name.empty();
  }
  if (name == setup_.tour && tour_) return true;
  if (!RunTour(tour)) return false;
  setup_.tour = name;
  return true;
}

bool CWallWindow::RunTour(const Tour& tour) {
  if (tour.kind != Tour::Kind::kCameras || tour.steps.empty() || tour.cell >= static_cast<int>(cells_.size()))
    return false;
  StopTour();
  tour_ = std::make_unique<TourClock>(tour);
  tour_->Start(clock_());
  Tick();
  return true;
}

void CWallWindow::StopTour() {
  if (motion_in_big_cell_) SetCamera(0, big_cell_before_);
  motion_in_big_cell_ = false;
  tour_.reset();
  if (!setup_.tour.empty()) {
    setup_.tour.clear();
    owner_.WallChanged(this);
  }
}

// The step's camera goes into the tour's cell; a camera with motion takes
// the big cell over it, which gets back what it showed when the motion is over.
void CWallWindow::ShowTour(const TourShow& show) {
  const Tour& tour = tour_->tour();
  if (show.step < tour.steps.size()) {
    if (motion_in_big_cell_ && tour.cell == 0)
      big_cell_before_ = tour.steps[show.step].camera;
    else
      SetCamera(tour.cell, tour.steps[show.step].camera);
  }
  if (show.motion) {
    if (!motion_in_big_cell_) big_cell_before_ = setup_.cells[0];
    motion_in_big_cell_ = true;
    SetCamera(0, *show.motion);
  } else if (motion_in_big_cell_) {
    motion_in_big_cell_ = false;
    SetCamera(0, big_cell_before_);
  }
}

void CWallWindow::UserActive() {
  if (tour_) tour_->UserActivity(clock_());
  owner_.WallUserActive(this);
}

void CWallWindow::CellMotion(int cell, bool started) {
  if (tour_ && cell < static_cast<int>(setup_.cells.size())) {
    const WallCamera& camera = setup_.cells[static_cast<size_t>(cell)];
    const int64_t now = clock_();
    if (started)
      tour_->MotionStarted(camera, now);
    else
      tour_->MotionEnded(camera, now);
  }
  owner_.WallMotion(this, cell, started);
}

HMENU CWallWindow::TourMenu() const {
  HMENU menu = CreatePopupMenu();
  const std::vector<std::string> names = TourNames();
  for (UINT i = 0; i < names.size() && i < kStoredTourCount; ++i)
    AppendMenuW(menu, MF_STRING | (names[i] == setup_.tour ? MF_CHECKED : 0), kStoredTourBase + i,
                win32::Widen(names[i]).c_str());
  if (!names.empty()) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kTourCameras, L"Tour the Cameras in This Cell");
  AppendMenuW(menu, MF_STRING | (owner_.LayoutTourRunning() ? MF_CHECKED : 0), kTourLayouts, L"Tour the Layouts");
  const bool motion = tour_ && tour_->tour().motion_takes_big_cell;
  AppendMenuW(menu, MF_STRING | (tour_ ? 0 : MF_GRAYED) | (motion ? MF_CHECKED : 0), kTourMotion,
              L"Motion Takes the Big Cell");
  AppendMenuW(menu, MF_STRING | (tour_ ? 0 : MF_GRAYED), kSaveTour, L"Save Tour As...");
  AppendMenuW(menu, MF_STRING | (tour_ ? 0 : MF_GRAYED), kStopTour, L"Stop Tour");
  return menu;
}

void CWallWindow::OnTourMenu(UINT chosen, int cell) {
  if (chosen >= kStoredTourBase && chosen < kStoredTourBase + kStoredTourCount) {
    const std::vector<std::string> names = TourNames();
    Tour tour;
    if (chosen - kStoredTourBase >= names.size() || !LoadTour(names[chosen - kStoredTourBase], &tour)) return;
    if (tour.kind == Tour::Kind::kLayouts)
      owner_.RunLayoutTour(tour);
    else
      RunTour(names[chosen - kStoredTourBase]);
  } else if (chosen == kTourCameras) {
    Tour tour;
    tour.cell = cell;
    for (const WallCamera& camera : owner_.TourCameras())
      if (tour.steps.size() < Tour::kMaxSteps) tour.steps.push_back({"", camera, kCameraTourDwellSeconds});
    RunTour(tour);
  } else if (chosen == kTourLayouts) {
    owner_.ToggleLayoutTour();
  } else if (chosen == kTourMotion && tour_) {
    Tour tour = tour_->tour();
    tour.motion_takes_big_cell = !tour.motion_takes_big_cell;
    const std::string name = setup_.tour;  // a stored tour keeps the choice
    RunTour(tour);
    if (!name.empty() && SaveTour(name, tour)) setup_.tour = name;
  } else if (chosen == kSaveTour && tour_) {
    std::string name;
    if (!owner_.AskTourName(&name) || !SaveTour(name, tour_->tour())) return;
    setup_.tour = name;
    owner_.WallChanged(this);
  } else if (chosen == kStopTour) {
    StopTour();
  }
}

void CWallWindow::SetPattern(const WallPattern& pattern) {
  if (pattern == setup_.pattern) return;
  if (tour_ && tour_->tour().cell >= pattern.CellCount()) StopTour();
  setup_.SetPattern(pattern);
  if (hwnd_) BuildCells();
  owner_.WallChanged(this);
}

void CWallWindow::SetCamera(int cell, const WallCamera& camera) {
  if (cell < 0 || cell >= static_cast<int>(setup_.cells.size())) return;
  setup_.cells[static_cast<size_t>(cell)] = camera;
  if (cell < static_cast<int>(cells_.size())) cells_[static_cast<size_t>(cell)]->Show(camera);
  owner_.WallChanged(this);
}

int CWallWindow::CellAt(POINT screen) const {
  if (!hwnd_) return -1;
  if (zoomed_ >= 0) return screen.x >= area_.left && screen.x < area_.right && screen.y >= area_.top &&
                                   screen.y < area_.bottom
                               ? zoomed_
                               : -1;
  return wall::CellAt(setup_.pattern, area_, screen.x, screen.y);
}

void CWallWindow::Zoom(int cell) {
  zoomed_ = cell >= 0 && cell < static_cast<int>(cells_.size()) ? cell : -1;
  PlaceCells();
}

void CWallWindow::CellMenu(int cell, POINT screen) {
  HMENU menu = CreatePopupMenu();
  HMENU grid = CreatePopupMenu();
  const bool has_camera = !setup_.cells[static_cast<size_t>(cell)].empty();
  AppendMenuW(menu, MF_STRING | (has_camera ? 0 : MF_GRAYED), kOpenView, L"Open in a View");
  AppendMenuW(menu, MF_STRING | (has_camera ? 0 : MF_GRAYED), kEmptyCell, L"Empty this Cell");
  const std::vector<WallWindowOwner::CameraMenuItem> camera_items =
      has_camera ? owner_.CameraMenuItems(setup_.cells[static_cast<size_t>(cell)]) : std::vector<WallWindowOwner::CameraMenuItem>{};
  for (const auto& item : camera_items)
    AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : 0), item.command, win32::Widen(item.label).c_str());
  if (!camera_items.empty()) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kFill, zoomed_ == cell ? L"Back to the Grid" : L"Fill the Wall");
  for (UINT i = 0; i < std::size(kMenuPatterns); ++i) {
    WallPattern p;
    ParseWallPattern(kMenuPatterns[i], &p);
    AppendMenuW(grid, MF_STRING | (p == setup_.pattern ? MF_CHECKED : 0), kPatternBase + i,
                win32::Widen(kMenuPatterns[i]).c_str());
  }
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(grid), L"Grid");
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(TourMenu()), L"Tour");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCloseWall, L"Close Wall");
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, hwnd_, nullptr));
  DestroyMenu(menu);  // and the grid submenu with it
  const WallCamera camera = setup_.cells[static_cast<size_t>(cell)];
  if (chosen == kOpenView) {
    owner_.OpenViewOf(camera);
  } else if (chosen == kEmptyCell) {
    SetCamera(cell, {});
  } else if (chosen == kFill) {
    Zoom(zoomed_ == cell ? -1 : cell);
  } else if (chosen == kCloseWall) {
    owner_.WallClosing(this);  // the owner deletes this wall: nothing may follow
  } else if (std::any_of(camera_items.begin(), camera_items.end(),
                         [&](const WallWindowOwner::CameraMenuItem& item) { return item.command == chosen; })) {
    owner_.CameraMenuCommand(camera, chosen);
  } else if (chosen >= kTourCameras && chosen <= kStopTour) {
    OnTourMenu(chosen, cell);
  } else if (chosen >= kStoredTourBase && chosen < kStoredTourBase + kStoredTourCount) {
    OnTourMenu(chosen, cell);
  } else if (chosen >= kPatternBase && chosen < kPatternBase + std::size(kMenuPatterns)) {
    WallPattern p;
    ParseWallPattern(kMenuPatterns[chosen - kPatternBase], &p);
    SetPattern(p);
  }
}

LRESULT CWallWindow::WindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  hwnd_ = window;
  switch (message) {
    case WM_KEYDOWN:
      owner_.WallUserActive(this);
      if (wparam == VK_ESCAPE && zoomed_ >= 0) Zoom(-1);
      return 0;
    case WM_CLOSE:  // Alt+F4 on the wall
      owner_.WallClosing(this);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

}  // namespace app::wall
