#include "app/wall/tour.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "os/text_lines.h"

namespace app::wall {
namespace {

constexpr std::string_view kHeader = "halyard-tour 1";
// The longest any wait is counted: far beyond any dwell or pause, and two of
// them added never overflow.
constexpr int64_t kMaxCountMs = 24LL * 3600 * 1000;

// Whatever a tour within the limits holds, its text reads back.
static_assert(kHeader.size() + sizeof("\ncameras 35\nmotion\n") +
                  Tour::kMaxSteps * (sizeof("step 3600 hosted \n") + Tour::kMaxNameLength) <=
              Tour::kMaxTextLength);

bool Fail(std::string* error, size_t line, const char* why) {
  if (error) *error = line > 0 ? "line " + std::to_string(line) + ": " + why : std::string(why);
  return false;
}

// The text of `rest` before its first space; takes it and that space off.
std::string_view Cut(std::string_view* rest) {
  const size_t space = rest->find(' ');
  const std::string_view word = rest->substr(0, space);
  *rest = space == std::string_view::npos ? std::string_view() : rest->substr(space + 1);
  return word;
}

bool Number(std::string_view word, int low, int high, int* value) {
  int v = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || end != word.data() + word.size() || v < low || v > high) return false;
  *value = v;
  return true;
}

// A step line after its "step ", read as the tour's kind writes it.
bool ParseStep(std::string_view rest, Tour::Kind kind, TourStep* step) {
  if (!Number(Cut(&rest), Tour::kMinDwellSeconds, Tour::kMaxDwellSeconds, &step->dwell_seconds)) return false;
  if (kind == Tour::Kind::kCameras) {
    const std::string_view where = Cut(&rest);
    if (where != "direct" && where != "hosted") return false;
    step->camera.hosted = where == "hosted";
  }
  if (!ValidTourName(rest)) return false;
  (kind == Tour::Kind::kCameras ? step->camera.name : step->layout) = std::string(rest);
  return true;
}

// Sums a count and a time passed, both at most kMaxCountMs.
int64_t Add(int64_t count, int64_t passed) { return std::min(count + passed, kMaxCountMs); }

}  // namespace

std::string FormatTour(const Tour& tour) {
  const bool cameras = tour.kind == Tour::Kind::kCameras;
  std::string text = std::string(kHeader) + "\n";
  text += cameras ? "cameras " + std::to_string(tour.cell) + "\n" : std::string("layouts\n");
  if (tour.motion_takes_big_cell) text += "motion\n";
  for (const TourStep& s : tour.steps) {
    text += "step " + std::to_string(s.dwell_seconds) + " ";
    text += cameras ? (s.camera.hosted ? "hosted " : "direct ") + s.camera.name : s.layout;
    text += "\n";
  }
  return text;
}

bool ParseTour(std::string_view text, Tour* tour, std::string* error) {
  if (text.size() > Tour::kMaxTextLength) return Fail(error, 0, "too long");
  Tour read;
  bool header = false, kind = false;
  std::string_view line;
  for (size_t number = 1; os::TakeLine(&text, &line); ++number) {
    if (line.empty()) continue;
    if (!header) {
      if (line != kHeader) return Fail(error, number, "not a tour");
      header = true;
      continue;
    }
    std::string_view rest = line;
    const std::string_view word = Cut(&rest);
    if (line == "layouts" || word == "cameras") {
      if (kind) return Fail(error, number, "a second kind");
      kind = true;
      read.kind = word == "cameras" ? Tour::Kind::kCameras : Tour::Kind::kLayouts;
      if (word == "cameras" && !Number(rest, 0, Tour::kMaxCell, &read.cell))
        return Fail(error, number, "no cell of a wall");
    } else if (line == "motion") {
      if (read.motion_takes_big_cell) return Fail(error, number, "motion twice");
      read.motion_takes_big_cell = true;
    } else if (word == "step") {
      if (!kind) return Fail(error, number, "a step before the kind");
      if (read.steps.size() == Tour::kMaxSteps) return Fail(error, number, "too many steps");
      TourStep step;
      if (!ParseStep(rest, read.kind, &step)) return Fail(error, number, "a bad step");
      read.steps.push_back(std::move(step));
    } else {
      return Fail(error, number, "an unknown line");
    }
  }
  if (!header) return Fail(error, 0, "not a tour");
  if (read.steps.empty()) return Fail(error, 0, "no steps");
  *tour = std::move(read);
  return true;
}

bool ValidTourName(std::string_view name) {
  if (name.empty() || name.size() > Tour::kMaxNameLength || name.front() == ' ' || name.back() == ' ') return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 32 || c == 127) return false;
  return true;
}

TourClock::TourClock(Tour tour) : tour_(std::move(tour)) {}

void TourClock::Start(int64_t now_ms) {
  if (tour_.steps.empty()) return;
  running_ = true;
  paused_ = false;
  last_ms_ = now_ms;
  step_ = 0;
  step_elapsed_ms_ = 0;
  idle_ms_ = 0;
  holder_.reset();
  linger_ms_ = 0;
  shown_.reset();
}

void TourClock::Stop() {
  running_ = false;
  paused_ = false;
  holder_.reset();
  shown_.reset();
}

std::optional<TourShow> TourClock::Tick(int64_t now_ms) {
  CatchUp(now_ms);
  // The tour's first picture goes up at once even if the operator is busy:
  // starting it was the operator's own doing.
  if (!running_ || (paused_ && shown_)) return std::nullopt;
  const TourShow show = Decide();
  if (shown_ == show) return std::nullopt;
  shown_ = show;
  return show;
}

void TourClock::UserActivity(int64_t now_ms) {
  CatchUp(now_ms);
  if (!running_) return;
  paused_ = true;
  idle_ms_ = 0;
}

void TourClock::MotionStarted(const TourCamera& camera, int64_t now_ms) {
  CatchUp(now_ms);
  if (!tour_.motion_takes_big_cell || Moving(camera) || moving_.size() >= kMaxMoving) return;
  moving_.push_back(camera);
}

void TourClock::MotionEnded(const TourCamera& camera, int64_t now_ms) {
  CatchUp(now_ms);
  const auto it = std::find(moving_.begin(), moving_.end(), camera);
  if (it == moving_.end()) return;
  moving_.erase(it);
  if (holder_ == camera) linger_ms_ = 0;
}

void TourClock::CatchUp(int64_t now_ms) {
  // Unsigned, as two times far apart would overflow a signed difference.
  int64_t passed = 0;
  if (now_ms > last_ms_)
    passed = static_cast<int64_t>(std::min<uint64_t>(static_cast<uint64_t>(now_ms) - static_cast<uint64_t>(last_ms_),
                                                     static_cast<uint64_t>(kMaxCountMs)));
  last_ms_ = now_ms;
  if (!running_) return;
  if (paused_) {
    idle_ms_ = Add(idle_ms_, passed);
    if (idle_ms_ >= kResumeAfterActivityMs) paused_ = false;
  } else if (holder_) {
    if (!Moving(*holder_)) linger_ms_ = Add(linger_ms_, passed);
  } else {
    step_elapsed_ms_ = Add(step_elapsed_ms_, passed);
  }
}

bool TourClock::Moving(const TourCamera& camera) const {
  return std::find(moving_.begin(), moving_.end(), camera) != moving_.end();
}

int64_t TourClock::DwellMs() const {
  // A tour built by hand rather than read may hold any dwell; a zero one
  // would flip a step on every tick.
  const int seconds = std::clamp(tour_.steps[step_].dwell_seconds, Tour::kMinDwellSeconds, Tour::kMaxDwellSeconds);
  return int64_t{seconds} * 1000;
}

TourShow TourClock::Decide() {
  const bool holder_moving = holder_ && Moving(*holder_);
  if (!holder_moving && !moving_.empty()) {
    holder_ = moving_.front();
    linger_ms_ = 0;
  } else if (holder_ && !holder_moving && linger_ms_ >= DwellMs()) {
    holder_.reset();
  }
  if (!holder_ && tour_.steps.size() > 1 && step_elapsed_ms_ >= DwellMs()) {
    step_ = (step_ + 1) % tour_.steps.size();
    step_elapsed_ms_ = 0;
  }
  return {step_, holder_};
}

}  // namespace app::wall
