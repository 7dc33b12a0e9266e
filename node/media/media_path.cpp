#include "node/media/media_path.h"

#include <algorithm>

#include "node/media/motion_recorder.h"
#include "node/media/node_recorder.h"
#include "os/clock.h"
#include "os/thread_priority.h"

namespace node {

NodeMediaPath::NodeMediaPath(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window,
                             present::PictureSink* sink, present::PlaybackFeeder* feeder, NodeRecorder* recorder)
    : node_index_(node_index), poster_(poster), parent_window_(parent_window), recorder_(recorder),
      sound_(node_index, feeder), video_(node_index), pictures_(sink), position_(poster, parent_window),
      motion_(node_index, poster, parent_window, taps_) {}

NodeMediaPath::~NodeMediaPath() { StopWorker(); }

void NodeMediaPath::Reset() {
  configurations_.Clear();
  video_.Release();
  sound_.ResetDecoder();
  if (recorder_) recorder_->ClearVideoConfiguration();
  if (motion_.Recorder()) motion_.Recorder()->Reset();
  taps_.ResetAll();
  // The motion of the stream that ended ends with it, and the next stream's
  // pictures are learnt afresh: a motion that goes on is found again.
  worker_.WithThread([this](bool started) {
    if (started)
      motion_.AskRestart();
    else
      motion_.Restart();
  });
  // A running worker may be reading a slot in place; flushing keeps it.
  if (worker_.Running()) {
    live_ring_.Flush();
    sound_.Ring().Flush();
  } else {
    live_ring_.Reset();
    sound_.Ring().Reset();
  }
}

void NodeMediaPath::StartWorker() {
  worker_.Start([this] { WorkerLoop(); });
}

void NodeMediaPath::StopWorker() { worker_.Stop(); }

void NodeMediaPath::DeliverMedia(const net::MediaData& media) {
  switch (media.kind) {
    case net::kMediaVideoConfig:
      DeliverConfiguration(media);
      return;
    case net::kMediaVideoFrame:
      if (media.timestamp_ms == net::kEndOfFileTimestamp) {
        position_.EndOfFileCame();
        return;
      }
      position_.PictureAt(media.timestamp_ms);
      if (!configurations_.Stored()) return;  // nothing can decode a picture before its headers
      live_ring_.Push(media.payload, media.payload_length, media.timestamp_ms);
      worker_.Wake();
      return;
    case net::kMediaAudio:
      if (media.timestamp_ms == net::kEndOfFileTimestamp) {
        position_.EndOfFileCame();
        return;
      }
      if (media.payload_length == 0 || media.payload == nullptr) return;
      // Without a sound output (a wall cell, a plan's link) the ring would
      // only fill and be thrown away; the recorders take the sound here.
      if (sound_.Heard()) sound_.Ring().Push(media.payload, media.payload_length, media.timestamp_ms);
      if (recorder_) recorder_->FeedAudio(media.payload, media.payload_length, media.timestamp_ms);
      if (motion_.Recorder()) motion_.Recorder()->OnAudio(media.payload, media.payload_length, media.timestamp_ms);
      taps_.ForEach([&](MediaTap& tap) { tap.TapAudio(media.payload, media.payload_length, media.timestamp_ms); });
      if (sound_.Heard()) WakeForSound();
      return;
    default:
      return;
  }
}

// While pictures flow the worker wakes for each of them and feeds the sound
// then (the output holds far more than a picture's interval), so a sound
// unit wakes it only when no picture came since the last sound unit: a view
// wakes once per picture, not once per unit as well.
void NodeMediaPath::WakeForSound() {
  const uint64_t pictures = live_ring_.Written();
  if (pictures_at_last_sound_.exchange(pictures) == pictures) worker_.Wake();
}

// Only stored, in its place among the pictures: decoding even the headers is
// the worker's, so the receive thread never waits for a decode in progress.
void NodeMediaPath::DeliverConfiguration(const net::MediaData& media) {
  if (media.payload_length == 0 || media.payload == nullptr) return;
  configurations_.Add(media.payload, media.payload_length, live_ring_.Written());
  worker_.Wake();
}

void NodeMediaPath::ApplyDueConfiguration() { ApplyConfigurationsBefore(live_ring_.OldestSequence()); }

void NodeMediaPath::ApplyConfigurationsBefore(uint64_t sequence) {
  std::vector<uint8_t> unit;
  if (configurations_.TakeDue(sequence, &unit)) ApplyConfiguration(unit);
}

void NodeMediaPath::ApplyConfiguration(const std::vector<uint8_t>& unit) {
  const LiveVideoDecoder::Headers headers = video_.Configure(unit);
  if (!headers.usable) {
    configurations_.SetApplied({});
    return;
  }
  configurations_.SetApplied(unit);
  if (headers.size_changed) pictures_.Replace(headers.width, headers.height);
  if (recorder_) recorder_->SetVideoConfiguration(unit.data(), unit.size(), headers.width, headers.height);
  if (motion_.Recorder())
    motion_.Recorder()->SetVideoConfiguration(unit.data(), unit.size(), headers.width, headers.height);
  taps_.Configure(unit, headers.width, headers.height);
  // Published after the recorders have it: a recording started because the
  // stream is configured finds the recorder holding the configuration it
  // will write as unit 0. The window hears of it after that, so one that
  // waits for a configuration to start a recording finds it there.
  video_.MarkConfigured();
  if (headers.width_changed)
    poster_.Post(parent_window_, os::kWmNodePictureWidth, static_cast<uintptr_t>(headers.width), 0);
}

void NodeMediaPath::TellDiscarded() {
  const uint64_t discarded = live_ring_.Discarded();
  if (discarded == discarded_seen_) return;
  // The pictures after a gap refer to pictures that never came.
  const uint64_t count = discarded - discarded_seen_;
  if (recorder_) recorder_->NoteDiscardedVideo(count);
  if (motion_.Recorder()) motion_.Recorder()->NoteDiscardedVideo(count);
  taps_.ForEach([&](MediaTap& tap) { tap.TapDiscarded(count); });
  discarded_seen_ = discarded;
}

bool NodeMediaPath::ConsumeLiveVideo() {
  const uint64_t now = os::MonotonicMs();
  if (LiveWaitMs(now) > 0) return false;
  const int slot = live_ring_.BeginRead();
  if (slot < 0) return false;
  const MediaUnit& unit = live_ring_.Slot(slot);
  // The configurations sent before this picture, and none sent after it.
  ApplyConfigurationsBefore(unit.sequence);
  TellDiscarded();
  if (!video_.Configured()) {
    // Its headers were unusable: it cannot be decoded, shown or counted.
    live_ring_.CommitRead();
    return true;
  }
  std::shared_ptr<PictureBuffer> picture;
  const uint64_t started = os::MonotonicUs();
  uint64_t decoded = started, produced = started;
  // Decoded when something needs its picture: a sink that shows, the detector.
  const bool decode = video_.Wanted(unit, pictures_.SinkWantsPictures() || motion_.Wanted());
  if (!decode)
    picture = pictures_.Current();  // the last picture stays; recorders need no decoding
  else
    picture = video_.Decode(unit, pictures_, &decoded, &produced);
  // Outside every lock and outside the decoder's fault guard: a renderer may
  // wait for the window, and its faults are its own.
  if (decode && picture && pictures_.HasSink()) {
    pictures_.Show(*picture);
    const uint64_t shown = os::MonotonicUs();
    timing_.Add(decoded - started, produced - decoded, shown - produced, shown - unit.received_us);
  }
  const bool havePicture = picture != nullptr;
  if (recorder_) recorder_->FeedVideo(unit.Data(), unit.length, unit.timestamp, havePicture);
  motion_.RestartIfAsked();
  // The worker alone writes the picture buffer, so the detector reads it unlocked.
  if (decode && picture && motion_.Wanted())
    motion_.Watch(picture->bytes.data(), picture->width, picture->height, unit.timestamp);
  if (motion_.Recorder()) motion_.Recorder()->OnVideo(unit.Data(), unit.length, unit.timestamp, havePicture);
  taps_.ConfigureNew([this] { return configurations_.Applied(); }, video_.Width(), video_.Height());
  taps_.ForEach([&](MediaTap& tap) { tap.TapVideo(unit.Data(), unit.length, unit.timestamp, havePicture); });
  statistics_.CountShown(unit.length);
  pacer_.Shown(now, unit.received_us / 1000);
  live_ring_.CommitRead();
  return true;
}

void NodeMediaPath::WorkerLoop() {
  // Above the interface threads so a busy window does not starve the pictures.
  os::SetCurrentThreadPriority(os::ThreadPriority::kAboveNormal);
  pacer_.Restart();
  const auto running = [this] { return worker_.Running(); };
  while (running()) {
    // Configurations with no picture after them yet: the stream is
    // configured before its first picture comes.
    ApplyDueConfiguration();
    sound_.Feed(running);
    while (running() && ConsumeLiveVideo()) {
    }
    if (recorder_) recorder_->Pump();
    taps_.ForEach([](MediaTap& tap) { tap.TapPump(); });
    worker_.Wait(WorkerWaitMs());
  }
}

uint64_t NodeMediaPath::WorkerWaitMs() const {
  // A waiting picture waits only for its turn.
  uint64_t waitMs = MediaWorkerThread::kIdleWaitMs;
  if (live_ring_.Count() > 0) waitMs = std::min(waitMs, LiveWaitMs(os::MonotonicMs()));
  return waitMs;
}

uint64_t NodeMediaPath::LiveWaitMs(uint64_t now_ms) const {
  // One clock in two units: the ring stamps arrivals in microseconds.
  return pacer_.WaitMs(now_ms, live_ring_.Count(), live_ring_.OldestReceivedUs() / 1000);
}

}  // namespace node
