// Writes a data-partitioned stream with reversible texture for the conformance
// run, where ffmpeg decodes it as the reference. Seed 0 codes every word of
// the reversible table in turn; other seeds random content.
//   partitioned_stream SEED OUT.m4v [PICTURES [ordinary]]
#include <cstdio>
#include <cstdlib>

#include "codec/video/tests/partitioned_stream_writer.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: partitioned_stream SEED OUT.m4v [PICTURES [ordinary]]\n");
    return 2;
  }
  video_test::PartitionedStreamOptions o;
  o.seed = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  o.pictures = argc > 3 ? std::atoi(argv[3]) : 40;
  o.reversible = argc <= 4;
  o.dcAsCoefficient = false;
  if (o.seed == 0) o.blocks = video_test::EveryReversibleWord();
  o.intraPeriod = 20;
  const std::vector<uint8_t> stream = video_test::PartitionedStreamWriter(o).Write();
  FILE* f = std::fopen(argv[2], "wb");
  if (!f) {
    std::perror(argv[2]);
    return 1;
  }
  const bool ok = std::fwrite(stream.data(), 1, stream.size(), f) == stream.size();
  return std::fclose(f) == 0 && ok ? 0 : 1;
}
