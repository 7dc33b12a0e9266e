#include "codec/video/bitstream/vlc_tables.h"

#include <cstring>

namespace codec::video {

// MCBPC for I-VOPs: value = cbpc | mb_type << 2 (mb_type 3 intra, 4 intra+dquant).
const VlcCode kMcbpcIntraCodes[] = {
    {"1", 3 << 2 | 0},        {"001", 3 << 2 | 1},      {"010", 3 << 2 | 2},
    {"011", 3 << 2 | 3},      {"0001", 4 << 2 | 0},     {"0000 01", 4 << 2 | 1},
    {"0000 10", 4 << 2 | 2},  {"0000 11", 4 << 2 | 3},  {"0000 0000 1", kVlcStuffing},
};
const int kMcbpcIntraCount = sizeof(kMcbpcIntraCodes) / sizeof(kMcbpcIntraCodes[0]);

// MCBPC for P-VOPs: mb_type 0 inter, 1 inter+dquant, 2 inter4v, 3 intra, 4 intra+dquant.
const VlcCode kMcbpcInterCodes[] = {
    {"1", 0 << 2 | 0},           {"0011", 0 << 2 | 1},        {"0010", 0 << 2 | 2},
    {"0001 01", 0 << 2 | 3},     {"011", 1 << 2 | 0},         {"0000 111", 1 << 2 | 1},
    {"0000 110", 1 << 2 | 2},    {"0000 0010 1", 1 << 2 | 3}, {"010", 2 << 2 | 0},
    {"0000 101", 2 << 2 | 1},    {"0000 100", 2 << 2 | 2},    {"0000 0101", 2 << 2 | 3},
    {"0001 1", 3 << 2 | 0},      {"0000 0100", 3 << 2 | 1},   {"0000 0011", 3 << 2 | 2},
    {"0000 011", 3 << 2 | 3},    {"0001 00", 4 << 2 | 0},     {"0000 0010 0", 4 << 2 | 1},
    {"0000 0001 1", 4 << 2 | 2}, {"0000 0001 0", 4 << 2 | 3}, {"0000 0000 1", kVlcStuffing},
};
const int kMcbpcInterCount = sizeof(kMcbpcInterCodes) / sizeof(kMcbpcInterCodes[0]);

// CBPY as read for intra macroblocks (inter macroblocks use 15 minus this).
const VlcCode kCbpyCodes[] = {
    {"0011", 0},    {"0010 1", 1},  {"0010 0", 2}, {"1001", 3},  {"0001 1", 4}, {"0111", 5},
    {"0000 10", 6}, {"1011", 7},    {"0001 0", 8}, {"0000 11", 9}, {"0101", 10}, {"1010", 11},
    {"0100", 12},   {"1000", 13},   {"0110", 14},  {"11", 15},
};
const int kCbpyCount = sizeof(kCbpyCodes) / sizeof(kCbpyCodes[0]);

// Motion vector differences (magnitude; a sign bit follows every non-zero code).
const VlcCode kMvdCodes[] = {
    {"1", 0},               {"01", 1},              {"001", 2},             {"0001", 3},
    {"0000 11", 4},         {"0000 101", 5},        {"0000 100", 6},        {"0000 011", 7},
    {"0000 0101 1", 8},     {"0000 0101 0", 9},     {"0000 0100 1", 10},    {"0000 0100 01", 11},
    {"0000 0100 00", 12},   {"0000 0011 11", 13},   {"0000 0011 10", 14},   {"0000 0011 01", 15},
    {"0000 0011 00", 16},   {"0000 0010 11", 17},   {"0000 0010 10", 18},   {"0000 0010 01", 19},
    {"0000 0010 00", 20},   {"0000 0001 11", 21},   {"0000 0001 10", 22},   {"0000 0001 01", 23},
    {"0000 0001 00", 24},   {"0000 0000 111", 25},  {"0000 0000 110", 26},  {"0000 0000 101", 27},
    {"0000 0000 100", 28},  {"0000 0000 011", 29},  {"0000 0000 010", 30},  {"0000 0000 0011", 31},
    {"0000 0000 0010", 32},
};
const int kMvdCount = sizeof(kMvdCodes) / sizeof(kMvdCodes[0]);

const VlcCode kDcSizeLumaCodes[] = {
    {"011", 0},       {"11", 1},          {"10", 2},           {"010", 3},     {"001", 4},
    {"0001", 5},      {"0000 1", 6},      {"0000 01", 7},      {"0000 001", 8}, {"0000 0001", 9},
    {"0000 0000 1", 10}, {"0000 0000 01", 11}, {"0000 0000 001", 12},
};
const int kDcSizeLumaCount = sizeof(kDcSizeLumaCodes) / sizeof(kDcSizeLumaCodes[0]);

const VlcCode kDcSizeChromaCodes[] = {
    {"11", 0},           {"10", 1},            {"01", 2},             {"001", 3},
    {"0001", 4},         {"0000 1", 5},        {"0000 01", 6},        {"0000 001", 7},
    {"0000 0001", 8},    {"0000 0000 1", 9},   {"0000 0000 01", 10},  {"0000 0000 001", 11},
    {"0000 0000 0001", 12},
};
const int kDcSizeChromaCount = sizeof(kDcSizeChromaCodes) / sizeof(kDcSizeChromaCodes[0]);

const char* const kTcoefEscape = "0000 011";

// Inter TCOEF (ISO/IEC 14496-2 Table B-17, identical to H.263 TCOEF).
const TcoefCode kTcoefInterCodes[] = {
    {"10", 0, 0, 1},             {"1111", 0, 0, 2},           {"0101 01", 0, 0, 3},
    {"0010 111", 0, 0, 4},       {"0001 1111", 0, 0, 5},      {"0001 0010 1", 0, 0, 6},
    {"0001 0010 0", 0, 0, 7},    {"0000 1000 01", 0, 0, 8},   {"0000 1000 00", 0, 0, 9},
    {"0000 0000 111", 0, 0, 10}, {"0000 0000 110", 0, 0, 11}, {"0000 0100 000", 0, 0, 12},
    {"110", 0, 1, 1},            {"0101 00", 0, 1, 2},        {"0001 1110", 0, 1, 3},
    {"0000 0011 11", 0, 1, 4},   {"0000 0100 001", 0, 1, 5},  {"0000 0101 0000", 0, 1, 6},
    {"1110", 0, 2, 1},           {"0001 1101", 0, 2, 2},      {"0000 0011 10", 0, 2, 3},
    {"0000 0101 0001", 0, 2, 4}, {"0110 1", 0, 3, 1},         {"0001 0001 1", 0, 3, 2},
    {"0000 0011 01", 0, 3, 3},   {"0110 0", 0, 4, 1},         {"0001 0001 0", 0, 4, 2},
    {"0000 0101 0010", 0, 4, 3}, {"0101 1", 0, 5, 1},         {"0000 0011 00", 0, 5, 2},
    {"0000 0101 0011", 0, 5, 3}, {"0100 11", 0, 6, 1},        {"0000 0010 11", 0, 6, 2},
    {"0000 0101 0100", 0, 6, 3}, {"0100 10", 0, 7, 1},        {"0000 0010 10", 0, 7, 2},
    {"0100 01", 0, 8, 1},        {"0000 0010 01", 0, 8, 2},   {"0100 00", 0, 9, 1},
    {"0000 0010 00", 0, 9, 2},   {"0010 110", 0, 10, 1},      {"0000 0101 0101", 0, 10, 2},
    {"0010 101", 0, 11, 1},      {"0010 100", 0, 12, 1},      {"0001 1100", 0, 13, 1},
    {"0001 1011", 0, 14, 1},     {"0001 0000 1", 0, 15, 1},   {"0001 0000 0", 0, 16, 1},
    {"0000 1111 1", 0, 17, 1},   {"0000 1111 0", 0, 18, 1},   {"0000 1110 1", 0, 19, 1},
    {"0000 1110 0", 0, 20, 1},   {"0000 1101 1", 0, 21, 1},   {"0000 1101 0", 0, 22, 1},
    {"0000 0100 010", 0, 23, 1}, {"0000 0100 011", 0, 24, 1}, {"0000 0101 0110", 0, 25, 1},
    {"0000 0101 0111", 0, 26, 1},
    {"0111", 1, 0, 1},           {"0000 1100 1", 1, 0, 2},    {"0000 0000 101", 1, 0, 3},
    {"0011 11", 1, 1, 1},        {"0000 0000 100", 1, 1, 2},  {"0011 10", 1, 2, 1},
    {"0011 01", 1, 3, 1},        {"0011 00", 1, 4, 1},        {"0010 011", 1, 5, 1},
    {"0010 010", 1, 6, 1},       {"0010 001", 1, 7, 1},       {"0010 000", 1, 8, 1},
    {"0001 1010", 1, 9, 1},      {"0001 1001", 1, 10, 1},     {"0001 1000", 1, 11, 1},
    {"0001 0111", 1, 12, 1},     {"0001 0110", 1, 13, 1},     {"0001 0101", 1, 14, 1},
    {"0001 0100", 1, 15, 1},     {"0001 0011", 1, 16, 1},     {"0000 1100 0", 1, 17, 1},
    {"0000 1011 1", 1, 18, 1},   {"0000 1011 0", 1, 19, 1},   {"0000 1010 1", 1, 20, 1},
    {"0000 1010 0", 1, 21, 1},   {"0000 1001 1", 1, 22, 1},   {"0000 1001 0", 1, 23, 1},
    {"0000 1000 1", 1, 24, 1},   {"0000 0001 11", 1, 25, 1},  {"0000 0001 10", 1, 26, 1},
    {"0000 0001 01", 1, 27, 1},  {"0000 0001 00", 1, 28, 1},  {"0000 0100 100", 1, 29, 1},
    {"0000 0100 101", 1, 30, 1}, {"0000 0100 110", 1, 31, 1}, {"0000 0100 111", 1, 32, 1},
    {"0000 0101 1000", 1, 33, 1}, {"0000 0101 1001", 1, 34, 1}, {"0000 0101 1010", 1, 35, 1},
    {"0000 0101 1011", 1, 36, 1}, {"0000 0101 1100", 1, 37, 1}, {"0000 0101 1101", 1, 38, 1},
    {"0000 0101 1110", 1, 39, 1}, {"0000 0101 1111", 1, 40, 1},
};
const int kTcoefInterCount = sizeof(kTcoefInterCodes) / sizeof(kTcoefInterCodes[0]);

// Intra TCOEF (ISO/IEC 14496-2 Table B-16): the same code words, other meanings.
const TcoefCode kTcoefIntraCodes[] = {
    {"10", 0, 0, 1},             {"110", 0, 0, 2},            {"1111", 0, 0, 3},
    {"0110 1", 0, 0, 4},         {"0110 0", 0, 0, 5},         {"0101 01", 0, 0, 6},
    {"0100 11", 0, 0, 7},        {"0100 10", 0, 0, 8},        {"0010 111", 0, 0, 9},
    {"0001 1111", 0, 0, 10},     {"0001 1110", 0, 0, 11},     {"0001 1101", 0, 0, 12},
    {"0001 0010 1", 0, 0, 13},   {"0001 0010 0", 0, 0, 14},   {"0001 0001 1", 0, 0, 15},
    {"0001 0000 1", 0, 0, 16},   {"0000 1000 01", 0, 0, 17},  {"0000 1000 00", 0, 0, 18},
    {"0000 0011 11", 0, 0, 19},  {"0000 0011 10", 0, 0, 20},  {"0000 0000 111", 0, 0, 21},
    {"0000 0000 110", 0, 0, 22}, {"0000 0100 000", 0, 0, 23}, {"0000 0100 001", 0, 0, 24},
    {"0000 0101 0000", 0, 0, 25}, {"0000 0101 0001", 0, 0, 26}, {"0000 0101 0010", 0, 0, 27},
    {"1110", 0, 1, 1},           {"0101 00", 0, 1, 2},        {"0010 110", 0, 1, 3},
    {"0001 1100", 0, 1, 4},      {"0001 0000 0", 0, 1, 5},    {"0000 1111 1", 0, 1, 6},
    {"0000 0011 01", 0, 1, 7},   {"0000 0100 010", 0, 1, 8},  {"0000 0101 0011", 0, 1, 9},
    {"0000 0101 0101", 0, 1, 10}, {"0101 1", 0, 2, 1},        {"0010 101", 0, 2, 2},
    {"0000 1111 0", 0, 2, 3},    {"0000 0011 00", 0, 2, 4},   {"0000 0101 0110", 0, 2, 5},
    {"0100 01", 0, 3, 1},        {"0001 1011", 0, 3, 2},      {"0000 1110 1", 0, 3, 3},
    {"0000 0010 11", 0, 3, 4},   {"0100 00", 0, 4, 1},        {"0001 0001 0", 0, 4, 2},
    {"0000 0010 10", 0, 4, 3},   {"0011 01", 0, 5, 1},        {"0000 1110 0", 0, 5, 2},
    {"0000 0010 00", 0, 5, 3},   {"0010 010", 0, 6, 1},       {"0000 1101 1", 0, 6, 2},
    {"0000 0101 0100", 0, 6, 3}, {"0010 100", 0, 7, 1},       {"0000 1101 0", 0, 7, 2},
    {"0000 0101 0111", 0, 7, 3}, {"0001 1001", 0, 8, 1},      {"0000 0010 01", 0, 8, 2},
    {"0001 1000", 0, 9, 1},      {"0000 0100 011", 0, 9, 2},  {"0001 0111", 0, 10, 1},
    {"0000 1100 1", 0, 11, 1},   {"0000 1100 0", 0, 12, 1},   {"0000 0001 11", 0, 13, 1},
    {"0000 0101 1000", 0, 14, 1},
    {"0111", 1, 0, 1},           {"0011 00", 1, 0, 2},        {"0001 0110", 1, 0, 3},
    {"0000 1011 1", 1, 0, 4},    {"0000 0001 10", 1, 0, 5},   {"0000 0000 101", 1, 0, 6},
    {"0000 0000 100", 1, 0, 7},  {"0000 0101 1001", 1, 0, 8}, {"0011 11", 1, 1, 1},
    {"0000 1011 0", 1, 1, 2},    {"0000 0001 01", 1, 1, 3},   {"0011 10", 1, 2, 1},
    {"0000 0001 00", 1, 2, 2},   {"0010 001", 1, 3, 1},       {"0000 0100 100", 1, 3, 2},
    {"0010 000", 1, 4, 1},       {"0000 0100 101", 1, 4, 2},  {"0010 011", 1, 5, 1},
    {"0000 0101 1010", 1, 5, 2}, {"0001 0101", 1, 6, 1},      {"0000 0101 1011", 1, 6, 2},
    {"0001 0100", 1, 7, 1},      {"0001 0011", 1, 8, 1},      {"0001 1010", 1, 9, 1},
    {"0000 1010 1", 1, 10, 1},   {"0000 1010 0", 1, 11, 1},   {"0000 1001 1", 1, 12, 1},
    {"0000 1001 0", 1, 13, 1},   {"0000 1000 1", 1, 14, 1},   {"0000 0100 110", 1, 15, 1},
    {"0000 0100 111", 1, 16, 1}, {"0000 0101 1100", 1, 17, 1}, {"0000 0101 1101", 1, 18, 1},
    {"0000 0101 1110", 1, 19, 1}, {"0000 0101 1111", 1, 20, 1},
};
const int kTcoefIntraCount = sizeof(kTcoefIntraCodes) / sizeof(kTcoefIntraCodes[0]);

int CodeLength(const char* bits) {
  int n = 0;
  for (const char* p = bits; *p; ++p) n += (*p == '0' || *p == '1');
  return n;
}

uint32_t CodeValue(const char* bits) {
  uint32_t v = 0;
  for (const char* p = bits; *p; ++p) {
    if (*p == '0' || *p == '1') v = v << 1 | uint32_t(*p - '0');
  }
  return v;
}

bool BuildVlcLookup(const VlcCode* codes, int count, int bits, VlcEntry* out) {
  std::memset(out, 0, sizeof(VlcEntry) << bits);
  bool ok = true;
  for (int i = 0; i < count; ++i) {
    int len = CodeLength(codes[i].bits);
    if (len > bits) return false;
    uint32_t first = CodeValue(codes[i].bits) << (bits - len);
    for (uint32_t k = 0; k < (1u << (bits - len)); ++k) {
      VlcEntry& e = out[first + k];
      if (e.len) ok = false;
      e.len = static_cast<uint8_t>(len);
      e.value = codes[i].value;
    }
  }
  return ok;
}

namespace {

TcoefEntry MakeEntry(const RvlcTable&, int len, uint8_t last, uint8_t run, uint8_t level) {
  return TcoefEntry::Make(len, last, run, level);
}

TcoefCodeEntry MakeEntry(const TcoefTable&, int len, uint8_t last, uint8_t run, uint8_t level) {
  return {static_cast<uint8_t>(level ? len + 1 : len), last, run, level};
}

template <typename Table>
void Place(Table& t, const char* bits, uint8_t last, uint8_t run, uint8_t level) {
  int len = CodeLength(bits);
  uint32_t first = CodeValue(bits) << (Table::kBits - len);
  for (uint32_t k = 0; k < (1u << (Table::kBits - len)); ++k) {
    t.entries[first + k] = MakeEntry(t, len, last, run, level);
  }
}

void BuildTcoef(const TcoefCode* codes, int count, TcoefTable& t) {
  std::memset(&t, 0, sizeof(t));
  for (int i = 0; i < count; ++i) {
    const TcoefCode& c = codes[i];
    Place(t, c.bits, c.last, c.run, c.level);
    if (c.level > t.maxLevel[c.last][c.run]) t.maxLevel[c.last][c.run] = c.level;
    if (c.level < 32 && c.run > t.maxRun[c.last][c.level]) t.maxRun[c.last][c.level] = c.run;
  }
  Place(t, kTcoefEscape, 0, 0, 0);
}

void BuildRvlc(bool intra, RvlcTable& t) {
  std::memset(&t, 0, sizeof(t));
  for (int i = 0; i < kRvlcCount; ++i) {
    const RvlcCode& c = kRvlcCodes[i];
    if (intra) {
      Place(t, c.bits, c.intraLast, c.intraRun, c.intraLevel);
    } else {
      Place(t, c.bits, c.interLast, c.interRun, c.interLevel);
    }
  }
  Place(t, kRvlcEscape, 0, 0, 0);
}

struct TableHolder {
  VlcTables t;
  TableHolder() {
    BuildVlcLookup(kMcbpcIntraCodes, kMcbpcIntraCount, VlcTables::kMcbpcBits, t.mcbpcIntra);
    BuildVlcLookup(kMcbpcInterCodes, kMcbpcInterCount, VlcTables::kMcbpcBits, t.mcbpcInter);
    BuildVlcLookup(kCbpyCodes, kCbpyCount, VlcTables::kCbpyBits, t.cbpy);
    BuildVlcLookup(kMvdCodes, kMvdCount, VlcTables::kMvdBits, t.mvd);
    BuildVlcLookup(kDcSizeLumaCodes, kDcSizeLumaCount, VlcTables::kDcBits, t.dcLuma);
    BuildVlcLookup(kDcSizeChromaCodes, kDcSizeChromaCount, VlcTables::kDcBits, t.dcChroma);
    BuildTcoef(kTcoefIntraCodes, kTcoefIntraCount, t.intra);
    BuildTcoef(kTcoefInterCodes, kTcoefInterCount, t.inter);
    BuildRvlc(true, t.rvlcIntra);
    BuildRvlc(false, t.rvlcInter);
  }
};

}  // namespace

const VlcTables& GetVlcTables() {
  static const TableHolder* holder = new TableHolder();
  return holder->t;
}

}  // namespace codec::video
