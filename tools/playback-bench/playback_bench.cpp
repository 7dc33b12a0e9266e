// How fast recordings are found and played back (a program that prints
// figures, not a test):
//   index   a root of 16 cameras x 30 days x 24 hourly files in the plans'
//           layout, opened for the first time (every file read) and again
//           (from the index file), and after each camera's latest file changed
//   seek    a seek anywhere in a VGA recording until its picture is decoded
//           and handed to the view
//   back    one picture back, for every picture of a 2-second group of
//           pictures (the one before an intra picture decodes 59 others first)
//   16x     the player's own thread at 16 times for 10 s: pictures shown per
//           second of footage, and footage seconds that showed none
//
//   playback-bench [--root DIR] [--keep] [--skip-index] [--skip-play]
//
// The hourly files are whole recordings as the recorder writes them (VGA at
// 15 pictures a second with jittered camera times, sound every 64 ms, so
// their tables are as large as a real hour's, about 3 MB), but their
// pictures' bytes are left as holes in sparse files, and the 11520 names
// are hard links to 48 such files: the disk holds 150 MB instead of 8 TB.
// The index reads them as it would real ones, from the page cache (a first
// visit from a cold disk reads each file's time table, given below, on top).
// The VGA recording for playback is real: ffmpeg's MPEG-4 at 1.5 Mbit/s with
// an intra picture every 2 s, written by the recorder's writer.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "codec/video/video_encoder.h"
#include "node/playback/recording_player.h"
#include "os/clock.h"
#include "os/local_time.h"
#include "record/m4v_headers.h"
#include "record/mp4_file.h"
#include "record/recording_names.h"
#include "record/recordings_index.h"

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double NowMs() { return double(os::MonotonicUs()) / 1000.0; }

std::string LoadText(const char* path) {
  std::FILE* f = std::fopen(path, "r");
  if (!f) return "?";
  char line[128] = {};
  std::fgets(line, sizeof line, f);
  std::fclose(f);
  std::string s(line);
  while (!s.empty() && (s.back() == '\n')) s.pop_back();
  return s;
}

// Writes samples' bytes as holes: the tables and the file's layout are a
// real recording's, the media is not on the disk.
class SparseOutput : public record::Mp4Output {
 public:
  explicit SparseOutput(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~SparseOutput() override {
    if (file_) std::fclose(file_);
  }
  bool Write(const uint8_t* data, size_t length) override {
    if (holes_) return Seek(position_ + length);
    position_ += length;
    return std::fwrite(data, 1, length, file_) == length;
  }
  bool Seek(uint64_t position) override {
    position_ = position;
    return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
  }
  bool ok() const { return file_ != nullptr; }
  void StopHoles() { holes_ = false; }

 private:
  std::FILE* file_;
  uint64_t position_ = 0;
  bool holes_ = true;
};

// One hour of a VGA camera at 15 pictures a second, an intra picture every
// 2 s, sound every 64 ms; camera times jitter by a few ms, as real ones do.
bool WriteHour(const std::string& path, uint32_t seed, uint64_t* moovBytes, uint32_t seconds = 3600) {
  auto out = std::make_unique<SparseOutput>(path);
  SparseOutput* sparse = out.get();
  if (!out->ok()) return false;
  record::Mp4File mp4;
  if (!mp4.Open(std::unique_ptr<record::Mp4Output>(std::move(out)), nullptr)) return false;
  codec::VideoEncoder headers;
  headers.Initialise(640, 480);
  size_t length = 0;
  const uint8_t* config = headers.Headers(&length);
  mp4.WriteVideo(config, static_cast<uint32_t>(length), 0, 0);
  std::vector<uint8_t> picture(48000, 0x5A), sound(96, 0x33);
  std::mt19937 random(seed);
  uint32_t soundTime = 0;
  for (uint32_t i = 0; i < 15 * seconds; ++i) {
    const uint32_t time = i * 1000 / 15 + (i ? random() % 5 : 0);
    for (; soundTime <= time; soundTime += 64 + random() % 3 - 1)
      mp4.WriteAudio(sound.data(), static_cast<uint32_t>(sound.size()), 0, soundTime);
    const bool intra = i % 30 == 0;
    picture[0] = picture[1] = 0, picture[2] = 1, picture[3] = 0xB6, picture[4] = intra ? 0x10 : 0x50;
    const uint32_t size = intra ? 40000 : 9000 + random() % 4000;
    if (!mp4.WriteVideo(picture.data(), size, i + 1, time)) return false;
  }
  const uint64_t media = mp4.Position();
  sparse->StopHoles();
  if (!mp4.Finalise()) return false;
  *moovBytes = mp4.Position() - media;
  return true;
}

void IndexBench(const std::string& root, bool keep) {
  constexpr int kCameras = 16, kDays = 30, kPool = 48;
  int64_t first = 0;
  record::LocalToWallSeconds(2026, 10, 1, 0, 0, 0, &first);
  const fs::path pool = fs::path(root) / ".pool";
  uint64_t moov = 0;
  const double made = NowMs();
  size_t files = 0;
  if (!fs::exists(pool / "done")) {
    fs::remove_all(root);
    fs::create_directories(pool);
    for (int k = 0; k < kPool; ++k)
      if (!WriteHour((pool / ("hour" + std::to_string(k) + ".mp4")).string(), uint32_t(k + 1), &moov)) {
        std::printf("cannot write the pool in %s\n", root.c_str());
        return;
      }
    for (int c = 0; c < kCameras; ++c) {
      char camera[16];
      std::snprintf(camera, sizeof camera, "CAM-%02d", c + 1);
      for (int d = 0; d < kDays; ++d)
        for (int h = 0; h < 24; ++h) {
          const int64_t at = first + (int64_t(d) * 24 + h) * 3600;
          const fs::path folder = fs::path(root) / camera / record::DayText(record::LocalDay(at));
          fs::create_directories(folder);
          const std::string name = camera + os::FormatLocalTime("_%Y%m%d_%H%M%S.mp4", at);
          fs::create_hard_link(pool / ("hour" + std::to_string((c * 7 + d * 24 + h) % kPool) + ".mp4"),
                               folder / name);
          ++files;
        }
    }
    std::FILE* done = std::fopen((pool / "done").string().c_str(), "w");
    if (done) std::fclose(done);
    std::printf("made %zu hourly files (hard links to %d sparse files with tables of %.1f MB each) in %.1f s\n",
                files, kPool, double(moov) / 1e6, (NowMs() - made) / 1000.0);
  }
  const std::string poolFile = (pool / "hour0.mp4").string();
  std::printf("one hourly file: %.1f MB, of which the movie box (the tables) %.2f MB and the video time table %.2f MB\n",
              double(fs::file_size(poolFile)) / 1e6, double(moov) / 1e6, 15.0 * 3600 * 8 / 1e6);

  fs::remove(fs::path(root) / record::kIndexCacheName);
  auto measure = [&](const char* what, record::RecordingsIndex& index) {
    record::IndexStats stats;
    const double cpu = CpuSeconds(), wall = NowMs();
    const auto catalog = index.Refresh(&stats);
    const double took = NowMs() - wall, cpuTook = (CpuSeconds() - cpu) * 1000.0;
    size_t spans = 0;
    for (const auto& c : catalog->Cameras()) spans += c.recorded.size();
    std::printf("  %-44s %7.0f ms (cpu %6.0f ms)  files %zu, read %zu, from the index %zu, cameras %zu, spans %zu\n",
                what, took, cpuTook, stats.files, stats.read, stats.cached, catalog->Cameras().size(), spans);
    return catalog;
  };
  std::printf("index (goal: first visit under 5 s, later under 1 s):\n");
  {
    record::RecordingsIndex index({root}, "");
    measure("first visit (no index file)", index);
  }
  {
    record::RecordingsIndex index({root}, "");
    const auto catalog = measure("second visit (a new window)", index);
    const double t = NowMs();
    const auto* camera = catalog->Find("CAM-01");
    const auto days = camera->Days();
    const record::DayView view = record::RecordingsCatalog::Day(*camera, days[days.size() / 2]);
    std::printf("  %-44s %7.2f ms  (%zu spans, %zu files)\n", "a camera's day for the timeline", NowMs() - t,
                view.recorded.size(), view.files.size());
    // Each camera's latest hour changes: 20 minutes of it so far.
    for (int c = 0; c < kCameras; ++c) {
      char camera[16];
      std::snprintf(camera, sizeof camera, "CAM-%02d", c + 1);
      const int64_t at = first + (int64_t(kDays) * 24 - 1) * 3600;
      const fs::path file = fs::path(root) / camera / record::DayText(record::LocalDay(at)) /
                            (camera + os::FormatLocalTime("_%Y%m%d_%H%M%S.mp4", at));
      fs::remove(file);
      uint64_t ignored = 0;
      WriteHour(file.string(), uint32_t(100 + c), &ignored, 1200);
    }
    measure("again, 16 files changed (same window)", index);
  }
  if (!keep) fs::remove_all(root);
}

// A VGA stream to play, intra every 2 s, as the decoder benchmark makes them.
struct Source {
  const char* name;
  const char* lavfi;
  const char* encode;
};
const Source kSources[] = {
    {"still (a test card, a small part moving, 1.5 Mbit/s)", "testsrc2=size=640x480:rate=30", "-b:v 1500k"},
    {"pan (drifting under sensor noise, 4 vectors, 4 Mbit/s)",
     "testsrc2=size=640x480:rate=30,scroll=h=0.0007:v=0.0004,noise=alls=12:allf=t", "-b:v 4M -flags +mv4"},
};

std::vector<std::string> MakeVga(const std::string& folder, const Source& source, int64_t* start) {
  std::vector<std::string> files;
  const std::string m4v = folder + "/vga.m4v";
  const std::string command = std::string("ffmpeg -v error -y -f lavfi -i \"") + source.lavfi + "\" -t 60 -c:v mpeg4 " +
                              source.encode + " -g 60 -bf 0 -f m4v " + m4v;
  if (std::system(command.c_str()) != 0) return files;
  std::vector<uint8_t> all;
  if (std::FILE* f = std::fopen(m4v.c_str(), "rb")) {
    uint8_t buffer[1 << 16];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) all.insert(all.end(), buffer, buffer + n);
    std::fclose(f);
  }
  record::M4vSpan header{0, 0};
  std::vector<record::M4vSpan> pictures;
  record::SplitM4vStream(all.data(), all.size(), &header, &pictures);
  record::LocalToWallSeconds(2026, 10, 1, 12, 0, 0, start);
  // Four files of a minute, each continuing the one before.
  for (int k = 0; k < 4; ++k) {
    const std::string path = folder + "/CAM-VGA" + os::FormatLocalTime("_%Y%m%d_%H%M%S.mp4", *start + 60 * k);
    record::Mp4File mp4;
    if (!mp4.Open(path)) return {};
    mp4.SetCreationTime(static_cast<uint32_t>(*start + 60 * k + 2082844800));
    mp4.WriteVideo(all.data() + header.offset, static_cast<uint32_t>(header.length), 0, 0);
    std::vector<uint8_t> sound(96, 0x33);
    for (size_t i = 0; i < pictures.size(); ++i) {
      const uint32_t time = static_cast<uint32_t>(i * 1000 / 30);
      if (i % 2 == 0) mp4.WriteAudio(sound.data(), 96, 0, time);
      mp4.WriteVideo(all.data() + pictures[i].offset, static_cast<uint32_t>(pictures[i].length),
                     static_cast<uint32_t>(i + 1), time);
    }
    if (!mp4.Finalise()) return {};
    files.push_back(path);
  }
  return files;
}

struct TimedSink : present::PictureSink {
  void ShowPicture(const codec::DecodedPicture&) override { shownAt = NowMs(), ++count; }
  void Resize(int, int) override {}
  double shownAt = 0;
  std::atomic<int> count{0};
};

void Stats(const char* what, std::vector<double> ms, const char* goal) {
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double m : ms) sum += m;
  std::printf("  %-44s median %6.1f ms, mean %6.1f ms, worst %6.1f ms over %zu  (goal: %s)\n", what,
              ms[ms.size() / 2], sum / double(ms.size()), ms.back(), ms.size(), goal);
}

void PlayBench(const Source& source) {
  const fs::path folder = fs::temp_directory_path() / "halyard_playback_bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  int64_t start = 0;
  const std::vector<std::string> files = MakeVga(folder.string(), source, &start);
  if (files.empty()) {
    std::printf("playback: cannot make the VGA recording (ffmpeg needed)\n");
    return;
  }
  record::RecordingsIndex index({folder.string()}, "");
  const auto catalog = index.Refresh();
  const int64_t begin = start * 1000, length = 4 * 60000;
  std::printf("playback of 4 files of a minute of VGA, 30 pictures a second, an intra picture every 2 s: %s\n",
              source.name);

  {
    double now = 0;
    node::RecordingPlayer player([&] { return uint64_t(now); });
    TimedSink sink;
    player.SetCatalog(catalog);
    player.SetCameras({{"CAM-VGA", &sink}});
    std::mt19937 random(7);
    std::vector<double> seeks, backs;
    for (int i = 0; i < 60; ++i) {
      const double t = NowMs();
      player.Seek(begin + int64_t(random() % uint32_t(length)));
      player.RunOnce();
      seeks.push_back(sink.shownAt - t);
    }
    Stats("seek anywhere, picture decoded and shown", seeks, "under 300 ms");
    std::printf("  %-44s %.1f pictures decoded per seek\n", "", double(player.PicturesDecoded()) / 60.0);
    const uint64_t decodedBefore = player.PicturesDecoded();
    // Every picture of one group of pictures, stepped back from the next intra picture.
    player.Seek(begin + 90000 + 2000);
    player.RunOnce();
    for (int i = 0; i < 60; ++i) {
      const double t = NowMs();
      player.Step(-1);
      player.RunOnce();
      backs.push_back(sink.shownAt - t);
    }
    Stats("one picture back (a whole 2 s group)", backs, "under 150 ms");
    std::printf("  %-44s %.1f pictures decoded per step back\n", "", double(player.PicturesDecoded() - decodedBefore) / 60.0);
  }
  {
    node::RecordingPlayer player;
    TimedSink sink;
    std::mutex lock;
    std::set<int64_t> seconds;
    player.SetStatusListener([&](const node::PlayerStatus& s) {
      if (!s.views.empty() && !s.views[0].noRecording) {
        std::lock_guard<std::mutex> l(lock);
        seconds.insert(s.views[0].pictureTime / 1000);
      }
    });
    player.SetCatalog(catalog);
    player.SetCameras({{"CAM-VGA", &sink}});
    player.Seek(begin + 5000);
    player.SetSpeed({16, 1});
    player.SetPaused(false);
    const double cpu = CpuSeconds();
    player.Start();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    player.Stop();
    const double cpuTook = CpuSeconds() - cpu;
    const node::PlayerStatus status = player.Status();
    const int64_t footage = (std::min(status.position, begin + length) - (begin + 5000)) / 1000;
    std::lock_guard<std::mutex> l(lock);
    size_t missing = 0;
    for (int64_t s = (begin + 5000) / 1000; s < (begin + 5000) / 1000 + footage; ++s) missing += !seconds.count(s);
    std::printf("  %-44s %lld s of footage in 10 s: %d pictures shown (%.1f per footage second), %llu decoded;\n"
                "  %-44s %zu footage seconds without a picture; cpu %.1f s  (goal: at least 1 per footage second)\n",
                "16x, the player's thread", static_cast<long long>(footage), sink.count.load(),
                double(sink.count.load()) / double(std::max<int64_t>(footage, 1)),
                static_cast<unsigned long long>(player.PicturesDecoded()), "", missing, cpuTook);
  }
  fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  std::string root = (fs::temp_directory_path() / "halyard_index_bench").string();
  bool keep = false, index = true, play = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--root" && i + 1 < argc) root = argv[++i];
    else if (a == "--keep") keep = true;
    else if (a == "--skip-index") index = false;
    else if (a == "--skip-play") play = false;
    else {
      std::fprintf(stderr, "usage: playback-bench [--root DIR] [--keep] [--skip-index] [--skip-play]\n");
      return 2;
    }
  }
  std::printf("load average before: %s; %u processors\n", LoadText("/proc/loadavg").c_str(),
              std::thread::hardware_concurrency());
  if (index) IndexBench(root, keep);
  if (play)
    for (const Source& source : kSources) PlayBench(source);
  std::printf("load average after: %s\n", LoadText("/proc/loadavg").c_str());
  return 0;
}
