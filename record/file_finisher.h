#pragma once
// Finishes recordings off the threads that feed them. Finalising a file
// syncs it twice and joins its journal's sync thread: on a slow or failing
// disk that takes long, and neither the window's thread nor a node's media
// worker may wait for it (the view would freeze, the pictures stall).
//
// Threads: Finish and WaitIdle from any thread; the files and their `done`
// callbacks run on the finisher's own thread, one file after the other.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "record/mp4_file.h"

namespace record {

class FileFinisher {
 public:
  // Called on the finisher's thread with Finalise's result, the file closed.
  using Done = std::function<void(const Mp4File& file, bool finalised)>;

  FileFinisher() = default;
  // Finishes every file handed over, then ends the thread.
  ~FileFinisher();
  FileFinisher(const FileFinisher&) = delete;
  FileFinisher& operator=(const FileFinisher&) = delete;

  // `before`, when given, runs on the finisher's thread first: the last
  // samples that the feeding thread must not wait to write.
  using Before = std::function<void(Mp4File& file)>;
  void Finish(std::unique_ptr<Mp4File> file, Done done, Before before = nullptr);
  // Returns once every file handed over so far is finished.
  void WaitIdle();

 private:
  struct Job {
    std::unique_ptr<Mp4File> file;
    Done done;
    Before before;
  };
  void Run();

  std::mutex lock_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;  // started with the first file
};

}  // namespace record
