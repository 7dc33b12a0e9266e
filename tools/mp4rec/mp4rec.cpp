// mp4rec [--fps N] [--start MS] [--audio IN.adpcm] IN.m4v OUT.mp4
//
// Builds a recording from an MPEG-4 elementary stream with exactly the calls
// the node's recorder makes: the stream's headers (everything before the
// first picture) as video unit 0 at time 0, one unit per picture at 1000/N ms
// steps (the first at --start), and with --audio a 192-byte ADPCM frame every
// 64 ms, handed over in time order.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "os/file.h"
#include "record/m4v_headers.h"
#include "record/mp4_file.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: mp4rec [--fps N] [--start MS] [--audio IN.adpcm] IN.m4v OUT.mp4\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int fps = 25;
  long start = 0;
  const char* audioPath = nullptr;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--fps") && i + 1 < argc) {
      fps = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--start") && i + 1 < argc) {
      start = std::atol(argv[++i]);
    } else if (!std::strcmp(argv[i], "--audio") && i + 1 < argc) {
      audioPath = argv[++i];
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage();
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() != 2 || fps <= 0 || fps > 1000 || start < 0) return Usage();

  std::vector<uint8_t> stream, audio;
  if (!os::ReadWholeFile(files[0], &stream)) {
    std::fprintf(stderr, "mp4rec: cannot read %s\n", files[0]);
    return 1;
  }
  if (audioPath && !os::ReadWholeFile(audioPath, &audio)) {
    std::fprintf(stderr, "mp4rec: cannot read %s\n", audioPath);
    return 1;
  }
  record::M4vSpan header;
  std::vector<record::M4vSpan> pictures;
  record::SplitM4vStream(stream.data(), stream.size(), &header, &pictures);
  if (header.length == 0) {
    std::fprintf(stderr, "mp4rec: %s has no stream headers before its first picture\n", files[0]);
    return 1;
  }

  record::Mp4File mp4;
  mp4.Initialise(static_cast<int>(record::RecordMode::kMpeg4Adpcm));
  if (!mp4.Open(files[1])) {
    std::fprintf(stderr, "mp4rec: cannot create %s\n", files[1]);
    return 1;
  }
  int failures = 0;
  if (!mp4.WriteVideo(stream.data(), static_cast<uint32_t>(header.length), 0, 0)) {
    std::fprintf(stderr, "mp4rec: the stream headers were refused\n");
    return 1;
  }
  const size_t audioUnits = audio.size() / 192;
  if (audio.size() % 192) std::fprintf(stderr, "mp4rec: ignoring %zu bytes after the last whole audio frame\n", audio.size() % 192);
  size_t v = 0, a = 0;
  while (v < pictures.size() || a < audioUnits) {
    const uint64_t videoTime = start + v * 1000ull / fps;
    const uint64_t audioTime = a * 64ull;
    if (v < pictures.size() && (a >= audioUnits || videoTime <= audioTime)) {
      const record::M4vSpan& p = pictures[v];
      if (!mp4.WriteVideo(stream.data() + p.offset, static_cast<uint32_t>(p.length), static_cast<uint32_t>(v + 1),
                          static_cast<uint32_t>(videoTime))) {
        std::fprintf(stderr, "mp4rec: picture %zu not written\n", v + 1);
        ++failures;
      }
      ++v;
    } else {
      if (!mp4.WriteAudio(audio.data() + a * 192, 192, static_cast<uint32_t>(a), static_cast<uint32_t>(audioTime))) {
        std::fprintf(stderr, "mp4rec: audio frame %zu not written\n", a);
        ++failures;
      }
      ++a;
    }
  }
  if (!mp4.Finalise()) {
    std::fprintf(stderr, "mp4rec: finishing %s failed\n", files[1]);
    return 1;
  }
  mp4.Close();
  std::printf("%s: %dx%d, %zu pictures, %zu audio frames\n", files[1], mp4.PictureWidth(), mp4.PictureHeight(),
              pictures.size(), audioUnits);
  return failures ? 1 : 0;
}
