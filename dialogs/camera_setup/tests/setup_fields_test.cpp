// The camera setup pages' conversions between stored values and controls.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "dialogs/camera_setup/setup_fields.h"

namespace dialogs::setup {
namespace {

TEST(SetupFields, ResolutionCodesAreListEntriesAndOthersHaveNone) {
  const struct {
    uint8_t code;
    int index;  // -1: no entry
  } cases[] = {{1, 0}, {2, 1}, {4, 2}, {0, -1}, {3, -1}, {8, -1}, {255, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.index, ResolutionIndex(c.code).value_or(-1)) << "code " << int(c.code);
    if (c.index >= 0) {
      EXPECT_EQ(c.code, ResolutionCode(c.index).value_or(0));
    }
  }
  EXPECT_FALSE(ResolutionCode(-1));
  EXPECT_FALSE(ResolutionCode(3));
}

TEST(SetupFields, VideoChannel255IsListIndexFourAndBack) {
  EXPECT_EQ(4, VideoChannelIndex(255));
  EXPECT_EQ(255, VideoChannelValue(4));
  EXPECT_EQ(1, VideoChannelIndex(1));
  EXPECT_EQ(1, VideoChannelValue(1));
}

TEST(SetupFields, ColourSettingIsTheHighByte) {
  EXPECT_EQ(32768, ColourValue(128));
  EXPECT_EQ(128, ColourSetting(32768));
  EXPECT_EQ(128, ColourSetting(0x80FF)) << "the low byte is not part of the setting";
  EXPECT_EQ(0xFF00, ColourValue(255));
  EXPECT_EQ(256, ColourValue(1));
}

TEST(SetupFields, BitrateEntriesSurviveAWriteAndARead) {
  const uint16_t kbps[kBitrateEntries] = {128, 256, 512, 1024};
  for (int i = 0; i < kBitrateEntries; ++i) {
    EXPECT_EQ(kbps[i], BitrateValue(i));
    EXPECT_EQ(i, BitrateIndex(BitrateValue(i))) << "entry " << i;
  }
}

TEST(SetupFields, StoredBitratesReadAsTheNearestEntry) {
  const struct {
    uint16_t stored;
    int index;
  } cases[] = {{0, 0}, {191, 0}, {193, 1}, {256, 1}, {347, 1}, {945, 3}, {2571, 3}, {65535, 3}};
  for (const auto& c : cases) EXPECT_EQ(c.index, BitrateIndex(c.stored)) << c.stored;
}

TEST(SetupFields, SensorNotificationByte) {
  const struct {
    uint8_t value;
    bool sms, email;
  } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
  for (const auto& c : cases) {
    const SensorNotify n = NotifyFromByte(c.value);
    EXPECT_EQ(c.sms, n.sms) << int(c.value);
    EXPECT_EQ(c.email, n.email) << int(c.value);
    EXPECT_EQ(c.value, NotifyByte({c.sms, c.email}));
  }
}

TEST(SetupFields, Ipv4TextParsesOnlyFourFieldsOfDottedDecimal) {
  std::array<uint8_t, 4> f{};
  ASSERT_TRUE(ParseIpv4Text("192.168.0.254", &f));
  EXPECT_EQ((std::array<uint8_t, 4>{192, 168, 0, 254}), f);
  EXPECT_EQ("192.168.0.254", FormatIpv4Text(f));
  for (const char* bad : {"", "NDEF", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "1.2.3.4 ", "-1.2.3.4", "1.2.3.0004",
                          "1.2.3.4x"})
    EXPECT_FALSE(ParseIpv4Text(bad, &f)) << bad;
}

TEST(SetupFields, TypedNumbersStopAtTheirMaximum) {
  EXPECT_EQ(8000u, ParseBoundedNumber("8000", 65535));
  EXPECT_EQ(65535u, ParseBoundedNumber("99999", 65535));
  EXPECT_EQ(65535u, ParseBoundedNumber("99999999999999999999", 65535));
  EXPECT_EQ(0u, ParseBoundedNumber("", 255));
  EXPECT_EQ(12u, ParseBoundedNumber("12ab", 255));
}

// What a page accepts: digits only, within the field's range; an empty box
// or a value out of range is refused, never written as 0 or cut to fit.
TEST(SetupFields, FieldNumbersAreTakenOnlyWithinTheirRange) {
  const struct {
    const char* text;
    std::optional<uint32_t> port, byte;
  } cases[] = {{"8000", 8000, std::nullopt}, {"1", 1, 1},         {"65535", 65535, std::nullopt},
               {"0", std::nullopt, 0},       {"255", 255, 255},   {"", std::nullopt, std::nullopt},
               {"99999", std::nullopt, std::nullopt}, {"12ab", std::nullopt, std::nullopt},
               {"99999999999", std::nullopt, std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.port, ParseFieldNumber(c.text, 1, 65535)) << c.text;
    EXPECT_EQ(c.byte, ParseFieldNumber(c.text, 0, 255)) << c.text;
  }
}

TEST(SetupFields, TextFieldsKeepTheirNul) {
  net::CameraSetupInfo info;
  std::memset(info.data(), 0xAA, info.size());
  PutFieldText(info, kPrimaryPhone, kPhoneWidth, "0123456789abcdefXYZ");
  EXPECT_EQ("0123456789abcde", GetFieldText(info, kPrimaryPhone, kPhoneWidth));
  EXPECT_EQ(0, info.data()[kPrimaryPhone + 15]);
  EXPECT_EQ(0xAA, info.data()[kPrimaryPhone + 16]) << "the next field is untouched";
  EXPECT_EQ(0xAA, info.data()[kPrimaryPhone - 1]);
}

}  // namespace
}  // namespace dialogs::setup
