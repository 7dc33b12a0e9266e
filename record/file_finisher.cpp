#include "record/file_finisher.h"

#include "os/thread_name.h"

namespace record {

FileFinisher::~FileFinisher() {
  {
    std::lock_guard<std::mutex> lock(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void FileFinisher::Finish(std::unique_ptr<Mp4File> file, Done done, Before before) {
  if (!file) return;
  std::lock_guard<std::mutex> lock(lock_);
  jobs_.push_back({std::move(file), std::move(done), std::move(before)});
  if (!thread_.joinable()) thread_ = std::thread([this] {
    os::NameCurrentThread("file finisher");
    Run();
  });
  wake_.notify_all();
}

void FileFinisher::WaitIdle() {
  std::unique_lock<std::mutex> lock(lock_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void FileFinisher::Run() {
  std::unique_lock<std::mutex> lock(lock_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, nothing left
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    if (job.before) job.before(*job.file);
    const bool finalised = job.file->Finalise();
    job.file->Close();
    if (job.done) job.done(*job.file, finalised);
    job.file.reset();
    lock.lock();
    busy_ = false;
    if (jobs_.empty()) idle_.notify_all();
  }
}

}  // namespace record
