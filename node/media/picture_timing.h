#pragma once
// Where one view's pictures spend their time on its media worker (decoding,
// post filter and copy out, drawing) and how long each took from its
// arrival to the end of its drawing. The worker adds; the view benchmark
// reads whenever it likes. Counters only: nothing here allocates or locks.
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace node {

class PictureTiming {
 public:
  // Latencies in half milliseconds; the last bucket holds everything from
  // half a second on.
  static constexpr int kLatencyBuckets = 1000;
  static constexpr double kBucketMs = 0.5;

  void Add(uint64_t decode_us, uint64_t produce_us, uint64_t show_us, uint64_t latency_us);

  struct Totals {
    uint64_t pictures = 0, decode_us = 0, produce_us = 0, show_us = 0;
    std::vector<uint64_t> latency;  // kLatencyBuckets counts
    // Adds another view's totals to these.
    void Merge(const Totals& other);
    // What was added since `earlier` (an earlier Read of the same timing).
    Totals Since(const Totals& earlier) const;
    // The latency below which `fraction` of the pictures lie, in
    // milliseconds (the upper edge of its bucket); 0 without pictures.
    double LatencyMs(double fraction) const;
  };
  Totals Read() const;

 private:
  std::atomic<uint64_t> pictures_{0}, decode_us_{0}, produce_us_{0}, show_us_{0};
  std::array<std::atomic<uint64_t>, kLatencyBuckets> latency_{};
};

}  // namespace node
