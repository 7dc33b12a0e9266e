#include "record/recording_repair.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "os/file.h"
#include "record/crc32.h"
#include "record/journal_format.h"
#include "record/m4v_headers.h"
#include "record/mp4_file.h"
#include "record/mp4_reader.h"
#include "record/recording_journal.h"

namespace record {
namespace {

constexpr size_t kReadChunk = 64 * 1024;

// Lends the caller's storage to the writer, which wants to own its output.
class BorrowedOutput : public Mp4Output {
 public:
  explicit BorrowedOutput(Mp4Storage& storage) : storage_(storage) {}
  bool Write(const uint8_t* data, size_t length) override { return storage_.Write(data, length); }
  bool Seek(uint64_t position) override { return storage_.Seek(position); }
  bool Sync() override { return storage_.Sync(); }

 private:
  Mp4Storage& storage_;
};

RepairResult Result(RepairStatus status, std::string message) {
  RepairResult r;
  r.status = status;
  r.message = std::move(message);
  return r;
}

bool IsCompleteRecording(Mp4Storage& media) {
  Mp4Index index;
  std::string error;
  return ReadMp4Index(media, &index, &error);
}

// How one journal entry fits the file.
enum class Fit { kWhole, kCutOff, kForeign };

class Replay {
 public:
  // `durableEnd`: the journal's last mark; bytes before it reached the disk.
  Replay(Mp4Storage& media, Mp4File& mp4, uint64_t durable_end)
      : media_(media), mp4_(mp4), size_(media.Size()), durable_end_(durable_end) {}

  // Checks the sample's bytes against the journal and enters it.
  Fit Sample(const JournalSample& s, std::string* why) {
    if (s.offset != mp4_.Position()) {
      *why = "the journal names a sample where the file holds another";
      return Fit::kForeign;
    }
    if (s.length == 0 || s.length > size_ || s.offset > size_ - s.length) return Fit::kCutOff;
    uint8_t head[5] = {};
    uint32_t crc = 0;
    if (!Checksum(s.offset, s.length, head, &crc)) {
      read_failed_ = true;
      return Fit::kCutOff;
    }
    if (crc != s.crc) {
      // Past the last mark, bytes may have been lost in a power cut.
      const bool durable = uint64_t{s.offset} + s.length <= durable_end_;
      *why = "the bytes in the file are not those the journal describes";
      return durable || pictures_ + sound_frames_ == 0 ? Fit::kForeign : Fit::kCutOff;
    }
    if (s.video && (VopCodingType(head, std::min<uint32_t>(s.length, 5)) == 0) != s.sync) {
      *why = "the journal's picture types do not match the file";
      return Fit::kForeign;
    }
    const bool entered = s.video ? mp4_.AdoptVideo(s.length, s.time, s.sync) : mp4_.AdoptAudio(s.length, s.time);
    if (!entered) {
      *why = "the journal names a sample the recording cannot hold";
      return Fit::kForeign;
    }
    ++(s.video ? pictures_ : sound_frames_);
    return Fit::kWhole;
  }

  uint32_t Pictures() const { return pictures_; }
  uint32_t SoundFrames() const { return sound_frames_; }
  bool ReadFailed() const { return read_failed_; }

 private:
  // CRC-32 of the sample's bytes, read a piece at a time; its first bytes
  // tell the picture type.
  bool Checksum(uint64_t at, uint32_t length, uint8_t head[5], uint32_t* crc) {
    buffer_.resize(std::min<size_t>(kReadChunk, length));
    for (uint32_t done = 0; done < length;) {
      const size_t n = std::min<size_t>(buffer_.size(), length - done);
      if (!media_.Read(at + done, buffer_.data(), n)) return false;
      if (done == 0) std::memcpy(head, buffer_.data(), std::min<size_t>(n, 5));
      *crc = Crc32(buffer_.data(), n, *crc);
      done += static_cast<uint32_t>(n);
    }
    return true;
  }

  Mp4Storage& media_;
  Mp4File& mp4_;
  uint64_t size_;
  uint64_t durable_end_;
  std::vector<uint8_t> buffer_;
  uint32_t pictures_ = 0;
  uint32_t sound_frames_ = 0;
  bool read_failed_ = false;
};

std::string Seconds(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%01u s", ms / 1000, (ms % 1000) / 100);
  return text;
}

uint32_t LongerTrackMs(const Mp4File& mp4) {
  uint64_t longest = 0;
  for (const Mp4Track* t : {mp4.VideoTrack(), mp4.AudioTrack()})
    if (t && t->Timescale()) longest = std::max<uint64_t>(longest, uint64_t{t->Duration()} * 1000 / t->Timescale());
  return static_cast<uint32_t>(longest);
}

}  // namespace

RepairResult RepairStorage(Mp4Storage& media, Mp4Storage& journal, const std::atomic<bool>* stop) {
  const uint64_t size = media.Size();
  uint8_t header[8];
  if (size < 8 || !media.Read(0, header, 8) || std::memcmp(header + 4, "mdat", 4) != 0)
    return Result(RepairStatus::kJournalMismatch, "the file does not begin like a recording; left as it is");
  const bool sizeWritten = header[0] | header[1] | header[2] | header[3];
  if (sizeWritten && IsCompleteRecording(media))
    return Result(RepairStatus::kAlreadyComplete, "already complete");

  // First the header and the last durable mark, then the replay.
  JournalReader scan(journal);
  JournalEntry entry;
  if (!scan.Next(&entry) || entry.type != JournalRecord::kHeader ||
      entry.mode != static_cast<uint16_t>(RecordMode::kMpeg4Adpcm))
    return Result(RepairStatus::kJournalMismatch, "its journal is damaged at its start; left as it is");
  const uint32_t creationTime = entry.creationTime;
  uint64_t durableEnd = 0;
  while (scan.Next(&entry))
    if (entry.type == JournalRecord::kDurable) durableEnd = std::max<uint64_t>(durableEnd, entry.durableEnd);

  Mp4File mp4;
  mp4.SetCreationTime(creationTime);
  mp4.Reopen(std::make_unique<BorrowedOutput>(media));
  Replay replay(media, mp4, durableEnd);
  JournalReader reader(journal);
  reader.Next(&entry);  // the header again
  bool anySample = false;
  std::string foreign;
  while (reader.Next(&entry)) {
    // Reading a long recording back takes a while; nothing is written yet.
    if (stop && stop->load()) return Result(RepairStatus::kStopped, "stopped before it was done; left as it is");
    if (entry.type == JournalRecord::kCreationTime) {
      mp4.SetCreationTime(entry.creationTime);
    } else if (entry.type == JournalRecord::kVideoConfig) {
      if (!mp4.WriteVideo(entry.config.data(), static_cast<uint32_t>(entry.config.size()), 0, 0)) break;
    } else if (entry.type == JournalRecord::kVideoSample || entry.type == JournalRecord::kAudioSample) {
      const Fit fit = replay.Sample(entry.sample, &foreign);
      if (fit == Fit::kForeign)
        return Result(RepairStatus::kJournalMismatch, "its journal does not match it (" + foreign + "); left as it is");
      if (fit != Fit::kWhole) break;
      anySample = true;
    } else if (entry.type != JournalRecord::kDurable) {
      break;  // a second header: the rest is not this recording's
    }
  }
  if (replay.ReadFailed()) return Result(RepairStatus::kFailed, "the file cannot be read; left as it is");
  if (!anySample) return Result(RepairStatus::kNothingToKeep, "not one whole picture or sound frame reached the disk; left as it is");

  // Cut the bytes after the last whole sample first: until the new mdat size
  // is written the file stays one that repair can take up again.
  const uint64_t kept = mp4.Position();
  if (!media.Truncate(kept) || !mp4.Finalise())
    return Result(RepairStatus::kFailed, "writing the repaired file failed");
  RepairResult r;
  r.status = RepairStatus::kRepaired;
  r.pictures = replay.Pictures();
  r.soundFrames = replay.SoundFrames();
  r.durationMs = LongerTrackMs(mp4);
  r.bytesDropped = size - kept;
  r.message = "repaired: " + std::to_string(r.pictures) + " pictures, " + std::to_string(r.soundFrames) +
              " sound frames, " + Seconds(r.durationMs);
  if (r.bytesDropped) r.message += "; " + std::to_string(r.bytesDropped) + " bytes cut off at the end dropped";
  return r;
}

RepairResult RepairRecording(const std::string& path, const std::atomic<bool>* stop) {
  const std::string journalPath = JournalPathFor(path);
  RepairResult r;
  if (!os::FileExists(path)) {
    r = Result(RepairStatus::kMissing, os::FileExists(journalPath) ? "the recording is missing (its journal is there)"
                                                               : "no such file");
  } else if (!os::FileExists(journalPath)) {
    std::unique_ptr<Mp4FileOutput> media = Mp4FileOutput::OpenExisting(path, false);
    if (!media)
      r = Result(RepairStatus::kFailed, "cannot be opened");
    else if (IsCompleteRecording(*media))
      r = Result(RepairStatus::kAlreadyComplete, "already complete");
    else
      r = Result(RepairStatus::kNoJournal, "unfinished, and there is no journal beside it to repair it from; left as it is");
  } else {
    std::unique_ptr<Mp4FileOutput> journal = Mp4FileOutput::OpenExisting(journalPath, false);
    std::unique_ptr<Mp4FileOutput> media = Mp4FileOutput::OpenExisting(path, true);
    if (!journal || !media) {
      r = Result(RepairStatus::kFailed, "cannot be opened for writing");
    } else if (!journal->TryLock()) {
      r = Result(RepairStatus::kInUse, "is still being recorded, or repaired by another program; left as it is");
    } else {
      r = RepairStorage(*media, *journal, stop);
      if (r.status == RepairStatus::kRepaired || r.status == RepairStatus::kAlreadyComplete) {
        media.reset();
        journal.reset();
        os::RemoveFile(journalPath);
      }
    }
  }
  r.path = path;
  return r;
}

void AddToReport(RepairReport& report, RepairResult result) {
  if (result.status == RepairStatus::kRepaired)
    report.repaired.push_back(std::move(result));
  else if (result.status == RepairStatus::kAlreadyComplete)
    report.complete.push_back(std::move(result));
  else
    report.notRepaired.push_back(std::move(result));
}

RepairReport RepairRecordings(const std::vector<std::string>& paths) {
  RepairReport report;
  for (const std::string& path : paths) AddToReport(report, RepairRecording(path));
  return report;
}

std::vector<std::string> FindUnfinishedRecordings(const std::string& folder) {
  static const std::string kSuffix = ".journal";
  std::vector<std::string> found;
  for (const std::string& file : os::FilesIn(folder))
    if (file.size() > kSuffix.size() && file.compare(file.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0)
      found.push_back(file.substr(0, file.size() - kSuffix.size()));
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace record
