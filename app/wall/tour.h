#pragma once
// A tour of the video wall: a sequence of saved layouts, or of cameras shown
// in one cell of the wall, each step for its own dwell. The tour holds still
// while the operator works in the wall and, if asked, lets a camera with
// motion take the big cell (cell 0) for as long as its event lasts.
//
// The stored form (bounded, for the settings store):
//   halyard-tour 1
//   cameras 4                  (or "layouts")
//   motion                     (optional: motion takes the big cell)
//   step 10 direct Front door  (dwell in seconds, kind, camera to line end)
//   step 15 hosted CAM-7
// and in a layout tour "step 20 Morning shift" (the layout's name to the
// line's end). Only what the tour's kind uses is written: a layout tour
// keeps no cell and its steps no camera, a camera tour's steps no layout.
//
// TourClock decides what the wall shows from times in milliseconds that its
// caller passes; it reads no clock, so a test can drive it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/wall/wall_grid.h"
#include "app/wall/wall_setup.h"

namespace app::wall {

// A camera of a tour is named as a wall's cell names it.
using TourCamera = WallCamera;

struct TourStep {
  std::string layout;  // in a layout tour: the saved layout's name
  TourCamera camera;   // in a camera tour
  int dwell_seconds = 10;
  bool operator==(const TourStep&) const = default;
};

struct Tour {
  static constexpr size_t kMaxSteps = 64;
  static constexpr int kMinDwellSeconds = 1;
  static constexpr int kMaxDwellSeconds = 3600;
  static constexpr size_t kMaxTextLength = 16384;
  static constexpr size_t kMaxNameLength = 128;  // small enough that the largest tour fits the text
  // The largest wall has 6x6 cells; whether the cell exists on the wall the
  // tour runs on is the wall's to decide when it starts.
  static constexpr int kMaxCell = WallPattern::kMaxSide * WallPattern::kMaxSide - 1;
  enum class Kind { kLayouts, kCameras };
  Kind kind = Kind::kCameras;
  int cell = 0;  // the cell a camera tour shows its cameras in
  bool motion_takes_big_cell = false;
  std::vector<TourStep> steps;
  bool operator==(const Tour&) const = default;
};

std::string FormatTour(const Tour& tour);
// False, with a reason naming the line, for text that is no tour: another
// header, an unknown or repeated line, a step before the kind line or of the
// other kind, numbers out of range, a bad name, no steps or too many, too
// long a text. What it accepts formats back to text that reads the same.
bool ParseTour(std::string_view text, Tour* tour, std::string* error = nullptr);
// A layout's or camera's name a step may hold: not empty, no control
// characters, no space at either end (the stored form reads the name to the
// line's end), at most Tour::kMaxNameLength bytes.
bool ValidTourName(std::string_view name);

// What the wall shows at a moment of the tour.
struct TourShow {
  size_t step = 0;                   // the sequence's step: its layout, or its camera in the tour's cell
  std::optional<TourCamera> motion;  // a camera whose motion holds the big cell over the step's
  bool operator==(const TourShow&) const = default;
};

// The tour's timing. Rules it keeps:
// - A step's dwell is used up only while the sequence runs: neither a pause
//   nor a motion event spends it, so afterwards the step shows for what it
//   had left. The step that runs out moves on at the next tick with a full
//   dwell ahead (no catching up: a tick late, or a clock that jumped ahead
//   by hours, moves one step, never a burst of them).
// - User activity pauses the whole tour, the big cell's motion camera
//   included: nothing changes under the operator's hands. The tour resumes
//   kResumeAfterActivityMs after the last activity. Motion is still noted
//   while paused, so a camera still moving takes the big cell on resuming.
// - With motion_takes_big_cell, the first camera to start moving takes the
//   big cell and holds it while its motion lasts; the sequence waits. When
//   its motion ends, the earliest-started camera still moving takes over at
//   once; with none, the camera stays for one dwell of the current step,
//   then the sequence goes on (a new motion in that time takes over).
// - Time is only ever counted forward: a clock set back counts as no time
//   passing, so nothing waits for the old time to come round again.
// - Motion is noted even while the tour is stopped, so a camera already
//   moving when it starts is known.
class TourClock {
 public:
  static constexpr int64_t kResumeAfterActivityMs = 30000;
  // Cameras noted as moving at once; beyond it a new start is not noted (the
  // wall shows at most 36 cameras, the tour at most 64).
  static constexpr size_t kMaxMoving = 128;

  explicit TourClock(Tour tour);

  // A tour without steps does not start.
  void Start(int64_t now_ms);
  void Stop();
  // What the wall should show now, when it differs from what the previous
  // tick returned; the first tick after Start always answers, paused or not.
  std::optional<TourShow> Tick(int64_t now_ms);
  void UserActivity(int64_t now_ms);
  void MotionStarted(const TourCamera& camera, int64_t now_ms);
  void MotionEnded(const TourCamera& camera, int64_t now_ms);

  bool running() const { return running_; }
  bool paused() const { return paused_; }
  const Tour& tour() const { return tour_; }

 private:
  // Counts the forward time since the last call into whichever wait runs.
  void CatchUp(int64_t now_ms);
  bool Moving(const TourCamera& camera) const;
  int64_t DwellMs() const;
  TourShow Decide();

  Tour tour_;
  bool running_ = false;
  bool paused_ = false;
  int64_t last_ms_ = 0;  // the latest time seen, so going back is noticed
  size_t step_ = 0;
  int64_t step_elapsed_ms_ = 0;       // of the step's dwell, while the sequence ran
  int64_t idle_ms_ = 0;               // since the last activity, while paused
  std::vector<TourCamera> moving_;    // in the order their motion started
  std::optional<TourCamera> holder_;  // the camera in the big cell for its motion
  int64_t linger_ms_ = 0;             // since the holder's motion ended
  std::optional<TourShow> shown_;
};

}  // namespace app::wall
