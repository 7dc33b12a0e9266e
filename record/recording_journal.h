#pragma once
// The writing side of the journal (journal_format.h). Records go to the OS
// as they are made, so a killed process loses nothing the writer finished;
// a thread of the journal's own makes the media file durable every
// kSyncIntervalMs, marks in the journal how far, and makes the journal
// durable, so a power cut loses at most that much. Repair trusts the bytes
// before the last mark to be there and treats a sample after it whose bytes
// are wrong as cut off. The sync runs off the writer's thread: a slow disk
// must not hold up the node's receive and media threads that write samples.
#include <atomic>
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
std::string JournalPathFor(const std::string& recording_path);

class RecordingJournal {
 public:
  static constexpr int kSyncIntervalMs = 500;

  // Creates (replacing) the journal beside `recordingPath` and locks it, so
  // that a repair started meanwhile leaves this recording alone. Null when
  // it cannot be created.
  static std::unique_ptr<RecordingJournal> CreateBeside(const std::string& recording_path);
  // Keeps the journal in `out`; `path`, when given, is removed by Finish.
  explicit RecordingJournal(std::unique_ptr<Mp4Output> out, std::string path = std::string());
  // Close(): an unfinished recording keeps its journal.
  ~RecordingJournal();
  RecordingJournal(const RecordingJournal&) = delete;
  RecordingJournal& operator=(const RecordingJournal&) = delete;

  // Records; each is written whole or the journal stops taking records, so
  // what it holds stays a true account of the file's beginning.
  bool Header(uint16_t mode, uint32_t creation_time);
  bool CreationTime(uint32_t creation_time);
  bool VideoConfig(const uint8_t* data, uint32_t length);
  bool Sample(const JournalSample& sample);

  // Syncs `media`, then the journal, on the journal's thread until Finish or
  // Close; `media` must outlive that.
  void StartSyncing(Mp4Output* media);
  // Syncs and marks now, as the thread does every kSyncIntervalMs.
  void SyncNow() { SyncBoth(); }
  // The recording is finished: stops syncing, closes and removes the journal.
  bool Finish();
  // The recording stays unfinished: stops syncing, syncs once more, closes.
  void Close();

  bool Healthy() const { return healthy_.load(); }
  const std::string& Path() const { return path_; }

 private:
  bool Append(const std::vector<uint8_t>& record);
  void StopSyncing();
  void SyncLoop();
  void SyncBoth();

  std::unique_ptr<Mp4Output> out_;
  std::string path_;
  std::mutex write_lock_;  // records come from the writer and the sync thread
  std::atomic<bool> healthy_{true};

  Mp4Output* media_ = nullptr;
  std::thread sync_thread_;
  std::mutex sync_lock_;  // guards what follows
  std::condition_variable wake_;
  bool stop_ = false;
  uint32_t samples_end_ = 0;  // end of the last sample recorded
  uint32_t durable_end_ = 0;  // the last mark written
};

}  // namespace record
