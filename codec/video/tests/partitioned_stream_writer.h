#pragma once
// Writes data-partitioned streams with resync markers from seeded random
// content, the texture coded either with the reversible code or with the
// ordinary TCOEF code. No encoder available here writes reversible texture, so
// the tests make their own and compare: the two codings of the same content
// must decode alike, and ffmpeg must decode the reversible one as we do.
//
// The content is random but legal: intra, inter and not-coded macroblocks,
// zero vectors, AC prediction, DC coded apart or as the first coefficient,
// events that need the escape (long runs, large levels) and some that don't.
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "codec/video/bitstream/vlc_tables.h"
#include "codec/video/tests/test_bit_writer.h"

namespace codec::video::testing {

struct CoefEvent {
  int last, run, level;  // level signed, never 0
};

inline const char* CodeFor(const video::VlcCode* codes, int count, int value) {
  for (int i = 0; i < count; ++i)
    if (codes[i].value == value) return codes[i].bits;
  return nullptr;
}

inline void PutReversibleEvent(TestBitWriter& w, bool intra, const CoefEvent& e) {
  const int magnitude = e.level < 0 ? -e.level : e.level;
  for (int i = 0; i < video::kRvlcCount; ++i) {
    const video::RvlcCode& c = video::kRvlcCodes[i];
    const bool match =
        intra ? (c.intraLast == e.last && c.intraRun == e.run && c.intraLevel == magnitude)
              : (c.interLast == e.last && c.interRun == e.run && c.interLevel == magnitude);
    if (match) {
      w.PutCode(c.bits);
      w.PutBit(e.level < 0);
      return;
    }
  }
  w.PutCode(video::kRvlcEscape);
  w.PutBit(1);
  w.Put(e.last, 1);
  w.Put(e.run, 6);
  w.PutBit(1);
  w.Put(magnitude, 11);
  w.PutBit(1);
  w.PutCode(video::kRvlcEscape);
  w.PutBit(e.level < 0);
}

inline void PutOrdinaryEvent(TestBitWriter& w, bool intra, const CoefEvent& e) {
  const int magnitude = e.level < 0 ? -e.level : e.level;
  const video::TcoefCode* codes = intra ? video::kTcoefIntraCodes : video::kTcoefInterCodes;
  const int count = intra ? video::kTcoefIntraCount : video::kTcoefInterCount;
  for (int i = 0; i < count; ++i) {
    if (codes[i].last == e.last && codes[i].run == e.run && codes[i].level == magnitude) {
      w.PutCode(codes[i].bits);
      w.PutBit(e.level < 0);
      return;
    }
  }
  w.PutCode(video::kTcoefEscape);  // fixed-length escape
  w.PutCode("11");
  w.Put(e.last, 1);
  w.Put(e.run, 6);
  w.PutBit(1);
  w.Put(static_cast<uint32_t>(e.level) & 0xFFF, 12);
  w.PutBit(1);
}

struct PartitionedStreamOptions {
  int width = 176;
  int height = 144;
  int pictures = 24;
  int intraPeriod = 12;
  int packetMacroblocks = 11;
  int quant = 5;
  uint32_t seed = 1;
  bool reversible = true;
  // Every third picture codes the intra DC as the first coefficient. ffmpeg
  // reads DC sizes in partitioned pictures whatever intra_dc_vlc_thr says, so
  // streams meant for comparison with it keep the DC apart.
  bool dcAsCoefficient = true;
  // When set, supplies the events of every coded block instead of the random ones.
  std::function<std::vector<CoefEvent>(bool intra, int firstPosition)> blocks;
};

// A block source that cycles through every word of the reversible table, in
// the intra or the inter meaning, a few events per block.
class EveryReversibleWord {
 public:
  std::vector<CoefEvent> operator()(bool intra, int pos) {
    std::vector<CoefEvent> events;
    for (int i = 0; i < 4; ++i) {
      CoefEvent e = Next(intra, 0);
      if (pos + e.run >= 63) break;
      pos += e.run + 1;
      events.push_back(e);
    }
    CoefEvent end = Next(intra, 1);
    if (pos + end.run > 63) end = {1, 0, 1};
    events.push_back(end);
    return events;
  }

 private:
  CoefEvent Next(bool intra, int last) {
    size_t& at = next_[intra][last];
    for (;;) {
      const video::RvlcCode& c = video::kRvlcCodes[at++ % size_t(video::kRvlcCount)];
      if (c.intraLast != last) continue;
      const int sign = (at / size_t(video::kRvlcCount)) % 2 ? -1 : 1;  // each round flips it
      return intra ? CoefEvent{last, c.intraRun, sign * c.intraLevel}
                   : CoefEvent{last, c.interRun, sign * c.interLevel};
    }
  }
  size_t next_[2][2] = {};
};

class PartitionedStreamWriter {
 public:
  explicit PartitionedStreamWriter(const PartitionedStreamOptions& o) : o_(o), rng_(o.seed) {}

  // The whole elementary stream: headers, then one VOP per picture.
  std::vector<uint8_t> Write() {
    VolFields f;
    f.width = o_.width;
    f.height = o_.height;
    f.resolution = kResolution;
    f.resyncDisable = false;
    f.partitioned = true;
    f.reversible = o_.reversible;
    WriteVol(w_, f);
    for (int i = 0; i < o_.pictures; ++i) WritePicture(i);
    return w_.Bytes();
  }

  // Bit offset of each packet's texture partition, per picture.
  const std::vector<std::vector<size_t>>& TextureOffsets() const { return textureOffsets_; }

 private:
  struct Macroblock {
    bool notCoded = false, intra = false, acPred = false;
    int cbpc = 0, cbpy = 0;
    int dc[6] = {};
    std::vector<CoefEvent> blocks[6];
  };

  int Rand(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  int MbCount() const { return ((o_.width + 15) / 16) * ((o_.height + 15) / 16); }

  void WritePicture(int index) {
    const bool p = index % o_.intraPeriod != 0;
    dcApart_ = !o_.dcAsCoefficient || index % 3 != 2;
    const uint32_t increment = static_cast<uint32_t>(index % kResolution);
    WriteVopHeader(w_, p, IncrementBits(kResolution), increment, true, o_.quant, 1, 0,
                   dcApart_ ? 0 : 7);
    const int mbs = MbCount();
    const int markerBits = 17;  // I pictures, and P pictures with fcode 1
    textureOffsets_.emplace_back();
    int numberBits = 0;
    while ((1 << numberBits) < mbs) ++numberBits;
    for (int first = 0; first < mbs; first += o_.packetMacroblocks) {
      if (first > 0) {
        w_.Stuff();
        w_.Put(1, markerBits);
        w_.Put(static_cast<uint32_t>(first), numberBits);
        w_.Put(static_cast<uint32_t>(o_.quant), 5);
        w_.PutBit(0);  // no header extension
      }
      const int n = first + o_.packetMacroblocks > mbs ? mbs - first : o_.packetMacroblocks;
      WritePacket(p, n);
    }
    w_.Stuff();
  }

  void WritePacket(bool p, int n) {
    std::vector<Macroblock> mbs(static_cast<size_t>(n));
    for (Macroblock& m : mbs) m = RandomMacroblock(p);
    for (const Macroblock& m : mbs) WriteFirstPartition(p, m);
    w_.Put(p ? 0x1F001 : 0x6B001, p ? 17 : 19);
    for (const Macroblock& m : mbs) WriteSecondPartition(p, m);
    textureOffsets_.back().push_back(w_.BitCount());
    for (const Macroblock& m : mbs) WriteTexture(m);
  }

  Macroblock RandomMacroblock(bool p) {
    Macroblock m;
    int kind = p ? Rand(10) : 9;
    if (kind < 2) {
      m.notCoded = true;
      return m;
    }
    m.intra = kind >= 8;
    m.acPred = m.intra && Rand(3) == 0;
    m.cbpc = Rand(4);
    m.cbpy = Rand(16);
    for (int b = 0; b < 6; ++b) {
      if (m.intra && dcApart_) m.dc[b] = Rand(7) - 3;  // small: DC values stay in range
      if ((m.cbpy << 2 | m.cbpc) >> (5 - b) & 1) m.blocks[b] = RandomBlock(m.intra);
    }
    return m;
  }

  // One to eight events; one in six has a long run or a large level, which
  // mostly takes the escape.
  std::vector<CoefEvent> RandomBlock(bool intra) {
    int pos = intra && dcApart_ ? 1 : 0;
    if (o_.blocks) return o_.blocks(intra, pos);
    std::vector<CoefEvent> events;
    const int count = 1 + Rand(8);
    for (int i = 0; i < count && pos < 64; ++i) {
      const int run = Rand(6) == 0 ? Rand(64 - pos) : Rand(4 < 64 - pos ? 4 : 64 - pos);
      int magnitude = Rand(6) == 0 ? 1 + Rand(60) : 1 + Rand(3);
      if (pos + run == 0) magnitude = 1 + Rand(3);  // a DC differential: keep DC in range
      events.push_back({0, run, Rand(2) ? magnitude : -magnitude});
      pos += run + 1;
    }
    events.back().last = 1;
    return events;
  }

  void WriteFirstPartition(bool p, const Macroblock& m) {
    if (p) w_.PutBit(m.notCoded);
    if (m.notCoded) return;
    const int type = m.intra ? 3 : 0;
    w_.PutCode(CodeFor(p ? video::kMcbpcInterCodes : video::kMcbpcIntraCodes,
                       p ? video::kMcbpcInterCount : video::kMcbpcIntraCount, type << 2 | m.cbpc));
    if (!p && dcApart_) WriteDcValues(m);
    if (p && !m.intra) w_.PutCode("1 1");  // zero vector difference
  }

  void WriteSecondPartition(bool p, const Macroblock& m) {
    if (m.notCoded) return;
    if (m.intra) w_.PutBit(m.acPred);
    const int cbpy = m.intra ? m.cbpy : 15 - m.cbpy;
    w_.PutCode(CodeFor(video::kCbpyCodes, video::kCbpyCount, cbpy));
    if (p && m.intra && dcApart_) WriteDcValues(m);
  }

  void WriteDcValues(const Macroblock& m) {
    for (int b = 0; b < 6; ++b) {
      const int diff = m.dc[b];
      const int magnitude = diff < 0 ? -diff : diff;
      int size = 0;
      while ((1 << size) <= magnitude) ++size;
      w_.PutCode(b < 4 ? CodeFor(video::kDcSizeLumaCodes, video::kDcSizeLumaCount, size)
                       : CodeFor(video::kDcSizeChromaCodes, video::kDcSizeChromaCount, size));
      if (size) w_.Put(static_cast<uint32_t>(diff > 0 ? diff : diff + (1 << size) - 1), size);
    }
  }

  void WriteTexture(const Macroblock& m) {
    for (int b = 0; b < 6; ++b) {
      for (const CoefEvent& e : m.blocks[b]) {
        if (o_.reversible) {
          PutReversibleEvent(w_, m.intra, e);
        } else {
          PutOrdinaryEvent(w_, m.intra, e);
        }
      }
    }
  }

  static constexpr uint32_t kResolution = 60;  // time never wraps within 60 pictures

  PartitionedStreamOptions o_;
  std::mt19937 rng_;
  TestBitWriter w_;
  bool dcApart_ = true;
  std::vector<std::vector<size_t>> textureOffsets_;
};

}  // namespace codec::video::testing
