#pragma once
// Plays recordings for the Recordings window: up to four cameras that follow
// one playback clock (record/playback_clock.h). For each camera it reads the
// samples the clock names from the MP4 files (or, for a file being written,
// the journal's account of it), decodes them with the camera's own
// codec::VideoDecoder into I420 pictures and hands them to the camera's
// PictureSink, the seam the live views draw through; the first camera's
// sound goes, at 1x only, to a PlaybackFeeder as a view's does.
//
// Threads and what each owns:
//   any thread (the window's)  the commands (Seek, SetSpeed, Step, ...),
//                              which only queue under commands_lock_, and
//                              Status, which copies under status_lock_.
//   playback worker            the clock, the decoders, the open files and
//                              every call into the sinks and the feeder; it
//                              sleeps until a picture falls due (at most
//                              20 ms) or a command comes.
// Without Start, RunOnce does the worker's work on the caller's thread
// (tests and benchmarks, on a clock of their own).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codec/audio/adpcm.h"
#include "codec/video/video_decoder.h"
#include "present/picture_sink.h"
#include "present/playback_feeder.h"
#include "record/mp4_output.h"
#include "record/playback_clock.h"

namespace node {

struct PlayerCamera {
  std::string name;  // as the catalog names it
  present::PictureSink* sink = nullptr;
};

struct PlayerStatus {
  struct View {
    bool noRecording = true;   // nothing recorded at the position: the view says "No recording"
    int64_t pictureTime = 0;   // wall-clock ms of the picture shown
    std::string file;          // the file it comes from
    std::string error;         // the file could not be read or decoded
  };
  int64_t position = 0;        // wall-clock ms
  record::PlaySpeed speed;
  bool paused = true;
  bool atEnd = false;          // past the last recording: paused there
  std::vector<View> views;
  uint64_t serial = 0;         // grows with every change
};

class RecordingPlayer {
 public:
  using Clock = std::function<uint64_t()>;  // monotonic milliseconds
  // A tick decodes for at most about this long (over all cameras) while playing.
  static constexpr double kTickDecodeBudgetMs = 30.0;

  explicit RecordingPlayer(Clock clock = nullptr);
  ~RecordingPlayer();
  RecordingPlayer(const RecordingPlayer&) = delete;
  RecordingPlayer& operator=(const RecordingPlayer&) = delete;

  // Commands, from any thread; the worker carries them out in order.
  void SetCatalog(std::shared_ptr<const record::RecordingsCatalog> catalog);
  // The sinks and the feeder must outlive the player or the next SetCameras.
  void SetCameras(std::vector<PlayerCamera> cameras, present::PlaybackFeeder* sound = nullptr);
  void Seek(int64_t wall_ms);
  void SetSpeed(record::PlaySpeed speed);
  void SetPaused(bool paused);
  void Step(int direction);
  void Jump(int64_t delta_ms);
  void NextMotion();
  void PreviousMotion();

  void Start();
  void Stop();
  // Carries out the queued commands and one tick on this thread (not with Start).
  void RunOnce();

  PlayerStatus Status() const;
  // Called by the worker after each change; must only copy or post.
  void SetStatusListener(std::function<void(const PlayerStatus&)> listener);

  // What the decoders did (benchmarks): pictures decoded and shown.
  uint64_t PicturesDecoded() const { return decoded_.load(); }
  uint64_t PicturesShown() const { return shown_.load(); }

 private:
  struct View {
    PlayerCamera camera;
    std::unique_ptr<codec::VideoDecoder> decoder;
    std::vector<uint8_t> config;  // the decoder's configuration
    std::string path;             // the file open for reading
    std::unique_ptr<record::Mp4FileOutput> file;
    std::vector<uint8_t> sample;
    std::vector<uint8_t> picture;
    int width = 0, height = 0;
    int sinkWidth = 0, sinkHeight = 0;
  };
  // The recorded sound due, decoded, for the feeder.
  class Sound : public present::SoundSource {
   public:
    int Waiting() const override { return static_cast<int>(units_.size()); }
    void DropOldest() override;
    bool TakeOldest(present::SoundSamples* out) override;
    void Clear() { units_.clear(); }
    void Add(std::vector<int16_t> pcm, uint64_t time);

   private:
    std::deque<std::pair<std::vector<int16_t>, uint64_t>> units_;
    std::vector<int16_t> taken_;
  };
  using Command = std::function<void(uint64_t now)>;

  void Queue(Command command);
  void Run();
  // The worker's one pass; returns when the next is due.
  uint64_t Work();
  bool Show(size_t index, const record::PictureStep& step);
  void PlaySound(uint64_t now);

  Clock clock_;
  mutable std::mutex commands_lock_;
  std::condition_variable wake_;
  std::vector<Command> commands_;
  bool stopping_ = false;
  std::thread worker_;

  // The worker's.
  record::TrackCache tracks_;
  record::PlaybackClock playback_{tracks_};
  std::vector<View> views_;
  present::PlaybackFeeder* feeder_ = nullptr;
  Sound sound_;
  codec::AdpcmDecoder adpcm_;
  std::unique_ptr<record::Mp4FileOutput> sound_file_;
  std::string sound_path_;
  std::vector<std::string> errors_;
  double decode_ms_ = 5.0;  // a picture's decoding time, averaged

  mutable std::mutex status_lock_;
  PlayerStatus status_;
  std::function<void(const PlayerStatus&)> listener_;

  std::atomic<uint64_t> decoded_{0};
  std::atomic<uint64_t> shown_{0};
};

}  // namespace node
