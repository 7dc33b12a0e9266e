// The ordinary macroblock loop (with video packets) and what the loops share:
// one macroblock of the ordinary syntax, the move to the next packet after a
// stop, and the end of a picture. The data-partitioned loop and the GOB loop
// have files of their own; each resumes at the next resync point after damage
// and conceals what it skipped.
#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {

bool DecodeMacroblock(DecoderContext& d, int mb) {
  BitReader& br = d.hc.br;
  MacroblockInfo& m = d.Cur()[mb];
  const bool pVop = d.IsP();
  const bool shortHeader = d.hc.h.shortVideoHeader;
  int type = 0, cbpc = 0;
  for (;;) {
    if (pVop && br.Get1()) {
      SetNotCoded(d, m);
      CopyNotCoded(d, mb);
      return true;
    }
    if (!ReadMcbpc(d, pVop, &type, &cbpc)) return false;
    if (type != kMbStuffing) break;
    if (br.Exhausted()) return false;
  }
  const bool intra = type >= kMbIntra;
  m.notCoded = 0;
  m.mbType = static_cast<uint8_t>(type);
  m.acPred = (intra && !shortHeader) ? static_cast<uint8_t>(br.Get1()) : 0;
  int cbpy = ReadCbpy(d);
  if (cbpy < 0) return false;
  if (!intra) cbpy = 15 - cbpy;
  if (type == kMbInterQ || type == kMbIntraQ) ApplyDquant(d);
  m.quant = static_cast<uint8_t>(d.quant);
  m.useIntraDcVlc = intra && !shortHeader && UsesIntraDcVlc(d);
  m.cbp = static_cast<uint8_t>(cbpy << 2 | cbpc);
  if (intra) {
    for (int i = 0; i < 4; ++i) m.mvx[i] = m.mvy[i] = 0;
    bool ok = shortHeader ? DecodeShortIntraMacroblock(d, mb) : DecodeIntraMacroblock(d, mb, nullptr);
    if (!ok) return false;
    WriteMacroblock(d, mb);
    return true;
  }
  if (type == kMbInter4V && shortHeader) return false;
  if (!ReadMotionVectors(d, mb)) return false;
  PredictInterMacroblock(d, mb);
  return DecodeInterResidual(d, mb);
}

// After a stop inside the picture: finds the next video packet and moves *mb
// to its first macroblock. Returns false when the picture ends here (no more
// packets, the data ran out, or a packet header starts a new picture).
bool NextPacket(DecoderContext& d, int* mb) {
  HeaderContext& c = d.hc;
  if (c.h.resyncMarkerDisable) return false;
  for (;;) {
    if (!ResyncMarkerFollows(c)) SearchResyncMarker(c);
    if (c.Stopped() || !ResyncMarkerFollows(c)) return false;
    c.status = DecodeStatus::Ok;
    PacketHeaderValues v;
    if (!ParseVideoPacketHeader(c, &v)) {
      d.pending = v;
      d.pendingPacket = true;
      return false;
    }
    if (c.Stopped()) return false;
    if (v.mbNumber >= d.mbCount) {
      c.status = DecodeStatus::MacroblockError;
      continue;
    }
    if (v.mbNumber > *mb) ConcealRange(d, *mb, v.mbNumber);
    *mb = v.mbNumber;
    d.packetStart = *mb;
    if (v.quant) d.quant = v.quant;
    return true;
  }
}

void FinishPicture(DecoderContext& d, int mb, bool complete) {
  HeaderContext& c = d.hc;
  ConcealRange(d, mb, d.mbCount);
  if (c.status != DecodeStatus::NewVopFromPacket && c.status != DecodeStatus::Fatal) {
    c.status = DecodeStatus::Ok;
  }
  if (complete) c.br.AlignStuffing();
}

void OrdinaryLoop(DecoderContext& d, int mb) {
  HeaderContext& c = d.hc;
  const bool markers = !c.h.resyncMarkerDisable;
  for (;;) {
    while (mb < d.mbCount) {
      if (markers && mb > d.packetStart && ResyncMarkerFollows(c)) break;
      if (!DecodeMacroblock(d, mb)) {
        c.status = DecodeStatus::MacroblockError;
        break;
      }
      ++mb;
      if (c.br.Exhausted()) break;
    }
    if (mb >= d.mbCount && c.status == DecodeStatus::Ok) break;
    if (!NextPacket(d, &mb)) break;
  }
  FinishPicture(d, mb, mb >= d.mbCount && c.status == DecodeStatus::Ok);
}

void DecodePictureData(DecoderContext& d, int first_mb) {
  if (d.hc.h.vopQuant) d.quant = d.hc.h.vopQuant;
  d.packetStart = first_mb;
  if (first_mb > 0) ConcealRange(d, 0, first_mb);
  if (d.hc.h.shortVideoHeader) {
    GobLoop(d);
  } else if (d.hc.h.dataPartitioned) {
    PartitionedLoop(d, first_mb);
  } else {
    OrdinaryLoop(d, first_mb);
  }
}

}  // namespace codec::video
