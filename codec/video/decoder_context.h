#pragma once
// Internal state of a VideoDecoder: header fields, picture buffers, macroblock
// records and the kernel table. Shared by the header, macroblock and
// reconstruction files; not part of the public interface.
#include <cstdint>
#include <vector>

#include "codec/video/bitstream/bit_reader.h"
#include "codec/video/bitstream/vlc_tables.h"
#include "codec/video/kernels/kernel_table.h"
#include "codec/video/video_decoder.h"

namespace codec::video {

enum MbType : uint8_t {
  kMbInter = 0,
  kMbInterQ = 1,
  kMbInter4V = 2,
  kMbIntra = 3,
  kMbIntraQ = 4,
  kMbStuffing = 5,
};

enum VopType : uint8_t { kVopI = 0, kVopP = 1 };

// Per block: reconstructed DC and the first row and column of quantised AC
// levels, kept for the prediction of later blocks.
struct PredictionRecord {
  int16_t dc;
  int16_t row[7];
  int16_t col[7];
};

struct MacroblockInfo {
  uint8_t notCoded;
  uint8_t acPred;
  uint8_t cbp;  // bit 5 luma block 0 ... bit 0 block V
  int16_t mvx[4];
  int16_t mvy[4];
  uint8_t useIntraDcVlc;
  uint8_t mbType;
  uint8_t quant;
  PredictionRecord pred[6];
};

// Header fields, with the defaults loaded at every stream start.
struct HeaderState {
  bool shortVideoHeader = false;
  int width = 0;
  int height = 0;
  uint32_t parWidth = 1, parHeight = 1;
  uint32_t timeIncrementResolution = 30;
  int timeIncrementBits = 5;
  bool fixedVopRate = false;
  uint32_t fixedVopTimeIncrement = 1;
  bool complexityEstimationDisable = true;
  uint8_t estimationMethod = 0;
  uint8_t estimationFlags[24] = {};
  bool resyncMarkerDisable = true;
  bool dataPartitioned = false;
  bool reversibleVlc = false;
  // Version-2 layer fields. Quarter-sample motion, sprites, NEWPRED and
  // reduced-resolution pictures are not decoded: read, then decoded as if clear.
  uint8_t objectVerid = 1;  // visual object's verid: the layer's when it states none
  uint8_t layerVerid = 1;
  uint8_t spriteEnable = 0;
  bool quarterSample = false;
  bool newpredEnable = false;
  bool reducedResolutionVopEnable = false;
  bool sawVol = false;

  uint8_t vopCodingType = kVopI;
  bool vopCoded = true;
  uint8_t roundingType = 0;
  uint8_t intraDcVlcThr = 0;
  uint8_t vopQuant = 15;
  uint8_t fcode = 1;
  uint32_t moduloCount = 0;
  uint32_t timeIncrement = 0;
  uint32_t prevTimeIncrement = 0;
  uint32_t secondsBase = 0;
  uint32_t currentTimeMs = 0;
  uint32_t govSeconds = 0;
  bool intraSeen = false;
  int temporalReference = 0;

  int numMbInGob = 22;
  int numGobsInVop = 18;
  int gobFrameId = 0;
};

// Values of a video packet header with header extension, kept when they start
// a new picture.
struct PacketHeaderValues {
  int mbNumber = 0;
  int quant = 0;
  uint8_t codingType = 0;
  uint8_t dcThr = 0;
  uint8_t fcode = 1;
  uint32_t moduloCount = 0;
  uint32_t timeIncrement = 0;
};

// Reader, header state and status: all the header layer needs.
struct HeaderContext {
  BitReader br;
  HeaderState h;
  DecodeStatus status = DecodeStatus::Ok;
  DecodeStatus prevStatus = DecodeStatus::SkipUntilIntra;
  int configuredWidth = 640;
  int configuredHeight = 240;
  int mbCount = 0;  // of the current geometry, for the packet header
  int currentGob = 0;

  void Fail(DecodeStatus s) {
    if (status != DecodeStatus::EndOfData) status = s;
  }
  // Marks EndOfData once the reader is past the padding; returns true then.
  bool CheckEnd() {
    if (br.Exhausted()) status = DecodeStatus::EndOfData;
    return status == DecodeStatus::EndOfData;
  }
  bool Stopped() const { return status == DecodeStatus::Fatal || status == DecodeStatus::EndOfData; }
};

struct DecoderContext {
  HeaderContext hc;
  const VlcTables* vlc = nullptr;
  KernelTable k{};

  uint32_t frameCounter = 0;
  bool deblock = false;
  bool secondFlag = false;

  // Geometry of the allocated buffers (0 when none).
  int width = 0, height = 0;
  int mbWidth = 0, mbHeight = 0, mbCount = 0;
  int lumaStride = 0, chromaStride = 0;
  size_t lumaPlane = 0;  // padded luma plane size
  size_t lumaOrigin = 0, uOrigin = 0, vOrigin = 0;
  std::vector<uint8_t> pictures[2];
  std::vector<MacroblockInfo> mbInfo[2];
  int cur = 0;  // index of the current picture; the reference is 1 - cur
  std::vector<uint8_t> output;
  std::vector<uint8_t> mbQuant;
  std::vector<int16_t> partitionDc;  // six DC differentials per macroblock
  // Per macroblock: 1 while both picture buffers hold the same samples there.
  // The current buffer holds the picture before the reference, so a
  // macroblock left uncoded twice in a row (most of a still scene) needs no copy.
  std::vector<uint8_t> sameInBoth;
  // Column and row of every macroblock: the macroblock code looks them up
  // instead of dividing by the picture width several times per macroblock.
  struct MbPlace {
    uint16_t column, row;
  };
  std::vector<MbPlace> mbPlace;
  int MbX(int mb) const { return mbPlace[mb].column; }
  int MbY(int mb) const { return mbPlace[mb].row; }

  // Intra coefficients, all zero between blocks as interBlock below.
  alignas(16) int16_t coeffs[6][64] = {};
  // Coefficients of one inter block, all zero between blocks: the kernel that
  // consumes them clears them, so no block pays for a separate clearing pass.
  alignas(16) int16_t interBlock[64] = {};
  alignas(16) uint8_t work[384];
  alignas(16) uint8_t edge[17 * 24];  // clamped source block for far-out vectors

  // Per picture.
  int quant = 15;
  int packetStart = 0;
  bool pendingPacket = false;
  PacketHeaderValues pending;

  uint8_t* Y(int i) { return pictures[i].data() + lumaOrigin; }
  uint8_t* U(int i) { return pictures[i].data() + uOrigin; }
  uint8_t* V(int i) { return pictures[i].data() + vOrigin; }
  MacroblockInfo* Cur() { return mbInfo[cur].data(); }
  MacroblockInfo* Prev() { return mbInfo[1 - cur].data(); }
  bool IsP() const { return hc.h.vopCodingType == kVopP; }
};

// Header layer (stream_headers.cpp, picture_headers.cpp).
void LoadHeaderDefaults(HeaderContext& c);
void ParseStreamHeaders(HeaderContext& c);
void SkipUserData(HeaderContext& c);
void NextStartCode(HeaderContext& c);
void ParseGov(HeaderContext& c);
void ParseVopHeader(HeaderContext& c);
void ParseShortPictureHeader(HeaderContext& c);
void EndShortPicture(HeaderContext& c);
int ResyncMarkerLength(const HeaderState& h);
int MacroblockNumberLength(int mb_count);
bool MarkerAfterStuffing(HeaderContext& c);
// Asked before every macroblock of a picture with video packets. A marker is
// 16 or more zeros after 0 to 8 bits of stuffing, so bits 8 to 15 of what
// follows are zero; nearly all macroblock data fails that first, cheap test.
inline bool ResyncMarkerFollows(HeaderContext& c) { return (c.br.Show(16) & 0xFF) == 0 && MarkerAfterStuffing(c); }
// Parses a video packet header; returns false when it begins a new picture
// (status NewVopFromPacket, values in *next), true when decoding continues at
// next->mbNumber with next->quant.
bool ParseVideoPacketHeader(HeaderContext& c, PacketHeaderValues* next);
void SearchResyncMarker(HeaderContext& c);
bool GobStartFollows(HeaderContext& c);
int ParseGobHeader(HeaderContext& c, int* quant);
void SearchGobStart(HeaderContext& c);
void UpdateTime(HeaderState& h, uint32_t count, uint32_t increment);

// Macroblock layer (picture_loops.cpp and friends).
// Decodes the macroblocks of a picture whose header was parsed, from firstMb on.
void DecodePictureData(DecoderContext& d, int first_mb);
void ExtendReference(DecoderContext& d);
void ConcealRange(DecoderContext& d, int from, int to);

}  // namespace codec::video
