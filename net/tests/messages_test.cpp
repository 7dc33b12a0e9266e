// Wire layouts: byte order per field, sizes, clamps and the text-field rules.
// The framing header and the media fixed parts are asserted while compiling
// (net/wire_layout_checks.cpp).
#include <gtest/gtest.h>

#include <string>

#include "net/byte_order.h"
#include "net/camera_setup_info.h"
#include "net/channel_messages.h"
#include "net/control_messages.h"
#include "net/list_records.h"
#include "net/login_messages.h"
#include "net/media_data.h"
#include "net/packet_header.h"

namespace net {
namespace {

TEST(TextFields, LongTextIsCutAndKeepsItsNul) {
  auto body = EncodeLoginRequest("a-user-name-longer-than-15", "p");
  EXPECT_EQ(0, body[15]) << "user ID must stay NUL-terminated in its 16 bytes";
  std::string user, password;
  ASSERT_TRUE(DecodeLoginRequest(body.data(), body.size(), &user, &password));
  EXPECT_EQ("a-user-name-lon", user);
  EXPECT_EQ("p", password);
  for (size_t i = 32; i < body.size(); ++i) EXPECT_EQ(0, body[i]);
}

TEST(TextFields, UnterminatedFieldFromNetworkStopsAtFieldEnd) {
  uint8_t record[kCameraRecordSize];
  std::memset(record, 'A', sizeof record);
  CameraRecord r = DecodeCameraRecord(record);
  EXPECT_EQ(36u, r.camera_id.size());
  EXPECT_EQ(kCameraRecordSize - 168, r.text168.size());
}

TEST(ChannelSetup, LittleEndianRecordWithCameraIdWithoutLineFeeds) {
  auto request = MakeChannelSetupRequest(kChannelSpeaker, "CAM\n01\n", "");
  EXPECT_EQ(1u, request.direction);
  EXPECT_EQ("CAM01", request.camera_id);
  auto body = EncodeChannelSetup(request);
  EXPECT_EQ(3u, GetLE32(&body[4]));
  EXPECT_EQ(1u, GetLE32(&body[8]));
  EXPECT_EQ(1u, GetLE32(&body[12]));
  EXPECT_EQ("CAM01", GetText(&body[272], 32));

  auto file = MakeChannelSetupRequest(kChannelFileVideo, "CAM", "rec/2026.mp4");
  EXPECT_EQ(0u, file.direction);
  ChannelSetupRecord back;
  auto encoded = EncodeChannelSetup(file);
  ASSERT_TRUE(DecodeChannelSetup(encoded.data(), encoded.size(), &back));
  EXPECT_EQ("rec/2026.mp4", back.file_name);
  EXPECT_FALSE(DecodeChannelSetup(encoded.data(), kChannelSetupSize - 1, &back));
}

TEST(ChannelCommandCodec, OneChannelAndCommandAtTheEnd) {
  auto body = EncodeChannelCommand(0x11223344, kCommandRelease);
  EXPECT_EQ(1u, GetLE32(&body[0]));
  EXPECT_EQ(0x11223344u, GetLE32(&body[4]));
  EXPECT_EQ(5u, GetLE32(&body[44]));
  PutLE32(&body[0], 1000);
  ChannelCommand c;
  ASSERT_TRUE(DecodeChannelCommand(body.data(), body.size(), &c));
  EXPECT_EQ(10u, c.count) << "a count beyond the ten slots must not index past them";
}

TEST(PlaybackRequests, FilePlayAndStreamingReset) {
  auto play = EncodeFilePlay(-1, "a.mp4");
  EXPECT_EQ(0xFFFFFFFFu, GetLE32(&play[0]));
  int32_t pos = 0;
  std::string name;
  ASSERT_TRUE(DecodeFilePlay(play.data(), play.size(), &pos, &name));
  EXPECT_EQ(-1, pos);
  EXPECT_EQ("a.mp4", name);
  auto reset = EncodeStreamingReset(9, 5000);
  uint32_t ch = 0, p = 0;
  ASSERT_TRUE(DecodeStreamingReset(reset.data(), reset.size(), &ch, &p));
  EXPECT_EQ(9u, ch);
  EXPECT_EQ(5000u, p);
  EXPECT_EQ(0u, GetLE32(&reset[4]));
}

TEST(ListRecords, WholeRecordsOnlyAndUpdatesOfExactSize) {
  CameraRecord cam;
  cam.camera_id = "CAM-1";
  cam.port = 20002;
  std::string body;
  for (int i = 0; i < 2; ++i) {
    auto r = EncodeCameraRecord(cam);
    body.append(reinterpret_cast<const char*>(r.data()), r.size());
  }
  body.append(100, 'x');  // a remainder shorter than a record
  auto list = DecodeCameraList(reinterpret_cast<const uint8_t*>(body.data()), static_cast<uint32_t>(body.size()));
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ("CAM-1", list[1].camera_id);
  EXPECT_EQ(20002u, list[1].port);

  auto update = EncodeCameraUpdate(0, cam);
  uint32_t code = 9;
  CameraRecord out;
  EXPECT_TRUE(DecodeCameraUpdate(update.data(), kCameraUpdateSize, &code, &out));
  EXPECT_EQ(0u, code);
  EXPECT_FALSE(DecodeCameraUpdate(update.data(), kCameraUpdateSize - 1, &code, &out));

  FileRecord file;
  file.file_name = "f.mp4";
  file.start = {6, 12, 2026, 20, 15, 30};
  auto fupdate = EncodeFileUpdate(0, file);
  FileRecord fout;
  ASSERT_TRUE(DecodeFileUpdate(fupdate.data(), kFileUpdateSize, &code, &fout));
  EXPECT_EQ(2026, fout.start.year);
  EXPECT_EQ(30, fout.start.second);
  EXPECT_EQ(1000u, fout.value392);
  EXPECT_FALSE(DecodeFileUpdate(fupdate.data(), kFileUpdateSize + 4, &code, &fout));
}

TEST(ListRecords, TimeGroupsOutsideTheirRangesAreShownAsNow) {
  const RecordTime now{7, 12, 2026, 23, 5, 9};
  struct Case {
    const char* name;
    RecordTime time;
    bool valid;
  } cases[] = {
      {"ordinary", {6, 12, 2026, 20, 15, 30}, true},
      {"all zero", {0, 0, 0, 0, 0, 0}, true},
      {"every upper bound", {31, 12, 9999, 23, 59, 59}, true},
      {"negative year", {1, 1, -1, 0, 0, 0}, false},
      {"month 13", {1, 13, 2026, 0, 0, 0}, false},
      {"negative month", {1, -1, 2026, 0, 0, 0}, false},
      {"day 32", {32, 1, 2026, 0, 0, 0}, false},
      {"hour 24", {1, 1, 2026, 24, 0, 0}, false},
      {"minute 60", {1, 1, 2026, 0, 60, 0}, false},
      {"second 60", {1, 1, 2026, 0, 0, 60}, false},
      {"garbage", {91, 99, 7295, 77, 88, 99}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.valid, IsValidRecordTime(c.time)) << c.name;
    FileRecord record;
    record.start = c.time;
    record.end = {6, 12, 2026, 21, 0, 0};
    // Through the wire, as a client gets it: negative values must survive.
    const auto bytes = EncodeFileRecord(record);
    const FileRecord shown = WithValidTimes(DecodeFileRecord(bytes.data()), now);
    EXPECT_EQ(shown.start, c.valid ? c.time : now) << c.name;
    EXPECT_EQ(shown.end, record.end) << c.name << ": a valid group stays";
  }
  const RecordTime current = CurrentRecordTime();
  EXPECT_TRUE(IsValidRecordTime(current));
  EXPECT_GE(current.year, 2024);
}

TEST(PtzControl, StepsNegateTiltAndSkipZero) {
  EXPECT_FALSE(EncodePtzStep(0, 0).has_value());
  auto m = EncodePtzStep(3, 2);
  ASSERT_TRUE(m);
  EXPECT_EQ(kRequestPtzControl, m->type);
  ASSERT_EQ(8u, m->body.size());
  EXPECT_EQ(3, static_cast<int32_t>(GetBE32(&m->body[0])));
  EXPECT_EQ(-2, static_cast<int32_t>(GetBE32(&m->body[4])));
}

TEST(PtzControl, CameraFormClampsToTen) {
  auto m = EncodePtzStepForCamera("CAM", 11, 0);
  ASSERT_TRUE(m);
  ASSERT_EQ(40u, m->body.size());
  EXPECT_EQ("CAM", GetText(m->body.data(), 32));
  EXPECT_EQ(10, static_cast<int32_t>(GetBE32(&m->body[32])));
  m = EncodePtzStepForCamera("CAM", -11, -30);
  EXPECT_EQ(-10, static_cast<int32_t>(GetBE32(&m->body[32])));
  EXPECT_EQ(10, static_cast<int32_t>(GetBE32(&m->body[36])));
  EXPECT_FALSE(EncodePtzStepForCamera("CAM", 0, 0));
}

TEST(OtherControls, LimitsAndLayouts) {
  auto lens = EncodeLensControl(2, 15);
  EXPECT_EQ(10u, GetBE32(&lens.body[4]));
  EXPECT_FALSE(EncodeAdvancedPtz(0, -1, 5, 5));
  EXPECT_TRUE(EncodeAdvancedPtz(0, 0, 0, 0));
  EXPECT_FALSE(EncodeQuality(10));
  EXPECT_TRUE(EncodeQuality(20));
  EXPECT_FALSE(EncodeVideoInput(3));
  EXPECT_EQ(20u, GetBE32(EncodeReboot().body.data()));
  auto preset = EncodePresetCommand(kPresetGoto, 38);
  ASSERT_EQ(16u, preset.body.size());
  EXPECT_EQ(38u, GetBE32(&preset.body[4]));
  auto enable = EncodePresetEnable();
  EXPECT_EQ(1u, GetLE32(&enable.body[0]));
  EXPECT_EQ(1u, GetLE32(&enable.body[4]));
  auto query = EncodePtzPositionQuery();
  EXPECT_EQ(1u, GetBE32(&query.body[0]));
  EXPECT_EQ(255u, GetBE32(&query.body[4]));
}

TEST(OtherControls, PositionReplyNeedsItsMarkers) {
  auto reply = EncodePtzPositionReply({-5, 6, 7});
  PtzPosition p;
  ASSERT_TRUE(DecodePtzPositionReply(reply.data(), 20, &p));
  EXPECT_EQ(-5, p.pan);
  EXPECT_EQ(7, p.zoom);
  auto query = EncodePtzPositionQuery();  // 1, 255: the request, not a reply
  EXPECT_FALSE(DecodePtzPositionReply(query.body.data(), 20, &p));
  EXPECT_FALSE(DecodePtzPositionReply(reply.data(), 19, &p));
}

TEST(OtherControls, DecodedForLogging) {
  DecodedControl c;
  auto ptz = EncodePtzStepForCamera("CAM-9", 4, 1);
  ASSERT_TRUE(DecodeControl(ptz->type, ptz->body.data(), 40, &c));
  EXPECT_EQ("CAM-9", c.camera_id);
  EXPECT_EQ((std::vector<int32_t>{4, -1}), c.values);
  auto enable = EncodePresetEnable();
  ASSERT_TRUE(DecodeControl(enable.type, enable.body.data(), 8, &c));
  EXPECT_EQ((std::vector<int32_t>{1, 1}), c.values);
  EXPECT_FALSE(DecodeControl(kRequestQuality, enable.body.data(), 3, &c));
}

TEST(CameraSetup, SendLengthAndMediaFormFollowTheVersion) {
  CameraSetupInfo info = CameraSetupInfo::Defaults();

  struct Case { uint8_t a, b, c; uint32_t length; bool short_media; };
  for (Case k : {Case{1, 1, 0, 3776, false}, Case{1, 0, 7, 1216, false}, Case{1, 0, 6, 1112, false},
                 Case{1, 0, 4, 1112, false}, Case{1, 0, 3, 1072, false}, Case{1, 0, 0, 1072, true},
                 Case{0, 9, 9, 1072, true}}) {
    info.SetVersion(k.a, k.b, k.c);
    EXPECT_EQ(k.length, info.SendLength()) << int(k.a) << "." << int(k.b) << "." << int(k.c);
    EXPECT_EQ(k.short_media, info.UsesShortMediaForm()) << int(k.a) << "." << int(k.b) << "." << int(k.c);
  }
}

TEST(CameraSetup, PresetsRoundTripAndReplyCopiesWhatArrived) {
  CameraSetupInfo info = CameraSetupInfo::Defaults();
  info.SetPreset(31, {"gate", -100, 20, 3, 5, true});
  info.SetPresetCount(40);
  EXPECT_EQ(32, info.PresetCount());
  PresetEntry e = info.Preset(31);
  EXPECT_EQ("gate", e.name);
  EXPECT_EQ(-100, e.pan);
  EXPECT_TRUE(e.enabled);
  EXPECT_EQ("", info.Preset(32).name) << "index past the table is empty, not a wild read";

  std::vector<uint8_t> body(8 + 100, 0);
  PutBE32(&body[0], 7);
  PutBE32(&body[4], 1);
  std::memset(&body[8], 'Z', 100);
  CameraSetupReply reply;
  ASSERT_TRUE(DecodeCameraSetupReply(body.data(), static_cast<uint32_t>(body.size()), &reply, &info));
  EXPECT_TRUE(reply.ok());
  EXPECT_EQ('Z', info.data()[99]);
  EXPECT_EQ(0, info.data()[100] == 'Z');
  PutBE32(&body[4], 0);
  ASSERT_TRUE(DecodeCameraSetupReply(body.data(), static_cast<uint32_t>(body.size()), &reply, &info));
  EXPECT_FALSE(reply.ok());
}

}  // namespace
}  // namespace net
