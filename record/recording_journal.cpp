#include "record/recording_journal.h"

#include <chrono>

#include "os/file.h"
#include "os/file_sync.h"
#include "os/thread_name.h"

namespace record {

std::string JournalPathFor(const std::string& recordingPath) { return recordingPath + ".journal"; }

std::unique_ptr<RecordingJournal> RecordingJournal::CreateBeside(const std::string& recordingPath) {
  const std::string path = JournalPathFor(recordingPath);
  std::unique_ptr<Mp4FileOutput> file = Mp4FileOutput::Create(path);
  if (!file) return nullptr;
  file->TryLock();  // a file system without locks still gets its journal
  os::SyncFolderOf(path.c_str());
  return std::make_unique<RecordingJournal>(std::move(file), path);
}

RecordingJournal::RecordingJournal(std::unique_ptr<Mp4Output> out, std::string path)
    : m_out(std::move(out)), m_path(std::move(path)) {}

RecordingJournal::~RecordingJournal() { Close(); }

bool RecordingJournal::Append(const std::vector<uint8_t>& record) {
  std::lock_guard<std::mutex> lock(m_writeLock);
  if (!m_healthy || !m_out) return false;
  // A record that went out in part would hide every later one.
  if (!m_out->Write(record.data(), record.size())) m_healthy = false;
  return m_healthy;
}

bool RecordingJournal::Header(uint16_t mode, uint32_t creationTime) {
  return Append(EncodeJournalHeader(mode, creationTime));
}

bool RecordingJournal::CreationTime(uint32_t creationTime) { return Append(EncodeJournalCreationTime(creationTime)); }

bool RecordingJournal::VideoConfig(const uint8_t* data, uint32_t length) {
  if (length > kMaxJournalPayload) {
    m_healthy = false;  // the journal could no longer describe the file
    return false;
  }
  return Append(EncodeJournalConfig(data, length));
}

bool RecordingJournal::Sample(const JournalSample& sample) {
  if (!Append(EncodeJournalSample(sample))) return false;
  std::lock_guard<std::mutex> lock(m_syncLock);
  m_samplesEnd = sample.offset + sample.length;
  return true;
}

void RecordingJournal::StartSyncing(Mp4Output* media) {
  if (m_syncThread.joinable() || !m_out) return;
  m_media = media;
  m_stop = false;
  m_syncThread = std::thread([this] {
    os::NameCurrentThread("journal sync");
    SyncLoop();
  });
}

void RecordingJournal::SyncBoth() {
  // Every sample recorded by now has its bytes written: once the media file
  // is synced they are on disk, and the mark says so.
  uint32_t end = 0;
  {
    std::lock_guard<std::mutex> lock(m_syncLock);
    if (m_samplesEnd == m_durableEnd) return;
    end = m_samplesEnd;
  }
  if (m_media && !m_media->Sync()) return;
  if (!Append(EncodeJournalDurable(end))) return;
  // Unlocked: the writer may append meanwhile, and StopSyncing joins this
  // thread before the journal closes.
  m_out->Sync();
  std::lock_guard<std::mutex> lock(m_syncLock);
  m_durableEnd = end;
}

void RecordingJournal::SyncLoop() {
  std::unique_lock<std::mutex> lock(m_syncLock);
  while (!m_stop) {
    m_wake.wait_for(lock, std::chrono::milliseconds(kSyncIntervalMs), [this] { return m_stop; });
    if (m_stop) break;
    lock.unlock();
    SyncBoth();
    lock.lock();
  }
}

void RecordingJournal::StopSyncing() {
  if (!m_syncThread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_syncLock);
    m_stop = true;
  }
  m_wake.notify_all();
  m_syncThread.join();
}

bool RecordingJournal::Finish() {
  StopSyncing();
  {
    std::lock_guard<std::mutex> lock(m_writeLock);
    m_out.reset();
  }
  m_media = nullptr;
  return m_path.empty() || os::RemoveFile(m_path);
}

void RecordingJournal::Close() {
  StopSyncing();
  if (m_out) SyncBoth();
  std::lock_guard<std::mutex> lock(m_writeLock);
  m_out.reset();
  m_media = nullptr;
}

}  // namespace record
