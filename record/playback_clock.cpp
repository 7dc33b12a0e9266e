#include "record/playback_clock.h"

#include <algorithm>

namespace record {
namespace {

// The longest a worker waits between two ticks while playing.
constexpr uint64_t kLongestTickMs = 20;
// Motions this close after the position are not "the next" one (the one
// just jumped to), nor this close before it "the previous" one.
constexpr int64_t kMotionNextMarginMs = 500;
constexpr int64_t kMotionPreviousMarginMs = 2000;

}  // namespace

void PlaybackClock::SetCatalog(std::shared_ptr<const RecordingsCatalog> catalog) {
  catalog_ = std::move(catalog);
  for (Camera& c : cameras_) c.recordings = catalog_ ? catalog_->Find(c.name) : nullptr;
}

void PlaybackClock::SetCameras(const std::vector<std::string>& cameras) {
  cameras_.clear();
  for (const std::string& name : cameras) {
    if (cameras_.size() == kMaxCameras) break;
    Camera c;
    c.name = name;
    c.recordings = catalog_ ? catalog_->Find(name) : nullptr;
    cameras_.push_back(std::move(c));
  }
  exact_ = true;
  sound_restart_ = true;
}

void PlaybackClock::Anchor(int64_t wall_ms, uint64_t now) {
  anchor_position_ = wall_ms;
  anchor_now_ = now;
  sound_until_ = wall_ms;
  sound_restart_ = true;
  at_end_ = false;
}

int64_t PlaybackClock::Position(uint64_t now) const {
  if (paused_ || now <= anchor_now_) return anchor_position_;
  return anchor_position_ + static_cast<int64_t>(now - anchor_now_) * speed_.num / speed_.den;
}

void PlaybackClock::Seek(int64_t wall_ms, uint64_t now) {
  Anchor(wall_ms, now);
  exact_ = true;
}

void PlaybackClock::SetSpeed(PlaySpeed speed, uint64_t now) {
  if (speed.num <= 0 || speed.den <= 0) return;
  const int64_t position = Position(now);
  speed_ = speed;
  Anchor(position, now);
}

void PlaybackClock::SetPaused(bool paused, uint64_t now) {
  const int64_t position = Position(now);
  paused_ = paused;
  Anchor(position, now);
}

void PlaybackClock::Jump(int64_t delta_ms, uint64_t now) { Seek(Position(now) + delta_ms, now); }

void PlaybackClock::Step(int direction, uint64_t now) {
  const int64_t position = Position(now);
  paused_ = true;
  bool found = false;
  int64_t best = 0;
  for (const Camera& c : cameras_) {
    int64_t t = 0;
    const bool has = direction > 0 ? NextPictureTime(c, position, &t) : PreviousPictureTime(c, position, &t);
    if (has && (!found || (direction > 0 ? t < best : t > best))) best = t, found = true;
  }
  Anchor(found ? best : position, now);
  exact_ = true;
}

bool PlaybackClock::NextMotion(uint64_t now) {
  const int64_t position = Position(now);
  bool found = false;
  int64_t best = 0;
  for (const Camera& c : cameras_) {
    if (!c.recordings) continue;
    for (const TimeSpan& m : c.recordings->motion)
      if (m.begin > position + kMotionNextMarginMs) {
        if (!found || m.begin < best) best = m.begin, found = true;
        break;
      }
  }
  if (found) Seek(best, now);
  return found;
}

bool PlaybackClock::PreviousMotion(uint64_t now) {
  const int64_t position = Position(now);
  bool found = false;
  int64_t best = 0;
  for (const Camera& c : cameras_) {
    if (!c.recordings) continue;
    const std::vector<TimeSpan>& motion = c.recordings->motion;
    for (size_t i = motion.size(); i-- > 0;)
      if (motion[i].begin < position - kMotionPreviousMarginMs) {
        if (!found || motion[i].begin > best) best = motion[i].begin, found = true;
        break;
      }
  }
  if (found) Seek(best, now);
  return found;
}

void PlaybackClock::Forget(size_t camera) {
  if (camera >= cameras_.size()) return;
  cameras_[camera].decodedPath.clear();
  cameras_[camera].shownPath.clear();
  cameras_[camera].noRecording = false;
}

bool PlaybackClock::Locate(const Camera& c, int64_t position, Located* at) {
  if (!c.recordings) return false;
  const Segment* segment = c.recordings->SegmentAt(position);
  if (!segment) return false;
  const RecordingFile& file = c.recordings->files[segment->file];
  std::shared_ptr<const RecordingTrack> track = tracks_.Track(file.path);
  if (!track || track->video.empty()) return false;
  at->file = &file;
  at->segment = segment;
  at->picture = track->PictureAt(position - file.start);
  at->time = file.start + track->video[at->picture].time;
  at->track = std::move(track);
  return true;
}

bool PlaybackClock::NextPictureTime(const Camera& c, int64_t position, int64_t* time) {
  Located at;
  if (Locate(c, position, &at)) {
    const size_t next = at.time > position ? at.picture : at.picture + 1;
    if (next < at.track->video.size()) {
      const int64_t t = at.file->start + at.track->video[next].time;
      if (t < at.segment->end) return *time = t, true;
    }
  }
  if (!c.recordings) return false;
  const Segment* next = c.recordings->SegmentAfter(position);
  if (!next) return false;
  *time = next->begin;
  return true;
}

bool PlaybackClock::PreviousPictureTime(const Camera& c, int64_t position, int64_t* time) {
  Located at;
  int64_t before = position;
  if (Locate(c, position, &at)) {
    if (at.picture > 0) {
      const int64_t t = at.file->start + at.track->video[at.picture - 1].time;
      if (t >= at.segment->begin) return *time = t, true;
    }
    before = at.segment->begin;
  }
  if (!c.recordings) return false;
  const Segment* previous = c.recordings->SegmentBefore(before);
  if (!previous) return false;
  // The last picture of the segment before.
  Located last;
  if (!Locate(c, previous->end - 1, &last)) return false;
  *time = last.time;
  return true;
}

PictureStep PlaybackClock::Plan(Camera& c, const Located& at, bool exact) {
  PictureStep step;
  if (!c.noRecording && c.shownPath == at.file->path && c.shown == at.picture) return step;
  const RecordingTrack& track = *at.track;
  size_t target = at.picture;
  const size_t intra = track.IntraAtOrBefore(target);
  const bool sameFile = c.decodedPath == at.file->path;
  const bool canContinue = sameFile && c.decoded <= target;
  const size_t continueCost = canContinue ? target - c.decoded : SIZE_MAX;
  const size_t restartCost = target - intra + 1;
  bool restart = !canContinue || restartCost < continueCost;
  if (!exact && (restart ? restartCost : continueCost) > budget_) {
    // Too far for one tick: an intra picture nearer the position when there
    // is a newer one than what is decoded, else as far as the budget goes.
    if (!canContinue || intra > c.decoded) {
      target = intra;
      restart = true;
    } else {
      target = c.decoded + budget_;
      restart = false;
    }
  }
  step.kind = PictureStep::Kind::kPicture;
  step.path = at.file->path;
  step.track = at.track;
  step.picture = target;
  step.restart = restart;
  step.decodeFrom = restart ? track.IntraAtOrBefore(target) : c.decoded + 1;
  step.time = at.file->start + track.video[target].time;
  c.decodedPath = step.path;
  c.decoded = target;
  c.shownPath = step.path;
  c.shown = target;
  c.noRecording = false;
  return step;
}

std::vector<PictureStep> PlaybackClock::Tick(uint64_t now) {
  int64_t position = Position(now);
  std::vector<Located> at(cameras_.size());
  std::vector<bool> found(cameras_.size(), false);
  auto locateAll = [&] {
    bool any = false;
    for (size_t i = 0; i < cameras_.size(); ++i) {
      at[i] = Located();
      found[i] = Locate(cameras_[i], position, &at[i]);
      any = any || found[i];
    }
    return any;
  };
  if (!locateAll() && !paused_ && !cameras_.empty()) {
    // Nothing recorded here by any camera: on to the next recording.
    bool next = false;
    int64_t begin = 0;
    for (const Camera& c : cameras_) {
      const Segment* s = c.recordings ? c.recordings->SegmentAfter(position) : nullptr;
      if (s && (!next || s->begin < begin)) begin = s->begin, next = true;
    }
    if (next) {
      Anchor(begin, now);
      position = begin;
      exact_ = true;
      locateAll();
    } else {
      Anchor(position, now);
      paused_ = true;
      at_end_ = true;
    }
  }
  std::vector<PictureStep> steps(cameras_.size());
  for (size_t i = 0; i < cameras_.size(); ++i) {
    Camera& c = cameras_[i];
    if (found[i]) {
      steps[i] = Plan(c, at[i], exact_);
    } else if (!c.noRecording && !ShortGap(c, position)) {
      steps[i].kind = PictureStep::Kind::kNoRecording;
      c.noRecording = true;
      c.shownPath.clear();
    }
  }
  exact_ = false;
  return steps;
}

std::vector<SoundStep> PlaybackClock::TakeSound(uint64_t now) {
  std::vector<SoundStep> steps;
  const int64_t position = Position(now);
  if (paused_ || !(speed_ == PlaySpeed{1, 1}) || cameras_.empty() || !cameras_[0].recordings) {
    sound_until_ = position;
    sound_restart_ = true;
    return steps;
  }
  const CameraRecordings& recordings = *cameras_[0].recordings;
  const int64_t upto = position + kSoundLeadMs;
  int64_t from = sound_until_;
  if (from < position - kSoundLeadMs || from > upto) {
    // The worker fell behind (or the position moved): sound from now on.
    from = position;
    sound_restart_ = true;
  }
  while (from < upto) {
    const Segment* segment = recordings.SegmentAt(from);
    if (!segment) {
      const Segment* next = recordings.SegmentAfter(from);
      if (!next || next->begin >= upto) break;
      from = next->begin;
      sound_restart_ = true;
      continue;
    }
    const RecordingFile& file = recordings.files[segment->file];
    const int64_t until = std::min(segment->end, upto);
    std::shared_ptr<const RecordingTrack> track = tracks_.Track(file.path);
    if (track) {
      const size_t first = track->SoundAt(from - file.start), end = track->SoundAt(until - file.start);
      if (end > first) {
        SoundStep step;
        step.path = file.path;
        step.track = track;
        step.first = first;
        step.count = end - first;
        step.restart = sound_restart_ || sound_path_ != file.path;
        steps.push_back(std::move(step));
        sound_path_ = file.path;
        sound_restart_ = false;
      }
    }
    from = until;
  }
  sound_until_ = upto;
  return steps;
}

bool PlaybackClock::ShortGap(const Camera& c, int64_t position) const {
  if (!c.recordings || c.shownPath.empty()) return false;
  const Segment* before = c.recordings->SegmentBefore(position);
  const Segment* after = c.recordings->SegmentAfter(position);
  return before && after && after->begin - before->end < kGapMs;
}

uint64_t PlaybackClock::NextDue(uint64_t now) {
  if (paused_) return now + 1000;
  const int64_t position = Position(now);
  uint64_t wait = kLongestTickMs;
  for (const Camera& c : cameras_) {
    int64_t t = 0;
    if (!NextPictureTime(c, position, &t)) continue;
    const int64_t ms = (t - position) * speed_.den / speed_.num;
    wait = std::min<uint64_t>(wait, static_cast<uint64_t>(std::max<int64_t>(ms, 1)));
  }
  return now + wait;
}

}  // namespace record
