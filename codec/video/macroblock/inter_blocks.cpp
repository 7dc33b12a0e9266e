// Inter macroblocks: half-sample motion compensation from the reference
// picture (with clamped reads for vectors past the padded border), residual
// decoding, not-coded copies, concealment and reference border extension.
// Inter predictions are formed in place in the current picture; the work
// buffer (and slot 2) serves intra macroblocks.
#include <cstring>

#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {
namespace {

constexpr int kEdgeStride = 24;

// Predicts a size x size block at (x, y) of a plane displaced by a half-sample
// vector. Reads stay inside the padded plane; further out the source block is
// gathered from clamped positions, which equals an endless border.
void PredictBlock(DecoderContext& d, const uint8_t* plane, int stride, int w, int h, int pad,
                  int x, int y, int mvx, int mvy, int size, uint8_t* dst, int dst_stride,
                  const PredictFn* fns) {
  const int ix = x + (mvx >> 1), iy = y + (mvy >> 1);
  const int fn = PredictIndexFor(mvx & 1, mvy & 1, d.hc.h.roundingType);
  if (ix >= -pad && iy >= -pad && ix + size + 1 <= w + pad && iy + size + 1 <= h + pad) {
    fns[fn](dst, dst_stride, plane + iy * stride + ix, stride);
    return;
  }
  for (int r = 0; r <= size; ++r) {
    const uint8_t* row = plane + ClampInt(iy + r, 0, h - 1) * stride;
    for (int c = 0; c <= size; ++c) d.edge[r * kEdgeStride + c] = row[ClampInt(ix + c, 0, w - 1)];
  }
  fns[fn](dst, dst_stride, d.edge, kEdgeStride);
}

inline int ChromaFromOne(int v) {
  static const int kRound[4] = {0, 1, 1, 1};
  return (v >> 2) * 2 + kRound[v & 3];
}

inline int ChromaFromSum(int sum) {
  static const int kRound[16] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2};
  return (sum >> 4) * 2 + kRound[sum & 15];
}

// Where a macroblock's prediction goes: straight into the current picture
// (inter macroblocks add their residual there, so no work-buffer copy).
struct Target {
  uint8_t* y;
  uint8_t* u;
  uint8_t* v;
  int lumaStride;
  int chromaStride;
};

Target PictureTarget(DecoderContext& d, int mb) {
  const int x = d.MbX(mb) * 16, y = d.MbY(mb) * 16;
  return {d.Y(d.cur) + y * d.lumaStride + x, d.U(d.cur) + (y / 2) * d.chromaStride + x / 2,
          d.V(d.cur) + (y / 2) * d.chromaStride + x / 2, d.lumaStride, d.chromaStride};
}

void PredictWith(DecoderContext& d, int mb, const MacroblockInfo& m, bool four_vectors, const Target& t) {
  const int ref = 1 - d.cur;
  const int x = d.MbX(mb) * 16, y = d.MbY(mb) * 16;
  const uint8_t* luma = d.Y(ref);
  int cmx, cmy;
  if (four_vectors) {
    for (int b = 0; b < 4; ++b) {
      PredictBlock(d, luma, d.lumaStride, d.width, d.height, 16, x + (b & 1) * 8, y + (b >> 1) * 8,
                   m.mvx[b], m.mvy[b], 8, t.y + (b & 1) * 8 + (b >> 1) * 8 * t.lumaStride, t.lumaStride,
                   d.k.predict8);
    }
    cmx = ChromaFromSum(m.mvx[0] + m.mvx[1] + m.mvx[2] + m.mvx[3]);
    cmy = ChromaFromSum(m.mvy[0] + m.mvy[1] + m.mvy[2] + m.mvy[3]);
  } else {
    PredictBlock(d, luma, d.lumaStride, d.width, d.height, 16, x, y, m.mvx[0], m.mvy[0], 16, t.y,
                 t.lumaStride, d.k.predict16);
    cmx = ChromaFromOne(m.mvx[0]);
    cmy = ChromaFromOne(m.mvy[0]);
  }
  const int cw = d.width / 2, ch = d.height / 2;
  PredictBlock(d, d.U(ref), d.chromaStride, cw, ch, 8, x / 2, y / 2, cmx, cmy, 8, t.u, t.chromaStride,
               d.k.predict8);
  PredictBlock(d, d.V(ref), d.chromaStride, cw, ch, 8, x / 2, y / 2, cmx, cmy, 8, t.v, t.chromaStride,
               d.k.predict8);
}

}  // namespace

void WriteMacroblock(DecoderContext& d, int mb) {
  d.sameInBoth[mb] = 0;
  const int x = d.MbX(mb) * 16, y = d.MbY(mb) * 16;
  d.k.writeMacroblock(d.work, d.Y(d.cur) + y * d.lumaStride + x,
                      d.U(d.cur) + (y / 2) * d.chromaStride + x / 2,
                      d.V(d.cur) + (y / 2) * d.chromaStride + x / 2, d.lumaStride, d.chromaStride);
}

void PredictInterMacroblock(DecoderContext& d, int mb) {
  d.sameInBoth[mb] = 0;
  const MacroblockInfo& m = d.Cur()[mb];
  PredictWith(d, mb, m, m.mbType == kMbInter4V, PictureTarget(d, mb));
}

bool DecodeInterResidual(DecoderContext& d, int mb) {
  const MacroblockInfo& m = d.Cur()[mb];
  const Target t = PictureTarget(d, mb);
  int16_t* blk = d.interBlock;
  for (int b = 0; b < 6; ++b) {
    if (!((m.cbp >> (5 - b)) & 1)) continue;
    const int end = ReadInterCoefficients(d, blk, m.quant);
    if (end < 0) {
      std::memset(blk, 0, 64 * sizeof(int16_t));
      return false;
    }
    uint8_t* dst = b < 4 ? t.y + (b & 1) * 8 + (b >> 1) * 8 * t.lumaStride : (b == 4 ? t.u : t.v);
    const int stride = b < 4 ? t.lumaStride : t.chromaStride;
    if (end == 1) {
      // Only the DC term: the transform is flat, (DC + 4) >> 3 everywhere.
      d.k.addFlat(dst, stride, ClampInt((blk[0] + 4) >> 3, -256, 255));
      blk[0] = 0;
    } else {
      d.k.idctAdd(blk, dst, stride);
    }
  }
  return true;
}

void SetNotCoded(DecoderContext& d, MacroblockInfo& m) {
  m.notCoded = 1;
  m.acPred = 0;
  m.cbp = 0;
  m.mbType = kMbInter;
  m.useIntraDcVlc = 0;
  m.quant = static_cast<uint8_t>(d.quant);
  for (int i = 0; i < 4; ++i) m.mvx[i] = m.mvy[i] = 0;
}

void CopyNotCoded(DecoderContext& d, int mb) {
  if (d.sameInBoth[mb]) return;
  d.sameInBoth[mb] = 1;
  // The co-located samples: always inside the picture, so no clamping.
  const Target t = PictureTarget(d, mb);
  const int ref = 1 - d.cur;
  const ptrdiff_t luma = t.y - d.Y(d.cur), chroma = t.u - d.U(d.cur);
  d.k.predict16[kPredCopy](t.y, t.lumaStride, d.Y(ref) + luma, t.lumaStride);
  d.k.predict8[kPredCopy](t.u, t.chromaStride, d.U(ref) + chroma, t.chromaStride);
  d.k.predict8[kPredCopy](t.v, t.chromaStride, d.V(ref) + chroma, t.chromaStride);
}

void ConcealRange(DecoderContext& d, int from, int to) {
  if (to > d.mbCount) to = d.mbCount;
  for (int mb = from < 0 ? 0 : from; mb < to; ++mb) {
    MacroblockInfo& m = d.Cur()[mb];
    m = d.Prev()[mb];
    d.sameInBoth[mb] = 0;
    PredictWith(d, mb, m, false, PictureTarget(d, mb));
  }
}

namespace {

// Replicates the outermost samples of a w x h plane kPad positions outward on
// every side. kPad is a constant so that the per-row fills become plain stores.
template <int kPad>
void ExtendPlane(uint8_t* origin, int w, int h, int stride) {
  for (int y = 0; y < h; ++y) {
    uint8_t* row = origin + y * stride;
    std::memset(row - kPad, row[0], kPad);
    std::memset(row + w, row[w - 1], kPad);
  }
  const uint8_t* top = origin - kPad;
  const uint8_t* bottom = origin + (h - 1) * stride - kPad;
  for (int i = 1; i <= kPad; ++i) {
    std::memcpy(origin - kPad - i * stride, top, w + 2 * kPad);
    std::memcpy(origin - kPad + (h - 1 + i) * stride, bottom, w + 2 * kPad);
  }
}

}  // namespace

void ExtendReference(DecoderContext& d) {
  const int ref = 1 - d.cur;
  ExtendPlane<16>(d.Y(ref), d.width, d.height, d.lumaStride);
  ExtendPlane<8>(d.U(ref), d.width / 2, d.height / 2, d.chromaStride);
  ExtendPlane<8>(d.V(ref), d.width / 2, d.height / 2, d.chromaStride);
}

}  // namespace codec::video
