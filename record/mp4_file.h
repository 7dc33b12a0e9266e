// Writes one recording: MPEG-4 video units and ADPCM audio frames go into
// mdat as they arrive; the tables stay in memory and Finalise writes them.
// Layout: mdat at offset 0, a top-level udta, then moov. The bytes' place in
// the output is MdatWriter's, the journal JournalKeeper's, each track's
// times a SampleClock's; this class keeps the movie and its tracks.
//
// A recording into a file keeps a journal beside it (recording_journal.h)
// until Finalise has written everything, so that a recording cut off by a
// crash or a power cut can be finished later (recording_repair.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "record/journal_keeper.h"
#include "record/mdat_writer.h"
#include "record/mp4_atoms.h"
#include "record/mp4_output.h"
#include "record/recording_journal.h"
#include "record/sample_clock.h"

namespace record {

enum class RecordMode { kMpeg4Adpcm = 302 };

class Mp4File {
 public:
  Mp4File();
  ~Mp4File();
  Mp4File(const Mp4File&) = delete;
  Mp4File& operator=(const Mp4File&) = delete;

  // Resets the writer state and the models; 302 is the only mode in use.
  bool Initialise(int mode);
  // Creates the file and its journal; false when the file cannot be created
  // (a journal that cannot be created only costs the repair).
  bool Open(const std::string& path);
  // Writes into `output` instead; takes ownership. An output that names a
  // file (FilePath) gets its journal beside it.
  bool Open(std::unique_ptr<Mp4Output> output);
  // With this journal, or none (null): tests and benchmarks.
  bool Open(std::unique_ptr<Mp4Output> output, std::unique_ptr<RecordingJournal> journal);
  // Takes over a recording cut off before Finalise, whose mdat header and
  // samples are in `output` already: the configuration unit goes to
  // WriteVideo as usual, the samples to AdoptVideo and AdoptAudio, and
  // Finalise writes the rest. Repair replays the journal this way.
  bool Reopen(std::unique_ptr<Mp4Output> output);

  // `index` 0 is the configuration unit (stream headers), later indexes the
  // pictures; `time` is in milliseconds. False when the unit is refused or
  // its bytes could not be written; the tables are then unchanged.
  bool WriteVideo(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time);
  bool WriteAudio(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time);

  // After Reopen: enters the next sample, whose `length` bytes lie at the
  // output position already, as WriteVideo and WriteAudio would have.
  bool AdoptVideo(uint32_t length, uint32_t time, bool sync);
  bool AdoptAudio(uint32_t length, uint32_t time);

  // Writes the system tracks' samples, udta and moov, then the mdat size,
  // so the header claims a finished file only once everything behind it is
  // on disk. Success removes the journal. When the index cannot be written
  // (a full disk) the last samples give their room back to it, so the file
  // still ends finished and playable, only shorter.
  bool Finalise();
  // Closes the file; a recording closed without Finalise keeps its journal.
  void Close();

  // The largest mdat a file may reach (chunk offsets are 32-bit); a sample
  // that would pass it is refused and LimitReached says so. Tests set less.
  void SetSizeLimit(uint64_t bytes) { mdat_.SetSizeLimit(bytes); }
  uint64_t SizeLimit() const { return mdat_.SizeLimit(); }
  bool LimitReached() const { return mdat_.LimitReached(); }
  // A write to the output failed (a full disk, a removed drive): the file
  // cannot grow any more and should be finalised.
  bool OutputFailed() const { return mdat_.OutputFailed(); }
  // Samples Finalise gave back to make room for the index.
  uint32_t SamplesGivenBack() const { return samples_given_back_; }
  static constexpr uint64_t kMaxMdatBytes = MdatWriter::kMaxMdatBytes;

  // Creation time in seconds since 1904; tests fix it for exact bytes.
  void SetCreationTime(uint32_t seconds1904);

  const Mp4Movie& Movie() const { return *movie_; }
  const Mp4Track* VideoTrack() const { return video_; }
  const Mp4Track* AudioTrack() const { return audio_; }
  int PictureWidth() const { return width_; }
  int PictureHeight() const { return height_; }
  int TimeIncrementBits() const { return time_increment_bits_; }
  uint64_t Position() const { return mdat_.position(); }
  uint32_t AudioFrameLength() const { return audio_frame_length_; }
  bool Journaled() const { return journal_.Healthy(); }

 private:
  bool OpenOutput(std::unique_ptr<Mp4Output> output);
  void AttachJournal(std::unique_ptr<RecordingJournal> journal);
  Mp4Track* AddTrack(TrackKind kind, uint32_t track_id);
  // Enter a sample in the tables after putting its bytes in place; `data`
  // null: they are in place already (AdoptVideo, AdoptAudio).
  bool PlaceVideo(const uint8_t* data, uint32_t length, uint32_t time, bool sync);
  bool PlaceAudio(const uint8_t* data, uint32_t length, uint32_t time);
  // Puts a sample's bytes at the output position, short of the limit by
  // the system samples until Finalise writes them.
  bool WriteSampleBytes(const uint8_t* data, uint32_t length, uint32_t* offset);
  // Writes the system samples at `mediaEnd`, then udta and moov, then the
  // mdat size; movie_ stays as it was so a failed attempt can be repeated.
  bool WriteTail(uint64_t media_end);
  // Takes back the media samples at the end of mdat until `bytes` are free
  // behind the remaining ones; returns the new end of the media samples.
  uint64_t GiveBack(uint64_t media_end, uint64_t bytes);

  // Declared before the journal: the journal's sync thread uses the output
  // until the journal closes.
  MdatWriter mdat_;
  JournalKeeper journal_;
  bool adopting_ = false;        // Reopen: samples may be adopted
  std::unique_ptr<Mp4Movie> movie_;
  bool finalised_ = false;
  uint32_t now_ = 0;

  Mp4Track* video_ = nullptr;
  Mp4Track* audio_ = nullptr;
  uint32_t video_timescale_ = 1000;
  uint32_t audio_timescale_ = 1000;
  int width_ = 320;
  int height_ = 240;
  int time_increment_bits_ = 15;
  int visual_profile_ = 3;
  SampleClock video_clock_, audio_clock_;
  uint32_t audio_frame_length_ = 0;  // length of the first audio frame
  uint32_t samples_given_back_ = 0;
};

}  // namespace record
