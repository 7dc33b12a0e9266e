// Picture-level headers: start code search, GOV, VOP, short-header picture,
// video packets and GOBs, with the searches used to resynchronise after damage.
#include "codec/video/decoder_context.h"

namespace codec::video {
namespace {

constexpr uint32_t kUserDataCode = 0x1B2;
constexpr uint32_t kGovCode = 0x1B3;
constexpr uint32_t kSequenceEndCode = 0x1B1;

uint32_t ReadModuloCount(BitReader& br) {
  uint32_t count = 0;
  // Bounded by the unit: past the padding the reader returns zeros.
  while (br.Get1()) ++count;
  return count;
}

void SkipVopComplexity(BitReader& br, const HeaderState& h, bool is_p) {
  const uint8_t* f = h.estimationFlags;
  static const int kCommon[] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 12};
  for (int i : kCommon)
    if (f[i]) br.Skip(8);
  if (f[13]) br.Skip(4);
  if (is_p) {
    static const int kInter[] = {7, 8, 14, 15, 17, 18, 19, 20};
    for (int i : kInter)
      if (f[i]) br.Skip(8);
  }
  if (f[21]) br.Skip(8);
}

}  // namespace

void UpdateTime(HeaderState& h, uint32_t count, uint32_t increment) {
  uint32_t seconds = h.secondsBase + count;
  if (increment < h.prevTimeIncrement && count == 0) ++seconds;  // a missed wrap
  h.prevTimeIncrement = increment;
  h.timeIncrement = increment;
  h.currentTimeMs = seconds * 1000u +
                    static_cast<uint32_t>(uint64_t(increment) * 1000u / h.timeIncrementResolution);
  h.secondsBase = seconds;
}

void NextStartCode(HeaderContext& c) {
  BitReader& br = c.br;
  br.AlignStuffing();
  for (;;) {
    if (c.CheckEnd() || c.Stopped()) return;
    bool code = br.Show(22) == 0x20 || br.Show(24) == 1;
    if (code && br.Show(32) != kUserDataCode) break;
    br.Skip(8);
  }
  if (br.Show(32) == kSequenceEndCode) c.Fail(DecodeStatus::Fatal);
}

void ParseGov(HeaderContext& c) {
  BitReader& br = c.br;
  if (br.Show(32) != kGovCode) return;
  br.Skip(32);
  uint32_t t = br.Get(20);
  c.h.govSeconds = (((t >> 15) & 31) * 60 + ((t >> 9) & 63)) * 60 + ((t >> 2) & 63);
  br.AlignStuffing();
  SkipUserData(c);
  if (!c.Stopped()) NextStartCode(c);
}

void ParseVopHeader(HeaderContext& c) {
  BitReader& br = c.br;
  HeaderState& h = c.h;
  ParseGov(c);
  if (c.Stopped()) return;
  br.Skip(32);
  const uint32_t codingType = br.Get(2);
  h.vopCodingType = codingType == 0 ? kVopI : kVopP;  // B and S are decoded as P
  uint32_t count = ReadModuloCount(br);
  br.Skip(1);
  UpdateTime(h, count, br.Get(h.timeIncrementBits));
  h.moduloCount = count;
  if (c.prevStatus != DecodeStatus::Ok && h.vopCodingType == kVopP) {
    c.status = DecodeStatus::SkipUntilIntra;
    h.vopCoded = false;
    return;
  }
  if (h.vopCodingType == kVopI) h.intraSeen = true;
  br.Skip(1);
  h.vopCoded = br.Get1();
  if (!h.vopCoded) return;
  h.roundingType = h.vopCodingType == kVopP ? static_cast<uint8_t>(br.Get1()) : 0;
  // vop_reduced_resolution of I and P pictures: read, decoded as if clear.
  if (h.reducedResolutionVopEnable && codingType <= 1) br.Skip(1);
  if (!h.complexityEstimationDisable && h.estimationMethod == 0)
    SkipVopComplexity(br, h, h.vopCodingType == kVopP);
  h.intraDcVlcThr = static_cast<uint8_t>(br.Get(3));
  h.vopQuant = static_cast<uint8_t>(br.Get(5));
  if (h.vopCodingType == kVopP) {
    uint32_t f = br.Get(3);
    h.fcode = static_cast<uint8_t>(f ? f : 1);
  } else {
    h.fcode = 1;
  }
  c.CheckEnd();
}

void ParseShortPictureHeader(HeaderContext& c) {
  BitReader& br = c.br;
  HeaderState& h = c.h;
  br.Skip(22);
  int tr = static_cast<int>(br.Get(8));
  int prev = h.temporalReference;
  if (tr < prev) tr += 256;
  h.currentTimeMs += static_cast<uint32_t>((tr - prev) * 1001 / 30);
  h.temporalReference = tr & 255;
  br.Skip(1 + 1 + 6);  // marker, zero, split, document, freeze, source format
  h.vopCodingType = br.Get1() ? kVopP : kVopI;
  if (c.prevStatus != DecodeStatus::Ok && h.vopCodingType == kVopP) {
    c.status = DecodeStatus::SkipUntilIntra;
    h.vopCoded = false;
    return;
  }
  if (h.vopCodingType == kVopI) h.intraSeen = true;
  br.Skip(4);
  uint32_t q = br.Get(5);
  h.vopQuant = static_cast<uint8_t>(q ? q : 10);
  br.Skip(1);
  // PEI/PSUPP: bounded by the unit since the padding reads as zeros.
  while (br.Get1()) {
    br.Skip(8);
    if (br.Exhausted()) break;
  }
  h.vopCoded = true;
  h.roundingType = 0;
  h.fcode = 1;
  c.CheckEnd();
}

void EndShortPicture(HeaderContext& c) {
  c.br.AlignOnly();
  if (c.br.Show(22) == 0x3F) c.br.Skip(22);
  c.br.AlignOnly();
}

int ResyncMarkerLength(const HeaderState& h) {
  return h.vopCodingType == kVopI ? 17 : 16 + h.fcode;
}

int MacroblockNumberLength(int mb_count) {
  int bits = 0;
  while ((1 << bits) < mb_count) ++bits;
  return bits;
}

bool MarkerAfterStuffing(HeaderContext& c) { return c.br.ShowAfterStuffing(ResyncMarkerLength(c.h)) == 1; }

bool ParseVideoPacketHeader(HeaderContext& c, PacketHeaderValues* next) {
  BitReader& br = c.br;
  HeaderState& h = c.h;
  br.AlignStuffing();
  br.Skip(ResyncMarkerLength(h));
  int numberBits = MacroblockNumberLength(c.mbCount);
  PacketHeaderValues v;
  v.mbNumber = numberBits ? static_cast<int>(br.Get(numberBits)) : 0;
  v.quant = static_cast<int>(br.Get(5));
  v.codingType = h.vopCodingType;
  v.dcThr = h.intraDcVlcThr;
  v.fcode = h.fcode;
  v.moduloCount = h.moduloCount;
  v.timeIncrement = h.timeIncrement;
  if (br.Get1()) {  // header_extension_code
    v.moduloCount = ReadModuloCount(br);
    br.Skip(1);
    v.timeIncrement = br.Get(h.timeIncrementBits);
    br.Skip(1);
    v.codingType = br.Get(2) == 0 ? kVopI : kVopP;
    v.dcThr = static_cast<uint8_t>(br.Get(3));
    if (v.codingType == kVopP) {
      uint32_t f = br.Get(3);
      v.fcode = static_cast<uint8_t>(f ? f : 1);
    } else {
      v.fcode = 1;
    }
  }
  *next = v;
  if (c.CheckEnd()) return true;
  if (v.codingType != h.vopCodingType || v.dcThr != h.intraDcVlcThr || v.fcode != h.fcode ||
      v.moduloCount != h.moduloCount || v.timeIncrement != h.timeIncrement) {
    c.status = DecodeStatus::NewVopFromPacket;
    return false;
  }
  return true;
}

void SearchResyncMarker(HeaderContext& c) {
  BitReader& br = c.br;
  int len = ResyncMarkerLength(c.h);
  br.AlignStuffing();
  while (!c.CheckEnd() && !c.Stopped()) {
    if (br.Show(len) == 1 || br.Show(24) == 1) return;
    br.Skip(8);
  }
}

bool GobStartFollows(HeaderContext& c) {
  BitReader& br = c.br;
  if (br.Show(17) == 1) return true;
  int lead = br.BitsToAlign();
  // Stuffing before a GOB header is zero bits up to the byte boundary.
  return lead && br.Show(lead) == 0 && (br.Show(lead + 17) & 0x1FFFF) == 1;
}

int ParseGobHeader(HeaderContext& c, int* quant) {
  BitReader& br = c.br;
  if (br.Show(17) != 1) br.AlignOnly();
  int number = static_cast<int>(br.Get(22) & 31);
  c.h.gobFrameId = static_cast<int>(br.Get(2));
  int q = static_cast<int>(br.Get(5));
  if (q) *quant = q;
  c.CheckEnd();
  return number;
}

void SearchGobStart(HeaderContext& c) {
  BitReader& br = c.br;
  br.AlignOnly();
  while (!c.CheckEnd() && !c.Stopped()) {
    if (br.Show(17) == 1) return;
    br.Skip(8);
  }
}

}  // namespace codec::video
