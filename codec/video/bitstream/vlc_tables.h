#pragma once
// Variable-length code tables of the macroblock layer, written out from the
// code tables of ISO/IEC 14496-2 (Annex B) and ITU-T H.263, and the lookup
// tables built from them once per process.
#include <cstdint>

namespace codec::video {

// One code word as the standards print it: bits as '0'/'1' (spaces ignored),
// without the trailing sign bit where the table has one.
struct VlcCode {
  const char* bits;
  int16_t value;
};

// (last, run, level) code of a transform coefficient table.
struct TcoefCode {
  const char* bits;
  uint8_t last;
  uint8_t run;
  uint8_t level;
};

extern const VlcCode kMcbpcIntraCodes[];  // value: cbpc | mb_type << 2; -1 stuffing
extern const int kMcbpcIntraCount;
extern const VlcCode kMcbpcInterCodes[];
extern const int kMcbpcInterCount;
extern const VlcCode kCbpyCodes[];  // value: CBPY of an intra macroblock
extern const int kCbpyCount;
extern const VlcCode kMvdCodes[];  // value: magnitude 0..32 (sign bit follows if non-zero)
extern const int kMvdCount;
extern const VlcCode kDcSizeLumaCodes[];
extern const int kDcSizeLumaCount;
extern const VlcCode kDcSizeChromaCodes[];
extern const int kDcSizeChromaCount;
extern const TcoefCode kTcoefInterCodes[];  // also H.263's TCOEF table
extern const int kTcoefInterCount;
extern const TcoefCode kTcoefIntraCodes[];
extern const int kTcoefIntraCount;
extern const char* const kTcoefEscape;

// Reversible TCOEF code word with its intra and its inter meaning.
struct RvlcCode {
  const char* bits;
  uint8_t intraLast, intraRun, intraLevel;
  uint8_t interLast, interRun, interLevel;
};
extern const RvlcCode kRvlcCodes[];
extern const int kRvlcCount;
extern const char* const kRvlcEscape;

// Flat lookup: index by Show(bits); len 0 marks an invalid code.
struct VlcEntry {
  int16_t value;
  uint8_t len;
};
constexpr int16_t kVlcStuffing = -1;
constexpr int16_t kVlcEscape = -2;

// Packed in 16 bits to keep both coefficient tables in the first-level cache:
// length (4 bits, 0 invalid), last (1), run (6), level (5, 0 for the escape).
struct TcoefEntry {
  uint16_t bits;
  static TcoefEntry Make(int len, int last, int run, int level) {
    return {static_cast<uint16_t>(len << 12 | last << 11 | run << 5 | level)};
  }
  int Len() const { return bits >> 12; }
  int Last() const { return (bits >> 11) & 1; }
  int Run() const { return (bits >> 5) & 63; }
  int Level() const { return bits & 31; }
};

// An entry of the ordinary coefficient tables, a byte a field: reading an
// event waits on the load of `taken` before it can shift the next code in, so
// it needs no unpacking or adding there.
struct TcoefCodeEntry {
  uint8_t taken;  // bits of the code and its sign; of the escape code, its own length; 0 invalid
  uint8_t last;
  uint8_t run;
  uint8_t level;  // 0 for the escape
};

struct TcoefTable {
  static constexpr int kBits = 12;
  TcoefCodeEntry entries[1 << kBits];
  uint8_t maxLevel[2][64];  // LMAX by last, run
  uint8_t maxRun[2][32];    // RMAX by last, level (0 if no code)
};

// Reversible words are up to 15 bits long; escape entries have level 0.
struct RvlcTable {
  static constexpr int kBits = 15;
  TcoefEntry entries[1 << kBits];
};

struct VlcTables {
  static constexpr int kMcbpcBits = 9;
  static constexpr int kCbpyBits = 6;
  static constexpr int kMvdBits = 12;
  static constexpr int kDcBits = 12;
  VlcEntry mcbpcIntra[1 << kMcbpcBits];
  VlcEntry mcbpcInter[1 << kMcbpcBits];
  VlcEntry cbpy[1 << kCbpyBits];
  VlcEntry mvd[1 << kMvdBits];
  VlcEntry dcLuma[1 << kDcBits];
  VlcEntry dcChroma[1 << kDcBits];
  TcoefTable intra;
  TcoefTable inter;
  RvlcTable rvlcIntra;
  RvlcTable rvlcInter;
};

// Built on first use (thread-safe) and shared by every decoder.
const VlcTables& GetVlcTables();

// Fills a flat table; returns false if two codes collide or a code is too long.
bool BuildVlcLookup(const VlcCode* codes, int count, int bits, VlcEntry* out);
int CodeLength(const char* bits);
uint32_t CodeValue(const char* bits);

}  // namespace codec::video
