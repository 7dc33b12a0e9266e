// Eight cameras record to disk while one thread, as the hosting receive
// thread does, hands every camera's units to its node at 25 pictures and
// 15.6 sound frames per second. After a few seconds all eight recordings
// stop at once (each file is synced twice and its journal thread joined).
// Prints the longest hand-off of the receive thread before and while they
// finish, and how long Stop kept the window's thread.
//
//   recording-stop-bench [FOLDER] [--cameras N] [--seconds S]
// FOLDER (default: the temporary folder) should lie on the disk to measure.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/media_data.h"
#include "node/media/media_path.h"
#include "node/media/node_recorder.h"
#include "os/clock.h"

namespace {

class NoPoster : public os::WindowPoster {
 public:
  bool Post(os::WindowHandle, uint32_t, uintptr_t, intptr_t) override { return true; }
};

class Camera : public node::RecorderHost {
 public:
  bool CameraIdKnown() const override { return true; }
  bool LinkUp() const override { return true; }
  bool ChooseRecordingPath(std::string*) override { return false; }
};

// The stream's configuration (everything before the first picture) and its pictures.
struct Stream {
  std::vector<uint8_t> configuration;
  std::vector<std::vector<uint8_t>> pictures;
};

Stream Split(const std::vector<uint8_t>& bytes) {
  Stream stream;
  std::vector<size_t> starts;
  for (size_t i = 0; i + 3 < bytes.size(); ++i)
    if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1 && bytes[i + 3] == 0xB6) starts.push_back(i);
  if (starts.empty()) return stream;
  stream.configuration.assign(bytes.begin(), bytes.begin() + long(starts[0]));
  starts.push_back(bytes.size());
  for (size_t i = 0; i + 1 < starts.size(); ++i)
    stream.pictures.emplace_back(bytes.begin() + long(starts[i]), bytes.begin() + long(starts[i + 1]));
  return stream;
}

net::MediaData Unit(uint32_t kind, const std::vector<uint8_t>& payload, uint64_t ts) {
  net::MediaData media;
  media.kind = kind;
  media.timestamp_ms = ts;
  media.payload = payload.data();
  media.payload_length = static_cast<uint32_t>(payload.size());
  return media;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = std::filesystem::temp_directory_path().string();
  int cameras = 8, seconds = 4;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--cameras" && i + 1 < argc)
      cameras = std::atoi(argv[++i]);
    else if (a == "--seconds" && i + 1 < argc)
      seconds = std::atoi(argv[++i]);
    else
      folder = a;
  }
  const std::string source = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media/test_320x240.m4v";
  std::ifstream in(source, std::ios::binary);
  const Stream stream = Split(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {}));
  if (stream.pictures.empty()) {
    std::fprintf(stderr, "cannot read %s\n", source.c_str());
    return 2;
  }
  const std::string dir = folder + "/recording-stop-bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);

  NoPoster poster;
  Camera camera;
  std::vector<std::unique_ptr<node::NodeRecorder>> recorders;
  std::vector<std::unique_ptr<node::NodeMediaPath>> paths;
  for (int i = 0; i < cameras; ++i) {
    recorders.push_back(std::make_unique<node::NodeRecorder>(i, poster, 1, 2, camera));
    paths.push_back(std::make_unique<node::NodeMediaPath>(i, poster, 1, nullptr, nullptr, recorders.back().get()));
    paths.back()->DeliverMedia(Unit(net::kMediaVideoConfig, stream.configuration, 0));
    paths.back()->StartWorker();
  }
  // Each starts once its stream is configured, as a view does.
  for (int i = 0; i < cameras; ++i) {
    while (!paths[i]->HasConfiguration()) os::SleepMs(1);
    recorders[i]->Start(dir + "/camera" + std::to_string(i) + ".mp4");
  }

  // The receive thread: every 40 ms a picture for each camera, every 64 ms a sound frame.
  std::atomic<bool> stopping{false}, done{false};
  std::atomic<uint64_t> worstBefore{0}, worstDuring{0};
  std::thread receive([&] {
    const std::vector<uint8_t> sound(96, 0x42);
    const uint64_t start = os::MonotonicMs();
    uint64_t nextVideo = start, nextAudio = start;
    size_t picture = 0;
    while (!done) {
      const uint64_t now = os::MonotonicMs();
      const uint64_t due = std::min(nextVideo, nextAudio);
      if (now < due) {
        os::SleepMs(static_cast<int>(due - now));
        continue;
      }
      const bool video = nextVideo <= nextAudio;
      const auto before = std::chrono::steady_clock::now();
      for (auto& path : paths) {
        if (video)
          path->DeliverMedia(Unit(net::kMediaVideoFrame, stream.pictures[picture % stream.pictures.size()], nextVideo));
        else
          path->DeliverMedia(Unit(net::kMediaAudio, sound, nextAudio));
      }
      const uint64_t took = uint64_t(
          std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - before).count());
      std::atomic<uint64_t>& worst = stopping ? worstDuring : worstBefore;
      if (took > worst) worst = took;
      if (video) {
        nextVideo += 40;
        ++picture;
      } else {
        nextAudio += 64;
      }
    }
  });

  os::SleepMs(seconds * 1000);
  stopping = true;
  const auto stopStart = std::chrono::steady_clock::now();
  for (auto& recorder : recorders) recorder->Stop();
  const double stopMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - stopStart).count();
  const auto finishStart = std::chrono::steady_clock::now();
  for (auto& recorder : recorders) recorder->WaitFinished();
  const double finishMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - finishStart).count();
  os::SleepMs(500);
  done = true;
  receive.join();
  for (auto& path : paths) path->StopWorker();

  std::printf("cameras %d, recording %d s to %s\n", cameras, seconds, dir.c_str());
  std::printf("receive thread, longest hand-off to all cameras while recording: %.2f ms\n", static_cast<double>(worstBefore) / 1000.0);
  std::printf("receive thread, longest hand-off while %d recordings stop:     %.2f ms (goal: under 5 ms)\n", cameras,
              static_cast<double>(worstDuring) / 1000.0);
  std::printf("window thread, Stop of all %d recordings: %.2f ms; files finished %.1f ms later\n", cameras, stopMs,
              finishMs);
  std::filesystem::remove_all(dir);
  return 0;
}
