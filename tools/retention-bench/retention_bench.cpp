// retention-bench [FOLDER]: builds a root of 30 days x 24 hours x 64 cameras
// x 2 files (a recording and a motion file each hour: 92,160 empty files) in
// FOLDER (default: a folder under /tmp), then times retention passes over it
// on the real disk while another thread writes as a recording does (64 KB
// every 33 ms, flushed) and reports the longest of those writes.
//
// Figures: building the root, a dry pass (lists and ranks every file), a
// pass that deletes the oldest five days, the processor time of each, and
// the recording thread's longest write during the passes against without.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "node/storage/keep_list.h"
#include "node/storage/retention.h"
#include "node/storage/storage_fs.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDays = 30, kHours = 24, kCameras = 64;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void BuildRoot(const fs::path& root, int64_t first_day) {
  for (int camera = 0; camera < kCameras; ++camera) {
    char name[16];
    std::snprintf(name, sizeof name, "CAM-%02d", camera + 1);
    for (int day = 0; day < kDays; ++day) {
      const std::time_t midnight = static_cast<std::time_t>(first_day + int64_t(day) * 86400);
      std::tm tm{};
      gmtime_r(&midnight, &tm);
      char folder[16];
      std::strftime(folder, sizeof folder, "%Y-%m-%d", &tm);
      const fs::path dir = root / name / folder;
      fs::create_directories(dir);
      for (int hour = 0; hour < kHours; ++hour) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d0000", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, hour);
        const auto when = fs::file_time_type::clock::now() -
                          std::chrono::seconds(std::time(nullptr) - (midnight + (hour + 1) * 3600));
        for (const char* kind : {"", "_motion"}) {
          const fs::path file = dir / (std::string(name) + "_" + stamp + kind + ".mp4");
          std::ofstream(file).put('\0');
          fs::last_write_time(file, when);
        }
      }
    }
  }
}

// Writes as a recorder does and keeps the longest single write.
class RecordingWriter {
 public:
  explicit RecordingWriter(const fs::path& file) : file_(std::fopen(file.c_str(), "wb")), thread_([this] { Run(); }) {}
  ~RecordingWriter() {
    stop_ = true;
    thread_.join();
    std::fclose(file_);
  }
  double TakeLongestMs() { return longest_us_.exchange(0) / 1000.0; }

 private:
  void Run() {
    std::vector<char> chunk(64 * 1024, 'x');
    while (!stop_) {
      const auto start = Clock::now();
      std::fwrite(chunk.data(), 1, chunk.size(), file_);
      std::fflush(file_);
      const long us = long(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
      for (long seen = longest_us_; us > seen && !longest_us_.compare_exchange_weak(seen, us);) {
      }
      if (std::ftell(file_) > 64L * 1024 * 1024) std::fseek(file_, 0, SEEK_SET);
      std::this_thread::sleep_for(std::chrono::milliseconds(33));
    }
  }
  std::FILE* file_;
  std::atomic<bool> stop_{false};
  std::atomic<long> longest_us_{0};
  std::thread thread_;
};

node::RetentionReport Pass(node::StorageFileSystem& disk, const std::string& root, int days, bool dry) {
  node::RetentionRequest request;
  request.fs = &disk;
  request.root = root;
  request.limits.days = days;
  request.limits.free_set = true;  // the disk's own free space plays no part
  request.now = std::time(nullptr);
  request.dry_run = dry;
  return node::RunRetentionPass(request);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "halyard-retention-bench";
  const fs::path root = base / "root";
  fs::remove_all(base);
  fs::create_directories(root);
  const int64_t today = std::time(nullptr) / 86400 * 86400;
  const int64_t first_day = today - int64_t(kDays - 1) * 86400;

  auto start = Clock::now();
  BuildRoot(root, first_day);
  std::printf("root: %d files in %.1f s\n", kDays * kHours * kCameras * 2, Since(start));

  node::DiskStorage disk;
  RecordingWriter writer(base / "recording.bin");
  std::this_thread::sleep_for(std::chrono::seconds(2));
  std::printf("recording writes, longest without a pass: %.2f ms\n", writer.TakeLongestMs());

  double cpu = CpuSeconds();
  start = Clock::now();
  node::RetentionReport dry = Pass(disk, root.string(), kDays + 1, true);
  std::printf("dry pass: %zu recordings ranked in %.2f s, %.2f s of processor; longest write meanwhile %.2f ms\n",
              dry.files, Since(start), CpuSeconds() - cpu, writer.TakeLongestMs());

  cpu = CpuSeconds();
  start = Clock::now();
  node::RetentionReport real = Pass(disk, root.string(), kDays - 5, false);
  std::printf("pass keeping %d days: %zu deleted, %zu left in %.2f s, %.2f s of processor; longest write meanwhile %.2f ms\n",
              kDays - 5, real.deleted.size(), real.files, Since(start), CpuSeconds() - cpu, writer.TakeLongestMs());
  for (size_t i = 0; i < real.events.size() && i < 2; ++i) std::printf("  %s\n", real.events[i].text.c_str());
  fs::remove_all(base);
  return real.failed == 0 && dry.scanned ? 0 : 1;
}
