// Variable-length syntax elements of the macroblock layer.
#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {

bool ReadMcbpc(DecoderContext& d, bool p_vop, int* mb_type, int* cbpc) {
  BitReader& br = d.hc.br;
  const VlcEntry& e = (p_vop ? d.vlc->mcbpcInter : d.vlc->mcbpcIntra)[br.Show(VlcTables::kMcbpcBits)];
  if (!e.len) return false;
  br.Skip(e.len);
  if (e.value == kVlcStuffing) {
    *mb_type = kMbStuffing;
    *cbpc = 0;
    return true;
  }
  *mb_type = e.value >> 2;
  *cbpc = e.value & 3;
  return true;
}

int ReadCbpy(DecoderContext& d) {
  BitReader& br = d.hc.br;
  const VlcEntry& e = d.vlc->cbpy[br.Show(VlcTables::kCbpyBits)];
  if (!e.len) return -1;
  br.Skip(e.len);
  return e.value;
}

void ApplyDquant(DecoderContext& d) {
  static const int kDquant[4] = {-1, -2, 1, 2};
  d.quant = ClampInt(d.quant + kDquant[d.hc.br.Get(2)], 1, 31);
}

bool UsesIntraDcVlc(const DecoderContext& d) {
  static const int kThreshold[8] = {64, 13, 15, 17, 19, 21, 23, 0};
  return d.quant < kThreshold[d.hc.h.intraDcVlcThr & 7];
}

namespace {

inline bool ReadMvComponent(BitReader& br, const VlcEntry* mvd, int fcode, int pred, int* out) {
  const VlcEntry& e = mvd[br.Show(VlcTables::kMvdBits)];
  if (!e.len) return false;
  br.Skip(e.len);
  const int f = 1 << (fcode - 1);
  int diff = e.value;
  if (diff) {
    bool negative = br.Get1();
    if (f > 1) diff = (diff - 1) * f + static_cast<int>(br.Get(fcode - 1)) + 1;
    if (negative) diff = -diff;
  }
  int v = pred + diff;
  const int low = -32 * f, high = 32 * f - 1;
  if (v < low) v += 64 * f;
  if (v > high) v -= 64 * f;
  *out = v;
  return true;
}

// Candidate (macroblock offset, block) pairs per luma block: left, above, above-right.
struct Candidate {
  int dx, dy, block;
};
const Candidate kCandidates[4][3] = {
    {{-1, 0, 1}, {0, -1, 2}, {1, -1, 2}},
    {{0, 0, 0}, {0, -1, 3}, {1, -1, 2}},
    {{-1, 0, 3}, {0, 0, 0}, {0, 0, 1}},
    {{0, 0, 2}, {0, 0, 0}, {0, 0, 1}},
};

inline int Median(int a, int b, int c) {
  int lo = a < b ? a : b, hi = a < b ? b : a;
  return c < lo ? lo : (c > hi ? hi : c);
}

void PredictVector(DecoderContext& d, int mb, int block, int* px, int* py) {
  const int mbx = d.MbX(mb), mby = d.MbY(mb);
  int vx[3], vy[3];
  bool valid[3];
  int invalid = 0;
  for (int i = 0; i < 3; ++i) {
    const Candidate& c = kCandidates[block][i];
    int x = mbx + c.dx, y = mby + c.dy;
    int index = y * d.mbWidth + x;
    valid[i] = x >= 0 && x < d.mbWidth && y >= 0 && index >= d.packetStart;
    if (valid[i]) {
      const MacroblockInfo& n = d.Cur()[index];
      vx[i] = n.mvx[c.block];
      vy[i] = n.mvy[c.block];
    } else {
      vx[i] = vy[i] = 0;
      ++invalid;
    }
  }
  if (invalid == 3) {
    *px = *py = 0;
    return;
  }
  if (invalid == 2) {
    for (int i = 0; i < 3; ++i) {
      if (valid[i]) {
        *px = vx[i];
        *py = vy[i];
      }
    }
    return;
  }
  *px = Median(vx[0], vx[1], vx[2]);
  *py = Median(vy[0], vy[1], vy[2]);
}

}  // namespace

// With a local copy of the bit reader, which stays in registers.
bool ReadMotionVectors(DecoderContext& d, int mb) {
  MacroblockInfo& m = d.Cur()[mb];
  const int count = m.mbType == kMbInter4V ? 4 : 1;
  const VlcEntry* mvd = d.vlc->mvd;
  const int fcode = d.hc.h.fcode;
  BitReader br = d.hc.br;
  bool ok = true;
  for (int b = 0; b < count; ++b) {
    int px = 0, py = 0, x = 0, y = 0;
    PredictVector(d, mb, b, &px, &py);
    ok = ReadMvComponent(br, mvd, fcode, px, &x) && ReadMvComponent(br, mvd, fcode, py, &y);
    if (!ok) break;
    if (count == 1) {
      for (int i = 0; i < 4; ++i) {
        m.mvx[i] = static_cast<int16_t>(x);
        m.mvy[i] = static_cast<int16_t>(y);
      }
    } else {
      m.mvx[b] = static_cast<int16_t>(x);
      m.mvy[b] = static_cast<int16_t>(y);
    }
  }
  d.hc.br = br;
  return ok;
}

namespace {

// What an event's level becomes in the block: the level itself, or for inter
// blocks at once its inverse quantisation (the rule of the plain slot 1),
// which spares a second pass over all 64 coefficients.
// FromTable takes a table code's magnitude (1..31) and its sign as 0 or -1,
// and applies the sign without a branch, which the processor cannot foresee.
struct KeepLevel {
  int operator()(int level) const { return level; }
  int FromTable(int magnitude, int sign) const { return (magnitude ^ sign) - sign; }
};
struct Dequantise {
  int mul, add;
  explicit Dequantise(int quant) : mul(2 * quant), add((quant & 1) ? quant : quant - 1) {}
  int operator()(int level) const {
    const int sign = level >> 31;  // 0 or -1
    return ClampInt(level * mul + ((add ^ sign) - sign), -2048, 2047);
  }
  // 31 * 62 + 31 stays inside 2047: a table code needs no clipping.
  int FromTable(int magnitude, int sign) const { return ((magnitude * mul + add) ^ sign) - sign; }
};

// One event of an escape code, after the escape word: false on an invalid code.
inline bool ReadEscapedEvent(BitReader& br, const TcoefTable& t, bool short_header, int* last, int* run, int* level) {
  if (short_header) {
    *last = static_cast<int>(br.Get1());
    *run = static_cast<int>(br.Get(6));
    *level = static_cast<int8_t>(br.Get(8));
    return *level != 0;
  }
  if (br.Show(2) != 3) {
    // Escape types 1 (0) and 2 (10): a second code whose level or run is offset.
    bool levelOffset = br.Get1() == 0;
    if (!levelOffset) br.Skip(1);
    const TcoefCodeEntry& e2 = t.entries[br.Show(TcoefTable::kBits)];
    if (!e2.level) return false;
    br.Skip(e2.taken - 1);  // the sign is read below
    *last = e2.last;
    *run = e2.run;
    *level = e2.level;
    if (levelOffset) {
      *level += t.maxLevel[*last][*run];
    } else {
      *run += t.maxRun[*last][*level] + 1;
    }
    if (br.Get1()) *level = -*level;
    return true;
  }
  br.Skip(2);  // escape type 3: fixed-length last, run, level
  *last = static_cast<int>(br.Get1());
  *run = static_cast<int>(br.Get(6));
  br.Skip(1);
  *level = static_cast<int>(br.Get(12));
  if (*level >= 2048) *level -= 4096;
  br.Skip(1);
  return *level != 0;
}

template <typename Place>
int ReadEventsWith(BitReader& br, bool short_header, int16_t* block, const uint8_t* scan, int first,
                   const TcoefTable& t, Place place) {
  int pos = first;
  for (;;) {
    // The code and its sign bit in one look: codes are at most 12 bits.
    const uint32_t bits = br.Show(TcoefTable::kBits + 1);
    const TcoefCodeEntry e = t.entries[bits >> 1];
    int last, run, value;
    if (e.level) {
      last = e.last;
      run = e.run;
      const int sign = -static_cast<int>((bits >> (TcoefTable::kBits + 1 - e.taken)) & 1);
      value = place.FromTable(e.level, sign);
      br.SkipShown(e.taken);
    } else {
      if (!e.taken) return -1;
      br.Skip(e.taken);
      int level;
      if (!ReadEscapedEvent(br, t, short_header, &last, &run, &level)) return -1;
      value = place(level);
    }
    if (!PlaceEvent(block, scan, &pos, run, value)) return -1;
    if (last) return pos;
  }
}

// The reader works on a local copy, which the compiler keeps in registers
// instead of storing and reloading the context's after every event.
template <typename Place>
int ReadEvents(DecoderContext& d, int16_t* block, const uint8_t* scan, int first, const TcoefTable& t,
               Place place) {
  BitReader br = d.hc.br;
  const int end = ReadEventsWith(br, d.hc.h.shortVideoHeader, block, scan, first, t, place);
  d.hc.br = br;
  return end;
}

}  // namespace

int ReadCoefficients(DecoderContext& d, int16_t* block, const uint8_t* scan, int first, bool intra) {
  if (d.hc.h.reversibleVlc) return ReadReversibleCoefficients(d, block, scan, first, intra);
  const TcoefTable& t = (intra && !d.hc.h.shortVideoHeader) ? d.vlc->intra : d.vlc->inter;
  return ReadEvents(d, block, scan, first, t, KeepLevel{});
}

int ReadInterCoefficients(DecoderContext& d, int16_t* block, int quant) {
  if (d.hc.h.reversibleVlc) {
    const int end = ReadReversibleCoefficients(d, block, kZigzagScanTransposed, 0, false);
    if (end >= 0) d.k.dequant(block, quant, 0);
    return end;
  }
  return ReadEvents(d, block, kZigzagScanTransposed, 0, d.vlc->inter, Dequantise(quant));
}

}  // namespace codec::video
