#include "node/media/media_path.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "node/media/media_fault.h"
#include "record/m4v_headers.h"
#include "node/media/motion_recorder.h"
#include "node/media/node_recorder.h"
#include "present/picture_sink.h"
#include "present/playback_feeder.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "os/thread_name.h"
#include "os/thread_priority.h"

namespace node {

namespace {
// Decoded pictures come in whole macroblocks, at most 2048 on a side.
bool IsPictureSize(int width, int height) {
  return width > 0 && height > 0 && width <= 2048 && height <= 2048 && width % 16 == 0 && height % 16 == 0;
}
}  // namespace

NodeMediaPath::PictureBuffer::PictureBuffer(int w, int h)
    : bytes(size_t(w) * size_t(h) * 3 / 2, 0), width(w), height(h) {
  // Grey until the first picture: mid-level luma, zero chroma.
  std::memset(bytes.data(), 128, size_t(w) * size_t(h));
}

codec::DecodedPicture NodeMediaPath::PictureBuffer::View() {
  codec::DecodedPicture picture;
  picture.data = bytes.data();
  picture.width = width;
  picture.height = height;
  return picture;
}

NodeMediaPath::NodeMediaPath(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window,
                             present::PictureSink* sink, present::PlaybackFeeder* feeder, NodeRecorder* recorder)
    : node_index_(node_index), poster_(poster), parent_window_(parent_window), sink_(sink), feeder_(feeder),
      recorder_(recorder) {}

NodeMediaPath::~NodeMediaPath() { StopWorker(); }

template <class Call>
void NodeMediaPath::ForEachTapSlot(Call call) const {
  std::shared_ptr<const TapList> taps;
  {
    std::lock_guard<std::mutex> lock(taps_lock_);
    taps = taps_;
  }
  if (!taps) return;
  for (const TapSlot& slot : *taps) {
    if (slot.guard->Acquire() != 0) continue;  // being removed
    call(slot);
    slot.guard->Release();
  }
}

template <class Call>
void NodeMediaPath::ForEachTap(Call call) const {
  ForEachTapSlot([&](const TapSlot& slot) { call(*slot.tap); });
}

void NodeMediaPath::ConfigureNewTaps() {
  std::vector<uint8_t> unit;
  ForEachTapSlot([&](const TapSlot& slot) {
    if (*slot.configured) return;
    if (unit.empty()) unit = Configuration();
    if (unit.empty()) return;
    slot.tap->TapConfiguration(unit.data(), unit.size(), width_.load(), height_.load());
    *slot.configured = true;
  });
}

void NodeMediaPath::Reset() {
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    waiting_.clear();
    configuration_.clear();
    stored_ = false;
  }
  {
    std::lock_guard<std::mutex> lock(decoder_lock_);
    m_decoderVideo.Release();
    m_decoderAudio.Reset();
    configured_ = false;
  }
  if (recorder_) recorder_->ClearVideoConfiguration();
  if (motion_recorder_) motion_recorder_->Reset();
  ForEachTapSlot([](const TapSlot& slot) {
    slot.tap->TapReset();
    *slot.configured = false;
  });
  {
    // The motion of the stream that ended ends with it, and the next stream's
    // pictures are learnt afresh: a motion that goes on is found again.
    std::lock_guard<std::mutex> lock(worker_lock_);
    if (worker_.joinable())
      motion_restart_ = true;
    else
      RestartMotion();
  }
  // A running worker may be reading a slot in place; flushing keeps it.
  if (running_.load()) {
    live_ring_.Flush();
    audio_ring_.Flush();
  } else {
    live_ring_.Reset();
    audio_ring_.Reset();
  }
}

void NodeMediaPath::StartWorker() {
  std::lock_guard<std::mutex> lock(worker_lock_);
  if (worker_.joinable()) return;
  running_.store(true);
  worker_ = std::thread([this] {
    os::NameCurrentThread("media");
    WorkerLoop();
  });
}

void NodeMediaPath::StopWorker() {
  std::lock_guard<std::mutex> lock(worker_lock_);
  running_.store(false);
  WakeWorker();
  if (worker_.joinable()) worker_.join();
}

// The seek window's slider and times follow these. A few a second is all
// they can show; one message per picture would wake the window thread 30
// times a second per view for nothing: at 16 views that was half the
// window thread's work. A jump back (a seek, a new file) is posted at
// once, as is a jump ahead of a step or more.
void NodeMediaPath::PostPosition(uint64_t timestamp_ms) {
  const bool due = !position_posted_ || timestamp_ms < last_posted_position_ ||
                   timestamp_ms - last_posted_position_ >= kPositionStepMs;
  if (!due) return;
  position_posted_ = true;
  last_posted_position_ = timestamp_ms;
  poster_.Post(parent_window_, os::kWmNodePosition, static_cast<uintptr_t>(timestamp_ms & 0xFFFFFFFFu), 0);
}

void NodeMediaPath::DeliverMedia(const net::MediaData& media) {
  switch (media.kind) {
    case net::kMediaVideoConfig:
      DeliverConfiguration(media);
      return;
    case net::kMediaVideoFrame:
      if (media.timestamp_ms == net::kEndOfFileTimestamp) {
        end_of_file_.store(true);
        playing_.store(false);
        return;
      }
      position_.store(media.timestamp_ms);
      playing_.store(true);
      end_of_file_.store(false);
      PostPosition(media.timestamp_ms);
      if (!stored_.load()) return;  // nothing can decode a picture before its headers
      live_ring_.Push(media.payload, media.payload_length, media.timestamp_ms);
      WakeWorker();
      return;
    case net::kMediaAudio:
      if (media.timestamp_ms == net::kEndOfFileTimestamp) {
        end_of_file_.store(true);
        playing_.store(false);
        return;
      }
      if (media.payload_length == 0 || media.payload == nullptr) return;
      audio_ring_.Push(media.payload, media.payload_length, media.timestamp_ms);
      if (recorder_) recorder_->FeedAudio(media.payload, media.payload_length, media.timestamp_ms);
      if (motion_recorder_) motion_recorder_->OnAudio(media.payload, media.payload_length, media.timestamp_ms);
      ForEachTap([&](MediaTap& tap) { tap.TapAudio(media.payload, media.payload_length, media.timestamp_ms); });
      WakeWorker();
      return;
    default:
      return;
  }
}

// Only stored, in its place among the pictures: decoding even the headers is
// the worker's, so the receive thread never waits for a decode in progress.
void NodeMediaPath::DeliverConfiguration(const net::MediaData& media) {
  if (media.payload_length == 0 || media.payload == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    const uint64_t before = live_ring_.Written();
    // Without a picture between them only the newer one matters.
    if (!waiting_.empty() && waiting_.back().before == before) waiting_.pop_back();
    if (waiting_.size() >= kMaxWaitingConfigurations) waiting_.pop_front();
    waiting_.push_back({std::vector<uint8_t>(media.payload, media.payload + media.payload_length), before});
    stored_ = true;
  }
  WakeWorker();
}

void NodeMediaPath::ApplyDueConfiguration() { ApplyConfigurationsBefore(live_ring_.OldestSequence()); }

void NodeMediaPath::ApplyConfigurationsBefore(uint64_t sequence) {
  std::vector<uint8_t> unit;
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    if (waiting_.empty() || waiting_.front().before > sequence) return;
    // Of those due, the pictures between them were thrown away: the newest serves.
    while (!waiting_.empty() && waiting_.front().before <= sequence) {
      unit = std::move(waiting_.front().unit);
      waiting_.pop_front();
    }
  }
  ApplyConfiguration(unit);
}

// Decides under the decoder lock; posts, recorders and buffer come after it.
void NodeMediaPath::ApplyConfiguration(const std::vector<uint8_t>& unit) {
  int width = 0, height = 0;
  bool usable = false;
  {
    std::lock_guard<std::mutex> lock(decoder_lock_);
    // Short-header pictures carry no layer header: their size is what the
    // source format names, 320 x 240 where it names none.
    int shortWidth = 320, shortHeight = 240;
    codec::ShortHeaderSourceSize(unit.data(), unit.size(), &shortWidth, &shortHeight);
    m_decoderVideo.SetSize(shortWidth, shortHeight);
    m_decoderVideo.SetPostFilter(true, true);
    const int result = GuardDecoderCall(DecoderKind::kVideo, node_index_, [&] {
      return m_decoderVideo.Decode(unit.data(), static_cast<uint32_t>(unit.size()));
    });
    width = m_decoderVideo.Width();
    height = m_decoderVideo.Height();
    // A refused header leaves the decoder reporting the size it had before.
    usable = result != codec::kDecodeFatal && IsPictureSize(width, height);
    // Headers the decoder cannot use: nothing after them decodes, so
    // pictures are dropped until usable headers come.
    if (!usable) configured_ = false;
  }
  if (!usable) {
    {
      std::lock_guard<std::mutex> lock(config_lock_);
      configuration_.clear();
    }
    DebugLog("Node[ %d ] : video configuration with unusable size %d x %d\n", node_index_, width, height);
    return;
  }
  const bool widthChanged = width != width_.load();
  const bool sizeChanged = widthChanged || height != height_.load();
  width_ = width;
  height_ = height;
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    configuration_ = unit;
  }
  if (sizeChanged) {
    // A new height alone also needs a new buffer: the decoder writes whole pictures.
    auto buffer = std::make_shared<PictureBuffer>(width, height);
    std::lock_guard<std::mutex> picture(picture_lock_);
    picture_ = std::move(buffer);
  }
  if (recorder_) recorder_->SetVideoConfiguration(unit.data(), unit.size(), width, height);
  if (motion_recorder_) motion_recorder_->SetVideoConfiguration(unit.data(), unit.size(), width, height);
  ForEachTapSlot([&](const TapSlot& slot) {
    slot.tap->TapConfiguration(unit.data(), unit.size(), width, height);
    *slot.configured = true;
  });
  // Published after the recorders have it: a recording started because the
  // stream is configured finds the recorder holding the configuration it
  // will write as unit 0. The window hears of it after that, so one that
  // waits for a configuration to start a recording finds it there.
  configured_ = true;
  if (widthChanged) poster_.Post(parent_window_, os::kWmNodePictureWidth, static_cast<uintptr_t>(width), 0);
}

bool NodeMediaPath::ConsumeLiveVideo() {
  const uint64_t now = os::MonotonicMs();
  if (PictureWaitMs(now) > 0) return false;
  const int slot = live_ring_.BeginRead();
  if (slot < 0) return false;
  const MediaUnit& unit = live_ring_.Slot(slot);
  // The configurations sent before this picture, and none sent after it.
  ApplyConfigurationsBefore(unit.sequence);
  const uint64_t discarded = live_ring_.Discarded();
  if (discarded != discarded_seen_) {
    // The pictures after a gap refer to pictures that never came.
    if (recorder_) recorder_->NoteDiscardedVideo(discarded - discarded_seen_);
    if (motion_recorder_) motion_recorder_->NoteDiscardedVideo(discarded - discarded_seen_);
    ForEachTap([&](MediaTap& tap) { tap.TapDiscarded(discarded - discarded_seen_); });
    discarded_seen_ = discarded;
  }
  if (!configured_.load()) {
    // Its headers were unusable: it cannot be decoded, shown or counted.
    live_ring_.CommitRead();
    return true;
  }
  std::shared_ptr<PictureBuffer> picture;
  const uint64_t started = os::MonotonicUs();
  uint64_t decoded = started, produced = started;
  const bool decode = DecodeWanted(unit);
  if (!decode) {
    std::lock_guard<std::mutex> pictureLock(picture_lock_);
    picture = picture_;  // the last picture stays; recorders need no decoding
  } else {
    std::lock_guard<std::mutex> lock(decoder_lock_);
    GuardDecoderCall(DecoderKind::kVideo, node_index_, [&] {
      m_decoderVideo.Decode(unit.Data(), unit.length);
      decoded = os::MonotonicUs();
      std::lock_guard<std::mutex> pictureLock(picture_lock_);
      picture = picture_;
      // A unit that produced nothing leaves the previous picture in place.
      if (picture) m_decoderVideo.ProducePicture(picture->View());
      produced = os::MonotonicUs();
    });
  }
  // Outside every lock and outside the decoder's fault guard: a renderer may
  // wait for the window, and its faults are its own.
  if (decode && picture && sink_) {
    Show(*picture);
    const uint64_t shown = os::MonotonicUs();
    timing_.Add(decoded - started, produced - decoded, shown - produced, shown - unit.received_us);
  }
  if (recorder_) recorder_->FeedVideo(unit.Data(), unit.length, unit.timestamp, picture != nullptr);
  if (motion_restart_.exchange(false)) RestartMotion();
  if (decode && picture && MotionWanted()) DetectMotion(*picture, unit.timestamp);
  if (motion_recorder_) motion_recorder_->OnVideo(unit.Data(), unit.length, unit.timestamp, picture != nullptr);
  ConfigureNewTaps();
  ForEachTap([&](MediaTap& tap) { tap.TapVideo(unit.Data(), unit.length, unit.timestamp, picture != nullptr); });
  frames_shown_.fetch_add(1);
  bytes_shown_.fetch_add(unit.length);
  shown_any_ = true;
  last_shown_ms_ = now;
  live_ring_.CommitRead();
  return true;
}

bool NodeMediaPath::MotionWanted() const {
  return motion_on_.load() || detector_.InMotion() || TapsWantMotion() || motion_preview_.load() || previewing_;
}

bool NodeMediaPath::DecodeWanted(const MediaUnit& unit) {
  const bool needed = (sink_ && sink_->WantsPictures()) || MotionWanted();
  const int type = record::VopCodingType(unit.Data(), unit.length);
  if (!needed) {
    // Only pictures whose kind shows are skipped (not a short-header
    // stream's): the decoder must find an intra picture to start again at.
    decode_paused_ = decode_paused_ || type >= 0;
  } else if (decode_paused_) {
    // A picture that refers to the ones skipped would decode to garbage.
    decode_paused_ = type > 0;
  }
  if (decode_paused_) pictures_undecoded_.fetch_add(1);
  return !decode_paused_;
}

void NodeMediaPath::Show(PictureBuffer& picture) {
  if (picture.width != sink_width_ || picture.height != sink_height_) {
    sink_->Resize(picture.width, picture.height);
    sink_width_ = picture.width;
    sink_height_ = picture.height;
  }
  sink_->ShowPicture(picture.View());
}

void NodeMediaPath::SetMotionDetection(bool on, int sensitivity, const MotionDetector::Mask& mask) {
  {
    std::lock_guard<std::mutex> lock(motion_lock_);
    motion_sensitivity_ = sensitivity;
    motion_mask_ = mask;
  }
  motion_settings_changed_ = true;
  motion_on_ = on;
}

void NodeMediaPath::SetMotionRules(int min_object_cells, int min_duration_ms) {
  {
    std::lock_guard<std::mutex> lock(motion_lock_);
    motion_min_cells_ = min_object_cells;
    motion_min_duration_ms_ = min_duration_ms;
  }
  motion_settings_changed_ = true;
}

void NodeMediaPath::MotionCells(MotionDetector::Mask* changed, MotionDetector::Mask* objects) const {
  std::lock_guard<std::mutex> lock(motion_lock_);
  *changed = motion_changed_;
  *objects = motion_objects_;
}

int NodeMediaPath::MotionSensitivity() const {
  std::lock_guard<std::mutex> lock(motion_lock_);
  return motion_sensitivity_;
}

MotionDetector::Mask NodeMediaPath::MotionMask() const {
  std::lock_guard<std::mutex> lock(motion_lock_);
  return motion_mask_;
}

MotionDetector::Event NodeMediaPath::LastMotion() const {
  std::lock_guard<std::mutex> lock(motion_lock_);
  return last_motion_;
}

void NodeMediaPath::DetectMotion(const PictureBuffer& picture, uint64_t timestamp) {
  const bool on = motion_on_.load() || TapsWantMotion();
  if (motion_settings_changed_.exchange(false)) {
    std::lock_guard<std::mutex> lock(motion_lock_);
    detector_.SetSensitivity(motion_sensitivity_);
    detector_.SetMask(motion_mask_);
    detector_.SetMinObjectCells(motion_min_cells_);
    detector_.SetMinDurationMs(motion_min_duration_ms_);
  }
  if (!on && motion_preview_.load()) {
    // Cells to show, never an event. The worker alone writes the picture
    // buffer, so it reads it unlocked.
    detector_.Feed(picture.bytes.data(), picture.width, picture.height, picture.width, timestamp);
    previewing_ = true;
    std::lock_guard<std::mutex> lock(motion_lock_);
    motion_changed_ = detector_.ChangedCells();
    motion_objects_ = detector_.ObjectCells();
    return;
  }
  if (previewing_) {
    // A motion the preview saw begin is not one: detection starts afresh.
    detector_.Reset();
    previewing_ = false;
  }
  // Switched off during a motion: it ends here. The worker alone writes the
  // picture buffer, so it reads it unlocked.
  const MotionDetector::Change change =
      on ? detector_.Feed(picture.bytes.data(), picture.width, picture.height, picture.width, timestamp)
         : detector_.Finish(timestamp);
  if (!on) detector_.Reset();  // what it learnt is stale when it is switched on again
  last_timestamp_ = timestamp;
  ReportMotion(change, timestamp);
}

void NodeMediaPath::RestartMotion() {
  const MotionDetector::Change change = detector_.Finish(last_timestamp_);
  detector_.Reset();
  ReportMotion(change, last_timestamp_);
}

void NodeMediaPath::ReportMotion(MotionDetector::Change change, uint64_t timestamp) {
  if (motion_recorder_) motion_recorder_->OnMotion(change, timestamp);
  ForEachTap([&](MediaTap& tap) { tap.TapMotion(change, timestamp); });
  {
    std::lock_guard<std::mutex> lock(motion_lock_);
    motion_changed_ = detector_.ChangedCells();
    motion_objects_ = detector_.ObjectCells();
    if (change == MotionDetector::Change::kNone && detector_.InMotion()) last_motion_ = detector_.LastEvent();
  }
  if (change == MotionDetector::Change::kNone) return;
  const MotionDetector::Event event = detector_.LastEvent();
  {
    std::lock_guard<std::mutex> lock(motion_lock_);
    last_motion_ = event;
  }
  const bool started = change == MotionDetector::Change::kStarted;
  in_motion_ = started;
  if (started)
    DebugLog("Channel %d : motion start\n", node_index_);
  else
    DebugLog("Channel %d : motion end after %.1f s, at most %.0f%% of the picture changed\n", node_index_,
             static_cast<double>(event.lengthMs) / 1000.0, event.largestArea * 100.0);
  if (motion_teller_) motion_teller_(started, event);
  poster_.Post(parent_window_, os::kWmNodeMotion, static_cast<uintptr_t>(node_index_), started ? 1 : 0);
}

void NodeMediaPath::WorkerLoop() {
  // Above the interface threads so a busy window does not starve the pictures.
  os::SetCurrentThreadPriority(os::ThreadPriority::kAboveNormal);
  shown_any_ = false;
  while (running_.load()) {
    // Configurations with no picture after them yet: the stream is
    // configured before its first picture comes.
    ApplyDueConfiguration();
    while (running_.load() && feeder_ && feeder_->IsOpen() &&
           GuardDecoderCall(DecoderKind::kAudio, node_index_,
                            [&] { return feeder_->FeedOne(sound_); })) {
    }
    while (running_.load() && ConsumeLiveVideo()) {
    }
    if (recorder_) recorder_->Pump();
    ForEachTap([](MediaTap& tap) { tap.TapPump(); });
    WaitForWork();
  }
}

void NodeMediaPath::WakeWorker() {
  {
    std::lock_guard<std::mutex> lock(wake_lock_);
    wake_pending_ = true;
  }
  wake_.notify_one();
}

uint64_t NodeMediaPath::PictureWaitMs(uint64_t now_ms) const {
  if (!shown_any_ || live_ring_.Count() > kCatchUpBacklog) return 0;
  const uint64_t due = last_shown_ms_ + kPictureIntervalMs;
  return due > now_ms ? due - now_ms : 0;
}

void NodeMediaPath::WaitForWork() {
  // A waiting picture waits only for its turn.
  uint64_t waitMs = kIdleWaitMs;
  if (live_ring_.Count() > 0) waitMs = std::min(waitMs, PictureWaitMs(os::MonotonicMs()));
  std::unique_lock<std::mutex> lock(wake_lock_);
  if (waitMs > 0 && running_.load())
    wake_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return wake_pending_; });
  wake_pending_ = false;
}

bool NodeMediaPath::TapsWantMotion() const {
  bool wanted = false;
  ForEachTap([&](MediaTap& tap) { wanted = wanted || tap.TapWantsMotion(); });
  return wanted;
}

void NodeMediaPath::AddTap(MediaTap* tap) {
  std::lock_guard<std::mutex> lock(taps_lock_);
  auto list = taps_ ? std::make_shared<TapList>(*taps_) : std::make_shared<TapList>();
  list->push_back({tap, std::make_shared<os::UsageGuard>(), std::make_shared<std::atomic<bool>>(false)});
  taps_ = std::move(list);
}

void NodeMediaPath::RemoveTap(MediaTap* tap) {
  std::shared_ptr<os::UsageGuard> guard;
  {
    std::lock_guard<std::mutex> lock(taps_lock_);
    if (!taps_) return;
    auto list = std::make_shared<TapList>();
    for (const TapSlot& slot : *taps_) {
      if (slot.tap == tap)
        guard = slot.guard;
      else
        list->push_back(slot);
    }
    taps_ = list->empty() ? nullptr : std::move(list);
  }
  // A thread still inside the tap (a worker writing a sample) finishes first.
  if (guard) guard->Close();
}

void NodeMediaPath::TellTapsLinkState(bool camera_known, bool link_up) {
  ForEachTap([&](MediaTap& tap) { tap.TapLinkState(camera_known, link_up); });
}

void NodeMediaPath::TellTapsLinkInterrupted() {
  ForEachTap([](MediaTap& tap) { tap.TapLinkInterrupted(); });
}

void NodeMediaPath::TellTapsLinkClosed() {
  ForEachTap([](MediaTap& tap) { tap.TapLinkClosed(); });
}

void NodeMediaPath::StatisticsTick() { StatisticsTickAt(os::MonotonicMs()); }

void NodeMediaPath::StatisticsTickAt(uint64_t now_ms) {
  const uint64_t frames = frames_shown_.load();
  const uint64_t bytes = bytes_shown_.load();
  // The timer's own period stands in for the time before the first tick.
  uint64_t elapsedMs = previous_tick_ms_ && now_ms > previous_tick_ms_ ? now_ms - previous_tick_ms_ : 1000;
  // Pictures per second rounded to the nearest; bits per millisecond are kbit/s.
  const uint64_t fps = ((frames - previous_frames_) * 1000 + elapsedMs / 2) / elapsedMs;
  const uint64_t kbps = (bytes - previous_bytes_) * 8 / elapsedMs;
  previous_frames_ = frames;
  previous_bytes_ = bytes;
  previous_tick_ms_ = now_ms;
  char text[64];
  std::snprintf(text, sizeof text, "%d fps, %d kbps", static_cast<int>(fps), static_cast<int>(kbps));
  std::lock_guard<std::mutex> lock(status_lock_);
  fps_ = static_cast<int>(fps);
  kbps_ = static_cast<int>(kbps);
  status_text_ = text;
}

std::string NodeMediaPath::StatusText() const {
  std::lock_guard<std::mutex> lock(status_lock_);
  return status_text_;
}

int NodeMediaPath::FramesPerSecond() const {
  std::lock_guard<std::mutex> lock(status_lock_);
  return fps_;
}

int NodeMediaPath::KilobitsPerSecond() const {
  std::lock_guard<std::mutex> lock(status_lock_);
  return kbps_;
}

int NodeMediaPath::Width() const { return width_.load(); }

int NodeMediaPath::Height() const { return height_.load(); }

bool NodeMediaPath::HasConfiguration() const { return configured_.load(); }

std::vector<uint8_t> NodeMediaPath::Configuration() const {
  std::lock_guard<std::mutex> lock(config_lock_);
  return configuration_;
}

bool NodeMediaPath::WithPicture(const std::function<void(const codec::DecodedPicture&)>& draw) const {
  std::lock_guard<std::mutex> lock(picture_lock_);
  if (!picture_) return false;
  draw(picture_->View());
  return true;
}

}  // namespace node
