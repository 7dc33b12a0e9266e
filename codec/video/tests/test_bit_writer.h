#pragma once
// Minimal big-endian bit writer for building test bitstreams by hand.
#include <cstdint>
#include <vector>

namespace codec::video::testing {

class TestBitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) PutBit((value >> i) & 1);
  }
  void PutBit(int b) {
    if (used_ == 0) bytes_.push_back(0);
    if (b) bytes_.back() |= static_cast<uint8_t>(0x80 >> used_);
    used_ = (used_ + 1) & 7;
  }
  // Writes '0' then '1's up to the byte boundary (0x7F when already aligned).
  void Stuff() {
    PutBit(0);
    while (used_) PutBit(1);
  }
  void ZeroAlign() {
    while (used_) PutBit(0);
  }
  // A code written as '0'/'1' characters (spaces ignored).
  void PutCode(const char* bits) {
    for (const char* p = bits; *p; ++p)
      if (*p == '0' || *p == '1') PutBit(*p - '0');
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  size_t BitCount() const { return bytes_.size() * 8 - (used_ ? 8 - used_ : 0); }

 private:
  std::vector<uint8_t> bytes_;
  int used_ = 0;
};

// Stream headers: VOS, visual object, video object, VOL with the given fields.
struct VolFields {
  int width = 176;
  int height = 144;
  uint32_t resolution = 30;
  bool fixedRate = false;
  uint32_t fixedIncrement = 1;
  bool resyncDisable = true;
  bool partitioned = false;
  bool reversible = false;
  // Version 2: the visual object's verid (0 none stated) and the layer's (0 none stated).
  int objectVerid = 0;
  int layerVerid = 0;
  int sprite = 0;            // 1 static, 2 GMC
  bool not8Bit = false;
  bool mpegQuant = false;    // with an intra matrix of 3 values and the default non-intra
  bool quarterSample = false;
  bool newpred = false;
  bool reducedResolution = false;
  // The complexity-estimation section after its disable bit, as '0'/'1'
  // characters; null for none.
  const char* estimation = nullptr;
  // The visual object states its video signal type with a colour description.
  bool signalType = false;
};

// Bits needed for the largest increment, resolution - 1; at least 1.
inline int IncrementBits(uint32_t resolution) {
  int bits = 1;
  while (bits < 16 && (resolution - 1) >> bits) ++bits;
  return bits;
}

inline void WriteVol(TestBitWriter& w, const VolFields& f) {
  w.Put(0x1B0, 32);
  w.Put(0x08, 8);
  w.Put(0x1B5, 32);
  w.Put(f.objectVerid != 0, 1);
  if (f.objectVerid) {
    w.Put(uint32_t(f.objectVerid), 4);
    w.Put(3, 3);    // priority
  }
  w.Put(1, 4);      // video
  w.Put(f.signalType, 1);
  if (f.signalType) {
    w.Put(5, 3);    // video format: unspecified
    w.Put(0, 1);    // video range
    w.Put(1, 1);    // colour description: primaries, transfer, matrix
    w.Put(0x010101, 24);
  }
  w.Stuff();
  w.Put(0x100, 32);
  w.Put(0x120, 32);
  w.Put(0, 1);      // random access
  w.Put(1, 8);      // simple object
  w.Put(f.layerVerid != 0, 1);
  if (f.layerVerid) {
    w.Put(uint32_t(f.layerVerid), 4);
    w.Put(1, 3);    // priority
  }
  const int verid = f.layerVerid ? f.layerVerid : f.objectVerid ? f.objectVerid : 1;
  w.Put(1, 4);      // square pixels
  w.Put(0, 1);      // no control parameters
  w.Put(0, 2);      // rectangular
  w.Put(1, 1);
  w.Put(f.resolution, 16);
  w.Put(1, 1);
  w.Put(f.fixedRate, 1);
  if (f.fixedRate) w.Put(f.fixedIncrement, IncrementBits(f.resolution));
  w.Put(1, 1);
  w.Put(f.width, 13);
  w.Put(1, 1);
  w.Put(f.height, 13);
  w.Put(1, 1);
  w.Put(0, 1);      // progressive
  w.Put(1, 1);      // obmc disabled
  w.Put(uint32_t(f.sprite), verid == 1 ? 1 : 2);
  if (f.sprite == 1) {
    for (uint32_t v : {352u, 288u, 0u, 0u}) {  // sprite size and position
      w.Put(v, 13);
      w.Put(1, 1);
    }
  }
  if (f.sprite) {
    w.Put(4, 6);    // warping points
    w.Put(3, 2);    // accuracy
    w.Put(1, 1);    // brightness change
  }
  if (f.sprite == 1) w.Put(1, 1);  // low-latency sprites
  w.Put(f.not8Bit, 1);
  if (f.not8Bit) {
    w.Put(5, 4);    // quant_precision
    w.Put(10, 4);   // bits_per_pixel
  }
  w.Put(f.mpegQuant, 1);
  if (f.mpegQuant) {
    w.Put(1, 1);    // load_intra_quant_mat
    for (uint32_t v : {8u, 17u, 18u, 0u}) w.Put(v, 8);
    w.Put(0, 1);    // default non-intra matrix
  }
  if (verid != 1) w.Put(f.quarterSample, 1);
  w.Put(f.estimation == nullptr, 1);
  if (f.estimation) w.PutCode(f.estimation);
  w.Put(f.resyncDisable, 1);
  w.Put(f.partitioned, 1);
  if (f.partitioned) w.Put(f.reversible, 1);
  if (verid != 1) {
    w.Put(f.newpred, 1);
    if (f.newpred) w.Put(5, 3);  // upstream message type, segment type
    w.Put(f.reducedResolution, 1);
  }
  w.Put(0, 1);      // no scalability
  w.Stuff();
}

// VOP header up to and including the quantiser (and fcode for P).
inline void WriteVopHeader(TestBitWriter& w, bool p, int incrementBits, uint32_t increment,
                           bool coded, int quant, int fcode = 1, int rounding = 0,
                           int dcThreshold = 0, bool reducedResolutionField = false) {
  w.Put(0x1B6, 32);
  w.Put(p ? 1 : 0, 2);
  w.Put(0, 1);      // modulo time base
  w.Put(1, 1);
  w.Put(increment, incrementBits);
  w.Put(1, 1);
  w.Put(coded, 1);
  if (!coded) return;
  if (p) w.Put(rounding, 1);
  if (reducedResolutionField) w.Put(0, 1);  // vop_reduced_resolution
  w.Put(dcThreshold, 3);  // intra_dc_vlc_thr: 0 DC sizes always coded, 7 never
  w.Put(quant, 5);
  if (p) w.Put(fcode, 3);
}

}  // namespace codec::video::testing
