#include "record/recording_journal.h"

#include <chrono>

#include "os/file.h"
#include "os/file_sync.h"
#include "os/thread_name.h"

namespace record {

std::string JournalPathFor(const std::string& recording_path) { return recording_path + ".journal"; }

std::unique_ptr<RecordingJournal> RecordingJournal::CreateBeside(const std::string& recording_path) {
  const std::string path = JournalPathFor(recording_path);
  std::unique_ptr<Mp4FileOutput> file = Mp4FileOutput::Create(path);
  if (!file) return nullptr;
  file->TryLock();  // a file system without locks still gets its journal
  os::SyncFolderOf(path.c_str());
  return std::make_unique<RecordingJournal>(std::move(file), path);
}

RecordingJournal::RecordingJournal(std::unique_ptr<Mp4Output> out, std::string path)
    : out_(std::move(out)), path_(std::move(path)) {}

RecordingJournal::~RecordingJournal() { Close(); }

bool RecordingJournal::Append(const std::vector<uint8_t>& record) {
  std::lock_guard<std::mutex> lock(write_lock_);
  if (!healthy_ || !out_) return false;
  // A record that went out in part would hide every later one.
  if (!out_->Write(record.data(), record.size())) healthy_ = false;
  return healthy_;
}

bool RecordingJournal::Header(uint16_t mode, uint32_t creation_time) {
  return Append(EncodeJournalHeader(mode, creation_time));
}

bool RecordingJournal::CreationTime(uint32_t creation_time) { return Append(EncodeJournalCreationTime(creation_time)); }

bool RecordingJournal::VideoConfig(const uint8_t* data, uint32_t length) {
  if (length > kMaxJournalPayload) {
    healthy_ = false;  // the journal could no longer describe the file
    return false;
  }
  return Append(EncodeJournalConfig(data, length));
}

bool RecordingJournal::Sample(const JournalSample& sample) {
  if (!Append(EncodeJournalSample(sample))) return false;
  std::lock_guard<std::mutex> lock(sync_lock_);
  samples_end_ = sample.offset + sample.length;
  return true;
}

void RecordingJournal::StartSyncing(Mp4Output* media) {
  if (sync_thread_.joinable() || !out_) return;
  media_ = media;
  stop_ = false;
  sync_thread_ = std::thread([this] {
    os::NameCurrentThread("journal sync");
    SyncLoop();
  });
}

void RecordingJournal::SyncBoth() {
  // Every sample recorded by now has its bytes written: once the media file
  // is synced they are on disk, and the mark says so.
  uint32_t end = 0;
  {
    std::lock_guard<std::mutex> lock(sync_lock_);
    if (samples_end_ == durable_end_) return;
    end = samples_end_;
  }
  if (media_ && !media_->Sync()) return;
  if (!Append(EncodeJournalDurable(end))) return;
  // Unlocked: the writer may append meanwhile, and StopSyncing joins this
  // thread before the journal closes.
  out_->Sync();
  std::lock_guard<std::mutex> lock(sync_lock_);
  durable_end_ = end;
}

void RecordingJournal::SyncLoop() {
  std::unique_lock<std::mutex> lock(sync_lock_);
  while (!stop_) {
    wake_.wait_for(lock, std::chrono::milliseconds(kSyncIntervalMs), [this] { return stop_; });
    if (stop_) break;
    lock.unlock();
    SyncBoth();
    lock.lock();
  }
}

void RecordingJournal::StopSyncing() {
  if (!sync_thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(sync_lock_);
    stop_ = true;
  }
  wake_.notify_all();
  sync_thread_.join();
}

bool RecordingJournal::Finish() {
  StopSyncing();
  {
    std::lock_guard<std::mutex> lock(write_lock_);
    out_.reset();
  }
  media_ = nullptr;
  return path_.empty() || os::RemoveFile(path_);
}

void RecordingJournal::Close() {
  StopSyncing();
  if (out_) SyncBoth();
  std::lock_guard<std::mutex> lock(write_lock_);
  out_.reset();
  media_ = nullptr;
}

}  // namespace record
