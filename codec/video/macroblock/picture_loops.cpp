// The macroblock loops of a picture: ordinary (with video packets), data
// partitioned, and the GOB loop of the short video header; each resumes at the
// next resync point after damage and conceals what it skipped.
#include "codec/video/macroblock/mb_layer.h"

namespace video {

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

namespace {

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

void PartitionedLoop(DecoderContext& d, int mb) {
  HeaderContext& c = d.hc;
  for (;;) {
    int n = 0;
    bool ok = d.IsP() ? InterPartitions(d, mb, &n) : IntraPartitions(d, mb, &n);
    if (ok && c.h.reversibleVlc) {
      // Reversible texture codes are not decoded: the packet is rebuilt from
      // its first two partitions (vectors, DC values) and the texture is
      // stepped over by the search for the next marker.
      for (int i = 0; i < n; ++i) d.Cur()[mb + i].cbp = 0;
    }
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
    if (ok && c.h.reversibleVlc) c.status = DecodeStatus::MacroblockError;
    if (c.br.Exhausted() || !NextPacket(d, &mb)) break;
  }
  FinishPicture(d, mb, mb >= d.mbCount && c.status == DecodeStatus::Ok);
}

void GobLoop(DecoderContext& d) {
  HeaderContext& c = d.hc;
  const int perGob = c.h.numMbInGob, gobs = c.h.numGobsInVop;
  int mb = 0;
  for (int gob = 0; gob < gobs && mb < d.mbCount; ++gob) {
    if (gob > 0 && GobStartFollows(c)) {
      const int lead = c.br.Show(17) == 1 ? 0 : c.br.BitsToAlign();
      if ((c.br.Show(lead + 22) & 0x3FFFFF) == 0x20) break;  // the next picture starts here
      int q = d.quant;
      int number = ParseGobHeader(c, &q);
      if (number == gobs) {
        c.status = DecodeStatus::Fatal;
        break;
      }
      if (number > gobs) break;  // end of sequence or an unknown code
      if (number >= gob) {
        ConcealRange(d, mb, number * perGob);
        gob = number;
        mb = number * perGob;
        d.packetStart = mb;
      }
      d.quant = q;
      if (mb >= d.mbCount) break;
    }
    const int end = (gob + 1) * perGob < d.mbCount ? (gob + 1) * perGob : d.mbCount;
    bool ok = true;
    for (; mb < end; ++mb) {
      if (!DecodeMacroblock(d, mb)) {
        ok = false;
        break;
      }
    }
    if (!ok || c.br.Exhausted()) {
      c.status = DecodeStatus::MacroblockError;
      SearchGobStart(c);
      if (c.Stopped() || c.br.Show(22) == 0x20) break;
      ConcealRange(d, mb, end);
      mb = end;
      c.status = DecodeStatus::Ok;
    }
  }
  ConcealRange(d, mb, d.mbCount);
  if (c.status != DecodeStatus::Fatal) c.status = DecodeStatus::Ok;
  EndShortPicture(c);
}

}  // namespace

void DecodePictureData(DecoderContext& d, int firstMb) {
  if (d.hc.h.vopQuant) d.quant = d.hc.h.vopQuant;
  d.packetStart = firstMb;
  if (firstMb > 0) ConcealRange(d, 0, firstMb);
  if (d.hc.h.shortVideoHeader) {
    GobLoop(d);
  } else if (d.hc.h.dataPartitioned) {
    PartitionedLoop(d, firstMb);
  } else {
    OrdinaryLoop(d, firstMb);
  }
}

}  // namespace video
