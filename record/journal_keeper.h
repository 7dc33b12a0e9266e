// The journal of the recording being written, and the recording's place in
// the list of open recordings: both stay while the file is unfinished, so
// that a recording cut off by a crash or a power cut can be finished later
// (recording_repair.h); a finished file removes both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "record/open_recordings.h"
#include "record/recording_journal.h"

namespace record {

class JournalKeeper {
 public:
  JournalKeeper() = default;
  ~JournalKeeper() { Close(false); }
  JournalKeeper(const JournalKeeper&) = delete;
  JournalKeeper& operator=(const JournalKeeper&) = delete;

  // Writes the journal's header and starts syncing `output`, which must
  // outlive the journal; a journal whose header cannot be written is
  // dropped (it could never be used). Null: no journal.
  void Attach(std::unique_ptr<RecordingJournal> journal, Mp4Output* output, uint16_t mode, uint32_t creation_time);
  void CreationTime(uint32_t seconds1904);
  void VideoConfig(const uint8_t* data, uint32_t length);
  void Sample(bool video, uint32_t offset, const uint8_t* data, uint32_t length, uint32_t time, bool sync);
  // `finished`: the journal and the listing go; otherwise both stay for repair.
  void Close(bool finished);
  bool Healthy() const { return journal_ && journal_->Healthy(); }

 private:
  std::unique_ptr<RecordingJournal> journal_;
  OpenRecordingList* open_list_ = nullptr;  // where the open file is listed
  std::string listed_path_;
};

}  // namespace record
