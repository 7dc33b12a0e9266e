// journal-bench [FOLDER] [SECONDS]
//
// Writes the same recording, as fast as the writer takes it, with and
// without the journal that makes it repairable, and prints the throughput
// of each and what the journal costs; then repairs a copy cut off before
// Finalise and prints how fast repair reads it back. The recording is a
// camera's: 25 pictures a second (an I picture of 24 KB every second, P
// pictures of 6 KB, about 1.3 Mbit/s) with a 192-byte ADPCM frame every
// 64 ms; SECONDS of it (default 600), into FOLDER (default the temporary
// folder). Each way runs three times; the best run counts.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "record/mp4_file.h"
#include "record/recording_repair.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const uint8_t kHeaders[] = {0x00, 0x00, 0x01, 0xb0, 0x01, 0x00, 0x00, 0x01, 0xb5, 0x89, 0x13, 0x00, 0x00,
                            0x01, 0x00, 0x00, 0x00, 0x01, 0x20, 0x00, 0xc4, 0x8d, 0x88, 0x00, 0xf5, 0x14,
                            0x04, 0x3c, 0x14, 0x43};

struct Figures {
  double seconds = 1e9;
  double bytes = 0;
  double samples = 0;
};

std::vector<uint8_t> Picture(uint32_t index) {
  std::vector<uint8_t> p(index % 25 == 1 ? 24000 : 6000 + (index * 131) % 900);
  for (size_t k = 5; k < p.size(); ++k) p[k] = static_cast<uint8_t>(k * 7 + index);
  p[0] = 0, p[1] = 0, p[2] = 1, p[3] = 0xB6, p[4] = static_cast<uint8_t>((index % 25 == 1 ? 0 : 1) << 6);
  return p;
}

// Records `seconds` of stream; `journal` false opens the file without one.
// `finish` false leaves it cut off, as a crash would.
Figures Record(const std::string& path, int seconds, bool journal, bool finish) {
  std::vector<std::vector<uint8_t>> pictures;
  for (uint32_t i = 1; i <= 25; ++i) pictures.push_back(Picture(i));
  const std::vector<uint8_t> frame(192, 0x5A);
  Figures f;
  const Clock::time_point start = Clock::now();
  {
    record::Mp4File mp4;
    const bool open = journal ? mp4.Open(path) : mp4.Open(record::Mp4FileOutput::Create(path), nullptr);
    if (!open) {
      std::fprintf(stderr, "journal-bench: cannot create %s\n", path.c_str());
      std::exit(1);
    }
    mp4.WriteVideo(kHeaders, sizeof kHeaders, 0, 0);
    uint32_t audio = 0;
    for (uint32_t i = 1; i <= uint32_t(seconds) * 25; ++i) {
      const uint32_t time = (i - 1) * 40;
      for (; audio * 64 <= time; ++audio) {
        mp4.WriteAudio(frame.data(), 192, audio, audio * 64);
        f.bytes += 192;
        ++f.samples;
      }
      const std::vector<uint8_t>& p = pictures[(i - 1) % 25];
      mp4.WriteVideo(p.data(), static_cast<uint32_t>(p.size()), i, time);
      f.bytes += p.size();
      ++f.samples;
    }
    if (finish) mp4.Finalise();
  }
  f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return f;
}

void Print(const char* what, const Figures& f) {
  std::printf("%-18s %8.1f MB/s  %9.0f samples/s  %6.2f us/sample  (%.3f s)\n", what, f.bytes / f.seconds / 1e6,
              f.samples / f.seconds, f.seconds / f.samples * 1e6, f.seconds);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 600;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: journal-bench [FOLDER] [SECONDS]\n");
    return 2;
  }
  const std::string path = (folder / "journal-bench.mp4").string();
  std::printf("recording %d s of a 25 fps camera (about 1.3 Mbit/s) into %s\n", seconds, folder.string().c_str());
  Figures plain, journaled;
  for (int run = 0; run < 3; ++run) {
    for (bool journal : {false, true}) {
      const Figures f = Record(path, seconds, journal, true);
      Figures& best = journal ? journaled : plain;
      if (f.seconds < best.seconds) best = f;
    }
  }
  Print("without journal", plain);
  Print("with journal", journaled);
  std::printf("journal overhead   %+.1f %% time, %.2f us per sample; real time needs %.0f samples/s\n",
              (journaled.seconds / plain.seconds - 1) * 100, (journaled.seconds - plain.seconds) / plain.samples * 1e6,
              plain.samples / double(seconds));

  Record(path, seconds, true, false);
  const uint64_t journalBytes = fs::file_size(record::JournalPathFor(path));
  const Clock::time_point start = Clock::now();
  const record::RepairResult r = record::RepairRecording(path);
  const double repairSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("journal            %llu bytes for %d s (%.0f bytes/s)\n", static_cast<unsigned long long>(journalBytes),
              seconds, static_cast<double>(journalBytes) / double(seconds));
  std::printf("repair             %.3f s for %.1f MB: %s\n", repairSeconds, static_cast<double>(fs::file_size(path)) / 1e6, r.message.c_str());
  fs::remove(path);
  return r.Repaired() ? 0 : 1;
}
