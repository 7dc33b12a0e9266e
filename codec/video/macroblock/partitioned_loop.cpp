// The data-partitioned macroblock loop: per video packet, the motion (P) or DC
// (I) partition of every macroblock, then the second partition, then texture.
#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {
namespace {

// First and second partitions of one packet of an I picture.
bool IntraPartitions(DecoderContext& d, int mb, int* count) {
  BitReader& br = d.hc.br;
  int n = 0;
  for (;; ++n) {
    if (br.Show(19) == 0x6B001) {
      br.Skip(19);
      break;
    }
    if (mb + n >= d.mbCount || br.Exhausted()) return false;
    MacroblockInfo& m = d.Cur()[mb + n];
    int type, cbpc;
    do {
      if (!ReadMcbpc(d, false, &type, &cbpc) || br.Exhausted()) return false;
    } while (type == kMbStuffing);
    m.notCoded = 0;
    m.mbType = static_cast<uint8_t>(type);
    if (type == kMbIntraQ) ApplyDquant(d);
    m.quant = static_cast<uint8_t>(d.quant);
    m.useIntraDcVlc = UsesIntraDcVlc(d);
    m.cbp = static_cast<uint8_t>(cbpc);
    for (int i = 0; i < 4; ++i) m.mvx[i] = m.mvy[i] = 0;
    if (m.useIntraDcVlc) {
      for (int b = 0; b < 6; ++b) {
        int diff;
        if (!ReadDcDifferential(d, b < 4, &diff)) return false;
        d.partitionDc[(mb + n) * 6 + b] = static_cast<int16_t>(diff);
      }
    }
  }
  for (int i = 0; i < n; ++i) {
    MacroblockInfo& m = d.Cur()[mb + i];
    m.acPred = static_cast<uint8_t>(br.Get1());
    int cbpy = ReadCbpy(d);
    if (cbpy < 0) return false;
    m.cbp = static_cast<uint8_t>(m.cbp | cbpy << 2);
  }
  *count = n;
  return true;
}

// First and second partitions of one packet of a P picture.
bool InterPartitions(DecoderContext& d, int mb, int* count) {
  BitReader& br = d.hc.br;
  int n = 0;
  for (;; ++n) {
    if (br.Show(17) == 0x1F001) {
      br.Skip(17);
      break;
    }
    if (mb + n >= d.mbCount || br.Exhausted()) return false;
    MacroblockInfo& m = d.Cur()[mb + n];
    int type = 0, cbpc = 0;
    bool notCoded = false;
    for (;;) {
      if (br.Get1()) {
        notCoded = true;
        break;
      }
      if (!ReadMcbpc(d, true, &type, &cbpc) || br.Exhausted()) return false;
      if (type != kMbStuffing) break;
    }
    if (notCoded) {
      SetNotCoded(d, m);
      continue;
    }
    m.notCoded = 0;
    m.mbType = static_cast<uint8_t>(type);
    m.cbp = static_cast<uint8_t>(cbpc);
    m.acPred = 0;
    if (type >= kMbIntra) {
      for (int i = 0; i < 4; ++i) m.mvx[i] = m.mvy[i] = 0;
    } else if (!ReadMotionVectors(d, mb + n)) {
      return false;
    }
  }
  for (int i = 0; i < n; ++i) {
    MacroblockInfo& m = d.Cur()[mb + i];
    if (m.notCoded) {
      m.quant = static_cast<uint8_t>(d.quant);
      continue;
    }
    const bool intra = m.mbType >= kMbIntra;
    if (intra) m.acPred = static_cast<uint8_t>(br.Get1());
    int cbpy = ReadCbpy(d);
    if (cbpy < 0) return false;
    if (!intra) cbpy = 15 - cbpy;
    m.cbp = static_cast<uint8_t>(m.cbp | cbpy << 2);
    if (m.mbType == kMbInterQ || m.mbType == kMbIntraQ) ApplyDquant(d);
    m.quant = static_cast<uint8_t>(d.quant);
    m.useIntraDcVlc = intra && UsesIntraDcVlc(d);
    if (m.useIntraDcVlc) {
      for (int b = 0; b < 6; ++b) {
        int diff;
        if (!ReadDcDifferential(d, b < 4, &diff)) return false;
        d.partitionDc[(mb + i) * 6 + b] = static_cast<int16_t>(diff);
      }
    }
  }
  *count = n;
  return true;
}

bool DecodeTexture(DecoderContext& d, int mb) {
  const MacroblockInfo& m = d.Cur()[mb];
  if (m.notCoded) {
    CopyNotCoded(d, mb);
    return true;
  }
  if (m.mbType >= kMbIntra) {
    const int16_t* dc = m.useIntraDcVlc ? &d.partitionDc[mb * 6] : nullptr;
    if (!DecodeIntraMacroblock(d, mb, dc)) return false;
    WriteMacroblock(d, mb);
    return true;
  }
  PredictInterMacroblock(d, mb);
  return DecodeInterResidual(d, mb);
}

}  // namespace

void PartitionedLoop(DecoderContext& d, int mb) {
  HeaderContext& c = d.hc;
  for (;;) {
    int n = 0;
    bool ok = d.IsP() ? InterPartitions(d, mb, &n) : IntraPartitions(d, mb, &n);
    if (ok) {
      for (int i = 0; i < n; ++i, ++mb) {
        if (!DecodeTexture(d, mb)) {
          ok = false;
          break;
        }
      }
    }
    if (!ok) c.status = DecodeStatus::MacroblockError;
    if (ok && mb >= d.mbCount) break;
    if (c.br.Exhausted() || !NextPacket(d, &mb)) break;
  }
  FinishPicture(d, mb, mb >= d.mbCount && c.status == DecodeStatus::Ok);
}

}  // namespace codec::video
