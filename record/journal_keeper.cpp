#include "record/journal_keeper.h"

#include "os/file.h"
#include "record/crc32.h"

namespace record {

void JournalKeeper::Attach(std::unique_ptr<RecordingJournal> journal, Mp4Output* output, uint16_t mode,
                           uint32_t creation_time) {
  if (!journal) return;
  if (!journal->Header(mode, creation_time)) {
    journal->Finish();  // a journal without its header could never be used
    return;
  }
  journal_ = std::move(journal);
  journal_->StartSyncing(output);
  const std::string path = output->FilePath();
  open_list_ = CurrentOpenRecordingList();
  if (open_list_ && !path.empty()) {
    listed_path_ = os::AbsolutePath(path);
    open_list_->Add(listed_path_);
  }
}

void JournalKeeper::CreationTime(uint32_t seconds1904) {
  if (journal_) journal_->CreationTime(seconds1904);
}

void JournalKeeper::VideoConfig(const uint8_t* data, uint32_t length) {
  if (journal_) journal_->VideoConfig(data, length);
}

void JournalKeeper::Sample(bool video, uint32_t offset, const uint8_t* data, uint32_t length, uint32_t time,
                           bool sync) {
  if (!journal_) return;
  JournalSample sample;
  sample.video = video;
  sample.offset = offset;
  sample.length = length;
  sample.time = time;
  sample.sync = sync;
  sample.crc = Crc32(data, length);
  journal_->Sample(sample);
}

void JournalKeeper::Close(bool finished) {
  if (!journal_) return;
  if (!finished) {
    journal_->Close();  // stays on disk, and the file stays listed, for repair
  } else if (journal_->Finish() && open_list_ && !listed_path_.empty()) {
    open_list_->Remove(listed_path_);
  }
  journal_.reset();
  open_list_ = nullptr;
  listed_path_.clear();
}

}  // namespace record
