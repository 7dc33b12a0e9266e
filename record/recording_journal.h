#pragma once
// The writing side of the journal (journal_format.h). Records go to the OS
// as they are made, so a killed process loses nothing the writer finished;
// a thread of the journal's own makes the media file and then the journal
// durable every kSyncIntervalMs, so a power cut loses at most that much. The
// sync runs off the writer's thread: a slow disk must not hold up the node's
// receive and media threads that write the samples.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "record/journal_format.h"
#include "record/mp4_output.h"

namespace record {

// "<recording>.journal"
std::string JournalPathFor(const std::string& recordingPath);

class RecordingJournal {
 public:
  static constexpr int kSyncIntervalMs = 500;

  // Creates (replacing) the journal beside `recordingPath` and locks it, so
  // that a repair started meanwhile leaves this recording alone. Null when
  // it cannot be created.
  static std::unique_ptr<RecordingJournal> CreateBeside(const std::string& recordingPath);
  // Keeps the journal in `out`; `path`, when given, is removed by Finish.
  explicit RecordingJournal(std::unique_ptr<Mp4Output> out, std::string path = std::string());
  // Close(): an unfinished recording keeps its journal.
  ~RecordingJournal();
  RecordingJournal(const RecordingJournal&) = delete;
  RecordingJournal& operator=(const RecordingJournal&) = delete;

  // Records; each is written whole or the journal stops taking records, so
  // what it holds stays a true account of the file's beginning.
  bool Header(uint16_t mode, uint32_t creationTime);
  bool CreationTime(uint32_t creationTime);
  bool VideoConfig(const uint8_t* data, uint32_t length);
  bool Sample(const JournalSample& sample);

  // Syncs `media`, then the journal, on the journal's thread until Finish or
  // Close; `media` must outlive that.
  void StartSyncing(Mp4Output* media);
  // The recording is finished: stops syncing, closes and removes the journal.
  bool Finish();
  // The recording stays unfinished: stops syncing, syncs once more, closes.
  void Close();

  bool Healthy() const { return m_healthy; }
  const std::string& Path() const { return m_path; }
  uint64_t Syncs() const;  // completed syncs, for tests and benchmarks

 private:
  bool Append(const std::vector<uint8_t>& record);
  void StopSyncing();
  void SyncLoop();
  void SyncBoth();

  std::unique_ptr<Mp4Output> m_out;
  std::string m_path;
  bool m_healthy = true;

  Mp4Output* m_media = nullptr;
  std::thread m_syncThread;
  mutable std::mutex m_syncLock;
  std::condition_variable m_wake;
  bool m_stop = false;
  bool m_dirty = false;   // records appended since the last sync
  uint64_t m_syncs = 0;
};

}  // namespace record
