// Intra macroblocks: DC and AC prediction from the neighbouring blocks,
// inverse quantisation, inverse DCT and store.
#include <cstdlib>
#include <cstring>

#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {
namespace {

int LumaDcScaler(int q) {
  if (q <= 4) return 8;
  if (q <= 8) return 2 * q;
  if (q <= 24) return q + 8;
  return 2 * q - 16;
}

int ChromaDcScaler(int q) {
  if (q <= 4) return 8;
  if (q <= 24) return (q + 13) / 2;
  return q - 6;
}

// Integer division rounded to nearest, halves away from zero.
inline int RoundDiv(int a, int b) { return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b); }

inline int16_t Clip2048(int v) { return static_cast<int16_t>(ClampInt(v, -2048, 2047)); }

// The coefficient blocks stay all zero between blocks (slot 22 clears them);
// a block that stops half read is cleared here.
bool ClearAfterError(int16_t* blk) {
  std::memset(blk, 0, 64 * sizeof(int16_t));
  return false;
}

void FillBlock(uint8_t* dst, int stride, uint8_t value) {
  for (int r = 0; r < 8; ++r) std::memset(dst + r * stride, value, 8);
}

// A neighbouring block usable for prediction.
struct Neighbour {
  const MacroblockInfo* mb = nullptr;
  int block = 0;
  const PredictionRecord* Record() const { return mb ? &mb->pred[block] : nullptr; }
};

// For luma block b: where A (left), B (above-left) and C (above) come from.
// Macroblock codes: 0 current, 1 left, 2 above, 3 above-left.
struct Source {
  int mb, block;
};
const Source kLumaSources[4][3] = {
    {{1, 1}, {3, 3}, {2, 2}},
    {{0, 0}, {2, 2}, {2, 3}},
    {{1, 3}, {1, 1}, {0, 0}},
    {{0, 2}, {0, 0}, {0, 1}},
};

void AcPredict(int16_t* blk, const Neighbour& p, bool from_above, int quant) {
  const PredictionRecord* r = p.Record();
  {
    int pq = p.mb->quant;
    for (int k = 1; k < 8; ++k) {
      int v = from_above ? r->row[k - 1] : r->col[k - 1];
      if (pq != quant) v = RoundDiv(v * pq, quant);
      int16_t& dst = from_above ? blk[k] : blk[8 * k];
      dst = Clip2048(dst + v);
    }
  }
}

}  // namespace

bool DecodeIntraMacroblock(DecoderContext& d, int mb, const int16_t* dc_diffs) {
  MacroblockInfo& m = d.Cur()[mb];
  const int mbx = d.MbX(mb), mby = d.MbY(mb);
  auto neighbour = [&](int dx, int dy) -> const MacroblockInfo* {
    int x = mbx + dx, y = mby + dy;
    if (x < 0 || y < 0) return nullptr;
    int index = y * d.mbWidth + x;
    if (index < d.packetStart) return nullptr;
    const MacroblockInfo& n = d.Cur()[index];
    return n.mbType == kMbIntra || n.mbType == kMbIntraQ ? &n : nullptr;
  };
  const MacroblockInfo* mbs[4] = {&m, neighbour(-1, 0), neighbour(0, -1), neighbour(-1, -1)};
  const int q = m.quant;
  const int lumaScaler = LumaDcScaler(q), chromaScaler = ChromaDcScaler(q);

  for (int b = 0; b < 6; ++b) {
    int16_t* blk = d.coeffs[b];
    Neighbour a, bb, c;
    if (b < 4) {
      const Source* s = kLumaSources[b];
      a = {mbs[s[0].mb], s[0].block};
      bb = {mbs[s[1].mb], s[1].block};
      c = {mbs[s[2].mb], s[2].block};
    } else {
      a = {mbs[1], b};
      bb = {mbs[3], b};
      c = {mbs[2], b};
    }
    const int fa = a.mb ? a.Record()->dc : 1024;
    const int fb = bb.mb ? bb.Record()->dc : 1024;
    const int fc = c.mb ? c.Record()->dc : 1024;
    const bool fromAbove = std::abs(fa - fb) < std::abs(fb - fc);
    const Neighbour& p = fromAbove ? c : a;
    const int predDc = fromAbove ? fc : fa;
    const int scaler = b < 4 ? lumaScaler : chromaScaler;

    int diff = 0;
    int first = 0;
    if (m.useIntraDcVlc) {
      if (dc_diffs) {
        diff = dc_diffs[b];
      } else if (!ReadDcDifferential(d, b < 4, &diff)) {
        return false;
      }
      first = 1;
    }
    const bool coded = (m.cbp >> (5 - b)) & 1;
    uint8_t* dst = b < 4 ? d.work + (b & 1) * 8 + (b >> 1) * 128 : d.work + 256 + (b - 4) * 64;
    const int stride = b < 4 ? 16 : 8;
    PredictionRecord& rec = m.pred[b];
    if (!coded && !(m.acPred && p.mb)) {
      // Only the DC (most blocks of flat areas): no coefficients to clear,
      // transform or clip one by one.
      const int16_t dc = Clip2048((diff + RoundDiv(predDc, scaler)) * scaler);
      rec = PredictionRecord{};
      rec.dc = dc;
      FillBlock(dst, stride, static_cast<uint8_t>(ClampInt((dc + 4) >> 3, 0, 255)));
      continue;
    }
    const uint8_t* scan = !m.acPred ? kZigzagScan
                                    : (fromAbove ? kAlternateHorizontalScan : kAlternateVerticalScan);
    int end = 0;
    if (coded && (end = ReadCoefficients(d, blk, scan, first, true)) < 0) return ClearAfterError(blk);
    if (!m.useIntraDcVlc) {
      diff = blk[0];
      blk[0] = 0;
    }
    const int16_t dc = Clip2048((diff + RoundDiv(predDc, scaler)) * scaler);
    // Decoded levels are never zero, so a coefficient past scan position 0 is an AC one.
    bool hasAc = end > 1;
    if (m.acPred && p.mb) {
      AcPredict(blk, p, fromAbove, q);
      for (int k = 1; k < 8 && !hasAc; ++k) hasAc = (fromAbove ? blk[k] : blk[8 * k]) != 0;
    }

    rec.dc = dc;
    for (int k = 1; k < 8; ++k) {
      rec.row[k - 1] = blk[k];
      rec.col[k - 1] = blk[8 * k];
    }
    if (hasAc) {
      d.k.dequant(blk, q, 1);
      blk[0] = dc;
      d.k.idctPut(blk, dst, stride);
    } else {
      // Nothing but the DC is left in the block, and that was never stored.
      FillBlock(dst, stride, static_cast<uint8_t>(ClampInt((dc + 4) >> 3, 0, 255)));
    }
  }
  return true;
}

bool DecodeShortIntraMacroblock(DecoderContext& d, int mb) {
  MacroblockInfo& m = d.Cur()[mb];
  BitReader& br = d.hc.br;
  for (int b = 0; b < 6; ++b) {
    int16_t* blk = d.coeffs[b];
    int dcCode = static_cast<int>(br.Get(8));
    const int dc = (dcCode == 255 ? 128 : dcCode) * 8;
    bool hasAc = false;
    if ((m.cbp >> (5 - b)) & 1) {
      int end = ReadCoefficients(d, blk, kZigzagScan, 1, true);
      if (end < 0) return ClearAfterError(blk);
      hasAc = end > 1;
    }
    m.pred[b].dc = static_cast<int16_t>(dc);
    uint8_t* dst = b < 4 ? d.work + (b & 1) * 8 + (b >> 1) * 128 : d.work + 256 + (b - 4) * 64;
    const int stride = b < 4 ? 16 : 8;
    if (hasAc) {
      d.k.dequant(blk, m.quant, 1);
      blk[0] = static_cast<int16_t>(dc);
      d.k.idctPut(blk, dst, stride);
    } else {
      FillBlock(dst, stride, static_cast<uint8_t>(ClampInt((dc + 4) >> 3, 0, 255)));
    }
  }
  return true;
}

}  // namespace codec::video
