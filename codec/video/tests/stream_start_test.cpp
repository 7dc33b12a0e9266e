// Stream start, header parsing and the decode result rules, on hand-built units.
#include <gtest/gtest.h>

#include <vector>

#include "codec/video/tests/stream_files.h"
#include "codec/video/tests/test_bit_writer.h"
#include "codec/video/video_decoder.h"

namespace codec::video::testing {
namespace {

std::vector<uint8_t> VolUnit(const VolFields& f) {
  TestBitWriter w;
  WriteVol(w, f);
  return w.Bytes();
}

// A DC-only intra macroblock: its first luma block `diff` away from 128 (no
// neighbours) or from its left neighbour, the rest predicted from it.
void WriteDcOnlyIntraMb(TestBitWriter& w, int diff) {
  w.PutCode("1");     // MCBPC: intra, cbpc 0
  w.Put(0, 1);        // no AC prediction
  w.PutCode("0011");  // CBPY 0
  for (int b = 0; b < 6; ++b) {
    const bool luma = b < 4;
    const int d = b == 0 ? diff : 0;
    if (d == 0) {
      w.PutCode(luma ? "011" : "11");
      continue;
    }
    int size = 0;
    for (int v = d < 0 ? -d : d; v; v >>= 1) ++size;
    static const char* kLuma[] = {"011", "11", "10", "010", "001", "0001", "0000 1", "0000 01", "0000 001"};
    static const char* kChroma[] = {"11", "10", "01", "001", "0001", "0000 1", "0000 01", "0000 001", "0000 0001"};
    w.PutCode(luma ? kLuma[size] : kChroma[size]);
    w.Put(d > 0 ? d : d + (1 << size) - 1, size);
    if (size > 8) w.Put(1, 1);
  }
}

// An I VOP whose macroblocks are all DC-only intra blocks of luma `level`.
std::vector<uint8_t> FlatIntraVop(int mb_count, int level, int increment_bits, uint32_t increment = 1,
                                  bool reduced_resolution_field = false) {
  TestBitWriter w;
  WriteVopHeader(w, false, increment_bits, increment, true, 4, 1, 0, 0, reduced_resolution_field);
  for (int mb = 0; mb < mb_count; ++mb) WriteDcOnlyIntraMb(w, mb == 0 ? level - 128 : 0);
  w.Stuff();
  return w.Bytes();
}

// A P VOP in which every macroblock is not coded.
std::vector<uint8_t> SkippedPVop(int mb_count, int increment_bits) {
  TestBitWriter w;
  WriteVopHeader(w, true, increment_bits, 2, true, 4);
  for (int mb = 0; mb < mb_count; ++mb) w.Put(1, 1);
  w.Stuff();
  return w.Bytes();
}

TEST(StreamStart, ConfigurationUnitAloneStartsTheStreamWithTheLayerSize) {
  VideoDecoder dec;
  dec.SetSize(320, 240);
  const auto unit = VolUnit({.width = 64, .height = 48});
  EXPECT_EQ(dec.Decode(unit.data(), unit.size()), kDecodeStarted);
  EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok);
  EXPECT_EQ(dec.Width(), 64);
  EXPECT_EQ(dec.Height(), 48);
  EXPECT_EQ(dec.FrameCounter(), 1u);
  // The padding read as an uncoded I picture: the picture stays black.
  const uint8_t* pic = dec.ProducePicture();
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic[0], 0);
  EXPECT_EQ(pic[64 * 48], 128);

  // Release starts a new stream: a P picture alone decodes nothing.
  dec.Release();
  EXPECT_EQ(dec.FrameCounter(), 0u);
  EXPECT_EQ(dec.ProducePicture(), nullptr);
  const auto p = SkippedPVop(12, 5);
  EXPECT_EQ(dec.Decode(p.data(), p.size()), kDecodeNoPicture);
}

TEST(StreamStart, LayerHeaderFieldsAreReported) {
  const struct {
    const char* name;
    VolFields f;
    int bits, width, height;
  } cases[] = {
      {"resolution 1", {.resolution = 1, .fixedRate = true}, 1, 176, 144},
      {"resolution 32", {.resolution = 32, .fixedRate = true, .fixedIncrement = 31}, 5, 176, 144},
      {"resolution 33", {.resolution = 33, .fixedRate = true, .fixedIncrement = 32}, 6, 176, 144},
      {"resolution 1024", {.resolution = 1024, .fixedRate = true, .fixedIncrement = 1023}, 10, 176, 144},
      {"resolution 30000", {.resolution = 30000, .fixedRate = true}, 15, 176, 144},
      {"resolution 65535", {.resolution = 65535, .fixedRate = true}, 16, 176, 144},
      {"odd size falls back to QCIF", {.width = 100, .height = 0}, 5, 176, 144},
      {"error resilience flags",
       {.width = 64, .height = 48, .resyncDisable = false, .partitioned = true, .reversible = true}, 5, 64, 48},
      {"a visual object with its signal type", {.width = 64, .height = 48, .signalType = true}, 5, 64, 48},
  };
  for (const auto& c : cases) {
    const auto unit = VolUnit(c.f);
    VolInfo info;
    ASSERT_EQ(ParseVolInfo(unit.data(), unit.size(), &info), 0) << c.name;
    EXPECT_EQ(info.timeIncrementBits, c.bits) << c.name;
    EXPECT_EQ(info.timeIncrementResolution, c.f.resolution) << c.name;
    EXPECT_EQ(info.fixedVopRate, c.f.fixedRate) << c.name;
    if (c.f.fixedRate) {
      EXPECT_EQ(info.fixedVopTimeIncrement, c.f.fixedIncrement) << c.name;
    }
    EXPECT_EQ(info.width, c.width) << c.name;
    EXPECT_EQ(info.height, c.height) << c.name;
    EXPECT_EQ(info.resyncMarkerDisable, c.f.resyncDisable) << c.name;
    EXPECT_EQ(info.dataPartitioned, c.f.partitioned) << c.name;
    EXPECT_EQ(info.reversibleVlc, c.f.reversible) << c.name;
    // The decoder takes the same size as its own.
    VideoDecoder dec;
    EXPECT_EQ(dec.Decode(unit.data(), unit.size()), kDecodeStarted) << c.name;
    EXPECT_EQ(dec.Width(), c.width) << c.name;
  }
  const uint8_t noVol[] = {0x00, 0x00, 0x01, 0xB6, 0x00};
  VolInfo info;
  EXPECT_EQ(ParseVolInfo(noVol, sizeof(noVol), &info), -1);
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// No configuration unit: the layer headers come with the first picture, and
// a P picture first (SkipUntilIntra) is dropped until an I picture. Then
// uncoded macroblocks repeat the newest picture, however many pictures of
// either kind came before (the decoder skips copies it knows to be no-ops).
TEST(StillScene, UncodedMacroblocksRepeatTheNewestPicture) {
  VideoDecoder dec;
  const auto vol = VolUnit({.width = 32, .height = 32});
  const auto bright = FlatIntraVop(4, 200, 5), dark = FlatIntraVop(4, 60, 5);
  const auto skipped = SkippedPVop(4, 5);
  const auto volThenP = Joined(vol, skipped);
  EXPECT_EQ(dec.Decode(volThenP.data(), volThenP.size()), kDecodeNoPicture);
  EXPECT_EQ(dec.LastStatus(), DecodeStatus::SkipUntilIntra);
  EXPECT_EQ(dec.FrameCounter(), 0u);
  const auto first = Joined(vol, bright);
  struct Step {
    const std::vector<uint8_t>* unit;
    uint8_t luma;
  } steps[] = {{&first, 200}, {&skipped, 200}, {&skipped, 200}, {&dark, 60}, {&skipped, 60},
               {&skipped, 60}, {&skipped, 60},   {&bright, 200}, {&skipped, 200}, {&dark, 60},
               {&bright, 200}, {&skipped, 200}, {&skipped, 200}};
  for (size_t i = 0; i < std::size(steps); ++i) {
    ASSERT_EQ(dec.Decode(steps[i].unit->data(), steps[i].unit->size()), kDecodeStarted) << "step " << i;
    EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok) << "step " << i;
    const uint8_t* pic = dec.ProducePicture();
    ASSERT_NE(pic, nullptr);
    for (int at : {0, 17, 32 * 32 - 1})
      ASSERT_EQ(pic[at], steps[i].luma) << "step " << i << ", luma sample " << at;
    EXPECT_EQ(pic[32 * 32 + 5], 128) << "step " << i;
  }
}

// A started stream, then one more unit: the sample it leaves at `at`.
TEST(StreamStart, UnitsAfterTheStartDecodeTheirPicture) {
  const auto vol16 = VolUnit({.width = 16, .height = 16});
  const auto vol32 = VolUnit({.width = 32, .height = 16});
  TestBitWriter uncoded;
  WriteVopHeader(uncoded, true, 5, 3, false, 0);
  uncoded.Stuff();
  const struct {
    const char* name;
    std::vector<uint8_t> start, unit;
    size_t at;
    uint8_t want;
  } cases[] = {
      {"an uncoded P picture keeps the reference", Joined(vol16, FlatIntraVop(1, 90, 5)), uncoded.Bytes(), 0, 90},
      {"stuffing and user data before a picture are skipped", vol16,
       Joined({0x7F, 0x00, 0x00, 0x01, 0xB2, 'h', 'i', 0x00}, FlatIntraVop(1, 60, 5)), 0, 60},
      {"layer headers repeated before a picture are read again", vol32, Joined(vol32, FlatIntraVop(2, 140, 5)), 31,
       140},
  };
  for (const auto& c : cases) {
    VideoDecoder dec;
    ASSERT_EQ(dec.Decode(c.start.data(), c.start.size()), kDecodeStarted) << c.name;
    EXPECT_EQ(dec.Decode(c.unit.data(), c.unit.size()), kDecodeStarted) << c.name;
    EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok) << c.name;
    EXPECT_EQ(dec.ProducePicture()[c.at], c.want) << c.name;
  }
}

TEST(StreamStart, GarbageAndSequenceEndAreFatal) {
  VideoDecoder dec;
  const uint8_t garbage[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
  EXPECT_EQ(dec.Decode(garbage, sizeof(garbage)), kDecodeFatal);
  EXPECT_EQ(dec.Decode(nullptr, 0), kDecodeStarted);  // the padding alone is an uncoded I picture
  const uint8_t userDataFirst[] = {0x00, 0x00, 0x01, 0xB2, 0x41};
  dec.Release();
  EXPECT_EQ(dec.Decode(userDataFirst, sizeof(userDataFirst)), kDecodeFatal);

  const auto vol = VolUnit({});
  dec.Release();
  ASSERT_EQ(dec.Decode(vol.data(), vol.size()), kDecodeStarted);
  const uint8_t end[] = {0x00, 0x00, 0x01, 0xB1};
  EXPECT_EQ(dec.Decode(end, sizeof(end)), kDecodeFatal);
  EXPECT_EQ(dec.LastStatus(), DecodeStatus::Fatal);
}

// 128x96 I picture: PSC, TR, PTYPE (sub-QCIF), PQUANT, `supplemental`
// PSUPP bytes; every MB DC-only; then the end-of-sequence code if asked.
std::vector<uint8_t> ShortHeaderPicture(int supplemental, bool sequence_end) {
  TestBitWriter w;
  w.Put(0x20, 22);
  w.Put(0, 8);
  w.Put(0b10000001, 8);  // marker, zero, split, doc, freeze, format 001
  w.Put(0, 1);           // I
  w.Put(0, 4);
  w.Put(6, 5);
  w.Put(0, 1);
  for (int i = 0; i < supplemental; ++i) {
    w.Put(1, 1);         // PEI
    w.Put(0xA5, 8);      // PSUPP
  }
  w.Put(0, 1);           // PEI
  for (int mb = 0; mb < 48; ++mb) {
    w.PutCode("1");      // MCBPC intra
    w.PutCode("0011");   // CBPY 0
    for (int b = 0; b < 6; ++b) w.Put(b < 4 ? 50 : 128, 8);
  }
  w.ZeroAlign();
  if (sequence_end) w.Put(0x3F, 22);
  w.ZeroAlign();
  return w.Bytes();
}

TEST(StreamStart, ShortHeaderUsesTheConfiguredSize) {
  for (const auto& [supplemental, sequence_end] : {std::pair{0, false}, {2, false}, {0, true}}) {
    SCOPED_TRACE(::testing::Message() << supplemental << " PSUPP bytes, sequence end " << sequence_end);
    const std::vector<uint8_t> unit = ShortHeaderPicture(supplemental, sequence_end);
    VideoDecoder dec;
    dec.SetSize(128, 96);
    EXPECT_EQ(dec.Decode(unit.data(), unit.size()), kDecodeStarted);
    EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok);
    EXPECT_EQ(dec.Width(), 128);
    EXPECT_EQ(dec.Height(), 96);
    const uint8_t* pic = dec.ProducePicture();
    EXPECT_EQ(pic[0], 50);
    EXPECT_EQ(pic[128 * 96 - 1], 50);
    EXPECT_EQ(pic[128 * 96], 128);
  }
}

// One 16x16 intra macroblock: top-left 8x8 at 50, the rest of the luma at 200.
std::vector<uint8_t> TwoLevelIntraVop() {
  TestBitWriter w;
  WriteVopHeader(w, false, 5, 1, true, 4);
  w.PutCode("1");                       // MCBPC intra, cbpc 0
  w.Put(0, 1);
  w.PutCode("0011");                    // CBPY 0
  w.PutCode("0000 01");                 // block 0: size 7, -78
  w.Put(-78 + 127, 7);
  w.PutCode("0000 001");                // block 1: size 8, +150 from the left
  w.Put(150, 8);
  w.PutCode("0000 001");                // block 2: +150 from above
  w.Put(150, 8);
  w.PutCode("011");                     // block 3: predicted from the left
  w.PutCode("11");
  w.PutCode("11");
  w.Stuff();
  return w.Bytes();
}

// A P VOP whose one macroblock moves by (v, v) half samples with fcode 7
// (|v| from 961 to 1024 uses the magnitude-16 code with a 6-bit residual).
std::vector<uint8_t> FarVectorPVop(int v) {
  TestBitWriter w;
  WriteVopHeader(w, true, 5, 2, true, 4, 7);
  w.Put(0, 1);        // coded
  w.PutCode("1");     // MCBPC inter, cbpc 0
  w.PutCode("11");    // CBPY: no luma block coded
  const int mag = v < 0 ? -v : v;
  for (int c = 0; c < 2; ++c) {
    w.PutCode("0000 0011 00");  // MVD magnitude 16: (16 - 1) * 64 + residual + 1
    w.Put(v < 0, 1);
    w.Put(mag - 961, 6);
  }
  w.Stuff();
  return w.Bytes();
}

TEST(MotionCompensation, VectorsFarPastTheBorderReadClampedSamples) {
  for (int v : {-1024, 1024, -961, 1001}) {
    VideoDecoder dec;
    const auto unit = Joined(VolUnit({.width = 16, .height = 16}), TwoLevelIntraVop());
    ASSERT_EQ(dec.Decode(unit.data(), unit.size()), kDecodeStarted);
    const uint8_t* pic = dec.ProducePicture();
    ASSERT_EQ(pic[0], 50);
    ASSERT_EQ(pic[15], 200);
    auto p = FarVectorPVop(v);
    ASSERT_EQ(dec.Decode(p.data(), p.size()), kDecodeStarted) << v;
    EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok);
    pic = dec.ProducePicture();
    // Far up-left reads the top-left sample, far down-right the bottom-right one.
    const int want = v < 0 ? 50 : 200;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(pic[i], want) << "vector " << v << " sample " << i;
  }
}


TEST(VideoPackets, HeaderExtensionWithANewTimeStartsANewPictureFromThatPacket) {
  TestBitWriter w;
  WriteVol(w, {.width = 32, .height = 16, .resyncDisable = false});
  WriteVopHeader(w, false, 5, 1, true, 4);
  WriteDcOnlyIntraMb(w, 170 - 128);
  w.Stuff();
  w.Put(1, 17);       // resync marker of an I picture
  w.Put(1, 1);        // macroblock number 1
  w.Put(4, 5);        // quantiser
  w.Put(1, 1);        // header extension
  w.Put(0, 1);        // modulo time base
  w.Put(1, 1);
  w.Put(2, 5);        // a later time: a new picture
  w.Put(1, 1);
  w.Put(0, 2);        // I
  w.Put(0, 3);        // intra_dc_vlc_thr
  WriteDcOnlyIntraMb(w, 180 - 128);
  w.Stuff();
  VideoDecoder dec;
  ASSERT_EQ(dec.Decode(w.Bytes().data(), w.Bytes().size()), kDecodeStarted);
  EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok);
  // The first picture ended at the packet; the second conceals its first
  // macroblock from the first picture and decodes the packet's own.
  const uint8_t* pic = dec.ProducePicture();
  EXPECT_EQ(pic[0], 170);
  EXPECT_EQ(pic[31], 180);
  EXPECT_EQ(dec.CurrentTimeMs(), 66u);
}

// Layers of version 2 (stated by the layer, or inherited from the visual
// object) carry more fields; every field after them must still be read where
// it is. Tools that are not decoded are read and decoded as if clear.
TEST(StreamStart, VersionTwoLayerFieldsAreReadAndSkipped) {
  const VolFields base{.width = 48, .height = 32, .resyncDisable = false, .partitioned = true, .reversible = true};
  auto with = [&](auto change) {
    VolFields f = base;
    change(f);
    return f;
  };
  const struct {
    const char* name;
    VolFields f;
  } cases[] = {
      {"version 1", base},
      {"version 1 with 12-bit samples and MPEG matrices", with([](VolFields& f) { f.not8Bit = f.mpegQuant = true; })},
      {"version 2 from the visual object", with([](VolFields& f) { f.objectVerid = 2; })},
      {"version 2 layer with quarter samples", with([](VolFields& f) { f.layerVerid = 2, f.quarterSample = true; })},
      {"version 2 layer with GMC sprites and NEWPRED",
       with([](VolFields& f) { f.layerVerid = 2, f.sprite = 2, f.newpred = true; })},
      {"version 2 layer with static sprites and matrices",
       with([](VolFields& f) { f.layerVerid = 2, f.sprite = 1, f.mpegQuant = true; })},
      {"version 2 with reduced-resolution pictures",
       with([](VolFields& f) { f.objectVerid = 2, f.reducedResolution = true; })},
      {"a version 1 layer in a version 2 object", with([](VolFields& f) { f.objectVerid = 2, f.layerVerid = 1; })},
  };
  for (const auto& c : cases) {
    const auto unit = VolUnit(c.f);
    VolInfo info;
    ASSERT_EQ(ParseVolInfo(unit.data(), unit.size(), &info), 0) << c.name;
    EXPECT_EQ(info.width, 48) << c.name;
    EXPECT_EQ(info.height, 32) << c.name;
    EXPECT_FALSE(info.resyncMarkerDisable) << c.name;
    EXPECT_TRUE(info.dataPartitioned) << c.name;
    EXPECT_TRUE(info.reversibleVlc) << c.name;

    // A picture after the layer header decodes (its header has the extra
    // reduced-resolution bit where the layer enables it).
    VolFields plain = c.f;
    plain.resyncDisable = true;
    plain.partitioned = plain.reversible = false;
    VideoDecoder dec;
    const auto start = Joined(VolUnit(plain), FlatIntraVop(6, 170, 5, 1, c.f.reducedResolution));
    EXPECT_EQ(dec.Decode(start.data(), start.size()), kDecodeStarted) << c.name;
    EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok) << c.name;
    const uint8_t* pic = dec.ProducePicture();
    ASSERT_NE(pic, nullptr) << c.name;
    EXPECT_EQ(pic[0], 170) << c.name;
    EXPECT_EQ(pic[48 * 32 - 1], 170) << c.name;
  }
}

// Streams from another encoder at power-of-two time bases (ffmpeg -r 8, 16,
// 32): every picture parses and lands at its own time, 1000 / rate apart.
TEST(StreamStart, PowerOfTwoTimeBasesFromAnotherEncoderDecode) {
  for (int rate : {8, 16, 32}) {
    const std::string name = "rate" + std::to_string(rate) + "_96x64.m4v";
    TestStream s;
    ASSERT_TRUE(LoadStream(name.c_str(), &s)) << DataPath(name.c_str());
    VideoDecoder dec;
    dec.SetSize(176, 144);
    int pictures = 0;
    for (size_t i = 0; i < s.units.size(); ++i) {
      const auto unit = s.Unit(i);
      ASSERT_EQ(dec.Decode(unit.data(), unit.size()), kDecodeStarted) << name << " unit " << i;
      if (!s.units[i].config) {
        EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok) << name << " picture " << pictures;
        EXPECT_EQ(dec.CurrentTimeMs(), uint32_t(pictures * 1000 / rate)) << name << " picture " << pictures;
        ++pictures;
      }
    }
    EXPECT_EQ(pictures, 6) << name;
    EXPECT_EQ(dec.Width(), 96) << name;
    EXPECT_EQ(dec.Height(), 64) << name;
  }
}

}  // namespace
}  // namespace codec::video::testing
