#include "record/file_finisher.h"

#include "os/thread_name.h"

namespace record {

FileFinisher::~FileFinisher() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void FileFinisher::Finish(std::unique_ptr<Mp4File> file, Done done, Before before) {
  if (!file) return;
  std::lock_guard<std::mutex> lock(m_lock);
  m_jobs.push_back({std::move(file), std::move(done), std::move(before)});
  if (!m_thread.joinable()) m_thread = std::thread([this] {
    os::NameCurrentThread("file finisher");
    Run();
  });
  m_wake.notify_all();
}

void FileFinisher::WaitIdle() {
  std::unique_lock<std::mutex> lock(m_lock);
  m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void FileFinisher::Run() {
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
    if (m_jobs.empty()) return;  // stopping, nothing left
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    m_busy = true;
    lock.unlock();
    if (job.before) job.before(*job.file);
    const bool finalised = job.file->Finalise();
    job.file->Close();
    if (job.done) job.done(*job.file, finalised);
    job.file.reset();
    lock.lock();
    m_busy = false;
    if (m_jobs.empty()) m_idle.notify_all();
  }
}

}  // namespace record
