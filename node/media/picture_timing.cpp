#include "node/media/picture_timing.h"

#include <algorithm>

namespace node {

void PictureTiming::Add(uint64_t decode_us, uint64_t produce_us, uint64_t show_us, uint64_t latency_us) {
  decode_us_.fetch_add(decode_us, std::memory_order_relaxed);
  produce_us_.fetch_add(produce_us, std::memory_order_relaxed);
  show_us_.fetch_add(show_us, std::memory_order_relaxed);
  const auto bucket = static_cast<size_t>(std::min<uint64_t>(latency_us / 500, kLatencyBuckets - 1));
  latency_[bucket].fetch_add(1, std::memory_order_relaxed);
  pictures_.fetch_add(1, std::memory_order_relaxed);
}

PictureTiming::Totals PictureTiming::Read() const {
  Totals t;
  t.pictures = pictures_.load(std::memory_order_relaxed);
  t.decode_us = decode_us_.load(std::memory_order_relaxed);
  t.produce_us = produce_us_.load(std::memory_order_relaxed);
  t.show_us = show_us_.load(std::memory_order_relaxed);
  t.latency.resize(kLatencyBuckets);
  for (int i = 0; i < kLatencyBuckets; ++i) t.latency[size_t(i)] = latency_[size_t(i)].load(std::memory_order_relaxed);
  return t;
}

void PictureTiming::Totals::Merge(const Totals& other) {
  pictures += other.pictures;
  decode_us += other.decode_us;
  produce_us += other.produce_us;
  show_us += other.show_us;
  latency.resize(kLatencyBuckets);
  for (size_t i = 0; i < other.latency.size() && i < latency.size(); ++i) latency[i] += other.latency[i];
}

PictureTiming::Totals PictureTiming::Totals::Since(const Totals& earlier) const {
  Totals t = *this;
  t.pictures -= earlier.pictures;
  t.decode_us -= earlier.decode_us;
  t.produce_us -= earlier.produce_us;
  t.show_us -= earlier.show_us;
  for (size_t i = 0; i < t.latency.size() && i < earlier.latency.size(); ++i) t.latency[i] -= earlier.latency[i];
  return t;
}

double PictureTiming::Totals::LatencyMs(double fraction) const {
  uint64_t total = 0;
  for (uint64_t n : latency) total += n;
  if (total == 0) return 0;
  // The smallest bucket whose running count reaches the fraction.
  const double wanted = fraction * double(total);
  uint64_t seen = 0;
  for (size_t i = 0; i < latency.size(); ++i) {
    seen += latency[i];
    if (double(seen) >= wanted) return double(i + 1) * kBucketMs;
  }
  return double(latency.size()) * kBucketMs;
}

}  // namespace node
