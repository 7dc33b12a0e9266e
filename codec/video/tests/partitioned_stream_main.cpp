// Writes a data-partitioned stream with reversible texture, for the
// conformance run (ffmpeg decodes it as the reference) and for test data.
// Seed 0 codes every word of the reversible table in turn, other seeds random
// content.
//   partitioned_stream SEED OUT.m4v [--pictures N] [--intra-period N] [--ordinary]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codec/video/tests/partitioned_stream_writer.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: partitioned_stream SEED OUT.m4v [--pictures N] [--intra-period N] "
               "[--ordinary]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  codec::video::testing::PartitionedStreamOptions o;
  o.seed = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  o.pictures = 40;
  o.intraPeriod = 20;
  o.dcAsCoefficient = false;
  for (int i = 3; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--ordinary")) {
      o.reversible = false;
    } else if (i + 1 < argc && !std::strcmp(argv[i], "--pictures")) {
      o.pictures = std::atoi(argv[++i]);
    } else if (i + 1 < argc && !std::strcmp(argv[i], "--intra-period")) {
      o.intraPeriod = std::atoi(argv[++i]);
    } else {
      return Usage();
    }
  }
  // Time increments count pictures within one second of 60 ticks.
  if (o.pictures < 1 || o.pictures > 59 || o.intraPeriod < 1) return Usage();
  if (o.seed == 0) o.blocks = codec::video::testing::EveryReversibleWord();
  const std::vector<uint8_t> stream = codec::video::testing::PartitionedStreamWriter(o).Write();
  FILE* f = std::fopen(argv[2], "wb");
  if (!f) {
    std::perror(argv[2]);
    return 1;
  }
  const bool ok = std::fwrite(stream.data(), 1, stream.size(), f) == stream.size();
  return std::fclose(f) == 0 && ok ? 0 : 1;
}
