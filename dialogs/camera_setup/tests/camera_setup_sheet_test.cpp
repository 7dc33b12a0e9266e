// The camera setup sheet in-process under Wine against halyard-sim: the real
// sheet from the real templates, driven through its controls, its record
// sent by the real node and read back from the simulated camera.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/camera_setup_sheet.h"
#include "dialogs/tests/camera_rig.h"
#include "os/win32/list_view.h"
#include "os/win32/text.h"

namespace dialogs {
namespace {

using namespace setup;
using testing::CameraRig;
using testing::ModalDriver;
using testing::PumpFor;
using testing::PumpUntil;
using win32::testing::Choose;

constexpr char kCatalogue[] =
    "[VENDOR]\r\nPelco=\r\nSamsung=\r\n"
    "[Pelco]\r\nSpectra IV=21\r\nEsprit=22\r\n"
    "[Samsung]\r\nSCC-641=9\r\nSPD-3300=14\r\n";

// Bytes that differ from their neighbours and from every value a control
// would write by itself, with a version that sends the whole record.
net::CameraSetupInfo PatternRecord() {
  net::CameraSetupInfo info;
  for (uint32_t i = 0; i < info.size(); ++i) info.data()[i] = static_cast<uint8_t>((i * 151 + 89) % 253 + 3);
  info.SetVersion(1, 1, 9);
  return info;
}

std::string Differences(const std::vector<uint8_t>& got, const net::CameraSetupInfo& want) {
  if (got.size() != want.size()) return "length " + std::to_string(got.size());
  std::string out;
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want.data()[i]) {
      char line[64];
      std::snprintf(line, sizeof line, " [%zu] %d (want %d)", i, got[i], want.data()[i]);
      out += line;
    }
  return out.empty() ? "none" : out;
}

HWND PageWindow(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }

void Slide(HWND page, int id, int value) {
  HWND bar = GetDlgItem(page, id);
  SendMessageW(bar, TBM_SETPOS, TRUE, value);
  SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, value), reinterpret_cast<LPARAM>(bar));
}

void Click(HWND page, int id) { SendDlgItemMessageW(page, id, BM_CLICK, 0, 0); }
void Type(HWND page, int id, const char* text) { SetDlgItemTextW(page, id, win32::Widen(text).c_str()); }
void Address(HWND page, int id, int a, int b, int c, int d) {
  SendDlgItemMessageW(page, id, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
}
std::string Text(HWND page, int id) { return win32::testing::WindowText(GetDlgItem(page, id)); }

class CameraSetupSheet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_INTERNET_CLASSES |
                                                          ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }

  void SetUp() override {
    record_ = PatternRecord();
    rig_ = std::make_unique<CameraRig>(&record_);
    ASSERT_TRUE(rig_->Connect()) << "the camera's record never arrived";
    ASSERT_EQ(0, std::memcmp(record_.data(), rig_->node().setup_info().data(), record_.size()));
  }
  void TearDown() override { rig_.reset(); }

  // A modeless sheet on the node's record, on page `page`.
  HWND Open(CCameraSetupSheet& sheet, int page, bool visible = false) {
    HWND hwnd = sheet.Create(rig_->window(), visible);
    EXPECT_NE(nullptr, hwnd);
    PropSheet_SetCurSel(hwnd, nullptr, page);
    return hwnd;
  }
  // APPLY, then the node sends the sheet's record; returns what the camera received.
  std::vector<uint8_t> ApplyAndSend(CCameraSetupSheet& sheet) {
    PropSheet_PressButton(sheet.hwnd(), PSBTN_OK);
    EXPECT_TRUE(PumpUntil([&] { return sheet.applied(); }, 2000));
    EXPECT_EQ(nullptr, PropSheet_GetCurrentPageHwnd(sheet.hwnd())) << "the sheet has ended";
    const int seen = rig_->SetupRequests();
    EXPECT_GE(rig_->node().Control().SendCameraSetupInfo(sheet.info()), 0);
    std::vector<uint8_t> body;
    EXPECT_TRUE(rig_->NextSetupRequest(seen, &body)) << "the camera received no record";
    return body;
  }

  testing::SettingsFile settings_{kCatalogue};
  testing::RecordedMessages messages_;
  net::CameraSetupInfo record_;
  std::unique_ptr<CameraRig> rig_;
};

TEST_F(CameraSetupSheet, UntouchedPagesSendTheCameraItsOwnRecord) {
  HWND seen_sheet = nullptr;
  bool later_pages_closed_at_start = false;
  ModalDriver driver([&] {
    HWND sheet = FindWindowW(nullptr, L"Camera Setup");
    if (!sheet) return false;
    seen_sheet = sheet;
    later_pages_closed_at_start = PropSheet_IndexToHwnd(sheet, 6) == nullptr;
    for (int page = 0; page < CCameraSetupSheet::kPageCount; ++page) PropSheet_SetCurSel(sheet, nullptr, page);
    PropSheet_PressButton(sheet, PSBTN_OK);
    return true;
  });
  const int seen = rig_->SetupRequests();
  EXPECT_EQ(1, ShowCameraSetupSheet(rig_->window(), rig_->node()));
  ASSERT_NE(nullptr, seen_sheet) << "the sheet never showed";
  EXPECT_TRUE(later_pages_closed_at_start) << "a page is made only when it is first shown";
  std::vector<uint8_t> body;
  ASSERT_TRUE(rig_->NextSetupRequest(seen, &body));
  EXPECT_EQ("none", Differences(body, record_)) << "bytes changed though no control was touched";
  EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(CameraSetupSheet, CancelSendsNothing) {
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), rig_->node().setup_info());
  Open(sheet, 3);
  Slide(PageWindow(sheet.hwnd()), IDC_INTENSITY, 7);
  PropSheet_PressButton(sheet.hwnd(), PSBTN_CANCEL);
  EXPECT_TRUE(PumpUntil([&] { return PropSheet_GetCurrentPageHwnd(sheet.hwnd()) == nullptr; }, 2000));
  EXPECT_FALSE(sheet.applied());
  EXPECT_EQ(0, std::memcmp(record_.data(), sheet.info().data(), record_.size()));
}

// Each control changed alone changes exactly its own bytes, by its conversion
// (the conversions' every value is tested without windows).
TEST_F(CameraSetupSheet, EachControlChangesExactlyItsBytes) {
  auto u8 = [](uint32_t offset, uint8_t v) { return [=](net::CameraSetupInfo& r) { PutU8(r, offset, v); }; };
  auto u16 = [](uint32_t offset, uint16_t v) { return [=](net::CameraSetupInfo& r) { PutU16(r, offset, v); }; };
  auto text = [](uint32_t offset, size_t width, const char* v) {
    return [=](net::CameraSetupInfo& r) { PutFieldText(r, offset, width, v); };
  };
  auto flip = [&](uint32_t offset, bool on_when_one) {
    const uint8_t v = GetU8(record_, offset);
    const bool was_on = on_when_one ? v == 1 : v != 0;
    return [=](net::CameraSetupInfo& r) { PutU8(r, offset, was_on ? 0 : 1); };
  };
  const SensorNotify notify = NotifyFromByte(GetU8(record_, kSensorNotify));
  struct Case {
    const char* name;
    int page;
    std::function<void(HWND)> act;
    std::function<void(net::CameraSetupInfo&)> expect;
  };
  const Case cases[] = {
      {"motion detection", 0, [](HWND p) { Click(p, IDC_MOTION_ENABLE); }, flip(kMotionDetection, false)},
      {"resolution VGA", 0, [](HWND p) { Choose(p, IDC_RESOLUTION, 2); }, u8(kResolution, 4)},
      {"encode mode", 0, [](HWND p) { Choose(p, IDC_ENCODE_MODE, 1); }, u8(kEncodeMode, 1)},
      {"bitrate 512Kbps", 0, [](HWND p) { Choose(p, IDC_BITRATE, 2); }, u16(kBitrate, 512)},
      {"intra period", 0, [](HWND p) { Slide(p, IDC_INTRA_PERIOD, 33); }, u8(kIntraPeriod, 33)},
      {"intra QP", 0, [](HWND p) { Slide(p, IDC_INTRA_QP, 7); }, u8(kIntraQp, 7)},
      {"inter QP", 0, [](HWND p) { Slide(p, IDC_INTER_QP, 0); }, u8(kInterQp, 0)},
      {"frames per second", 0, [](HWND p) { Slide(p, IDC_FPS, 25); }, u8(kFramesPerSecond, 25)},
      {"video channel", 1, [](HWND p) { Choose(p, IDC_VIDEO_CHANNEL, 1); }, u8(kVideoChannel, 1)},
      {"switching period", 1, [](HWND p) { Slide(p, IDC_CHANNEL_PERIOD, 45); }, u8(kChannelPeriod, 45)},
      {"mike volume", 2, [](HWND p) { Slide(p, IDC_MIKE_VOLUME, 70); }, u8(kMikeVolume, 70)},
      {"speaker volume", 2, [](HWND p) { Slide(p, IDC_SPEAKER_VOLUME, 30); }, u8(kSpeakerVolume, 30)},
      {"audio loopback", 2, [](HWND p) { Click(p, IDC_AUDIO_LOOPBACK); }, flip(kAudioLoopback, true)},
      {"intensity", 3, [](HWND p) { Slide(p, IDC_INTENSITY, 200); }, u16(kIntensity, 200 * 256)},
      {"contrast", 3, [](HWND p) { Slide(p, IDC_CONTRAST, 1); }, u16(kContrast, 256)},
      {"hue", 3, [](HWND p) { Slide(p, IDC_HUE, 255); }, u16(kHue, 255 * 256)},
      {"saturation", 3, [](HWND p) { Slide(p, IDC_SATURATION, 64); }, u16(kSaturation, 64 * 256)},
      {"resume default", 3, [](HWND p) { Click(p, IDC_RESUME_DEFAULT); },
       [](net::CameraSetupInfo& r) {
         for (uint32_t at : {kIntensity, kContrast, kHue, kSaturation}) PutU16(r, at, 32768);
       }},
      {"sensor type", 5, [](HWND p) { Choose(p, IDC_SENSOR_TYPE, 2); }, u8(kSensorType, 2)},
      {"sensor on", 5, [](HWND p) { Click(p, IDC_SENSOR_ON); }, flip(kSensorOn, true)},
      {"sensor interval", 5, [](HWND p) { Type(p, IDC_SENSOR_INTERVAL, "42"); }, u8(kSensorInterval, 42)},
      {"use SMS", 5, [](HWND p) { Click(p, IDC_USE_SMS); }, u8(kSensorNotify, NotifyByte({!notify.sms, notify.email}))},
      {"use e-mail", 5, [](HWND p) { Click(p, IDC_USE_MAIL); },
       u8(kSensorNotify, NotifyByte({notify.sms, !notify.email}))},
      {"attach video", 5, [](HWND p) { Click(p, IDC_ATTACH_VIDEO); }, flip(kAttachVideo, true)},
      {"primary phone", 5, [](HWND p) { Type(p, IDC_PRIMARY_PHONE, "0101234567"); },
       text(kPrimaryPhone, kPhoneWidth, "0101234567")},
      {"second phone", 5, [](HWND p) { Type(p, IDC_SECOND_PHONE, "0207654321"); },
       text(kSecondPhone, kPhoneWidth, "0207654321")},
      {"SMS sender", 5, [](HWND p) { Type(p, IDC_SMS_FROM, "0311112222"); }, text(kSmsFromNumber, kPhoneWidth, "0311112222")},
      {"SMS text", 5, [](HWND p) { Type(p, IDC_SMS_MESSAGE, "Motion at the gate"); },
       text(kSmsMessage, kSmsMessageWidth, "Motion at the gate")},
      {"mail to", 5, [](HWND p) { Type(p, IDC_MAIL_TO, "guard@example.org"); },
       text(kMailTo, kMailAddressWidth, "guard@example.org")},
      {"mail from", 5, [](HWND p) { Type(p, IDC_MAIL_FROM, "camera@example.org"); },
       text(kMailFrom, kMailAddressWidth, "camera@example.org")},
      {"mail text in Korean", 5, [](HWND p) { Type(p, IDC_MAIL_MESSAGE, "정문에 움직임"); },
       text(kMailMessage, kMailMessageWidth, "정문에 움직임")},
      {"camera port", 6, [](HWND p) { Type(p, IDC_CAMERA_PORT, "20002"); }, u16(kCameraPort, 20002)},
      {"host server address", 6, [](HWND p) { Address(p, IDC_HOST_IP, 10, 1, 2, 3); },
       [](net::CameraSetupInfo& r) {
         const uint8_t ip[4] = {10, 1, 2, 3};
         std::memcpy(r.data() + kHostServerIp, ip, 4);
       }},
      {"host server port", 6, [](HWND p) { Type(p, IDC_HOST_PORT, "8000"); }, u16(kHostServerPort, 8000)},
      {"DDNS address", 6, [](HWND p) { Address(p, IDC_DDNS_IP, 192, 168, 10, 200); },
       text(kDdnsIpText, kDdnsIpWidth, "192.168.10.200")},
      {"DDNS port", 6, [](HWND p) { Type(p, IDC_DDNS_PORT, "8001"); }, u16(kDdnsPort, 8001)},
      {"port forward", 6, [](HWND p) { Click(p, IDC_USE_PORT_FORWARD); }, flip(kPortForwardOn, false)},
      {"port forward number", 6, [](HWND p) { Type(p, IDC_PORT_FORWARD, "9999"); }, u16(kPortForwardPort, 9999)},
  };
  for (const Case& c : cases) {
    CCameraSetupSheet sheet(GetModuleHandleW(nullptr), record_);
    Open(sheet, c.page);
    c.act(PageWindow(sheet.hwnd()));
    net::CameraSetupInfo want = record_;
    c.expect(want);
    EXPECT_EQ("none", Differences(ApplyAndSend(sheet), want)) << c.name;
  }
}

// The record's version decides how much of it goes to the camera (every
// version's length is the message's own test): the sheet keeps the version.
TEST_F(CameraSetupSheet, AnOldRecordGoesBackAsShortAsItCame) {
  net::CameraSetupInfo record = record_;
  record.SetVersion(1, 0, 3);
  // The camera keeps what it receives and answers with it.
  ASSERT_GE(rig_->node().Control().SendCameraSetupInfo(record), 0);
  ASSERT_TRUE(PumpUntil([&] { return rig_->node().setup_info().Version() == record.Version(); }, 3000));
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), rig_->node().setup_info());
  Open(sheet, 0);
  std::vector<uint8_t> body = ApplyAndSend(sheet);
  ASSERT_EQ(1072u, body.size());
  EXPECT_EQ(0, std::memcmp(body.data(), record.data(), body.size()));
}

// Odd values show as no entry and go back unchanged; the server page shows
// the host's four bytes in order and the DDNS address from its text.
TEST_F(CameraSetupSheet, StoredValuesShowAndOddOnesGoBackUnchanged) {
  net::CameraSetupInfo record = record_;
  PutU8(record, kResolution, 3);
  PutU8(record, kVideoChannel, 255);
  const uint8_t host[4] = {10, 20, 30, 40};
  std::memcpy(record.data() + kHostServerIp, host, 4);
  PutFieldText(record, kDdnsIpText, kDdnsIpWidth, "172.16.5.9");
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), record);
  Open(sheet, 0);
  EXPECT_EQ(CB_ERR, SendDlgItemMessageW(PageWindow(sheet.hwnd()), IDC_RESOLUTION, CB_GETCURSEL, 0, 0));
  PropSheet_SetCurSel(sheet.hwnd(), nullptr, 1);
  EXPECT_EQ(CB_ERR, SendDlgItemMessageW(PageWindow(sheet.hwnd()), IDC_VIDEO_CHANNEL, CB_GETCURSEL, 0, 0))
      << "255 is list index 4, which the list does not offer";
  PropSheet_SetCurSel(sheet.hwnd(), nullptr, 6);
  DWORD address = 0;
  SendDlgItemMessageW(PageWindow(sheet.hwnd()), IDC_HOST_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  EXPECT_EQ(MAKEIPADDRESS(10, 20, 30, 40), address);
  SendDlgItemMessageW(PageWindow(sheet.hwnd()), IDC_DDNS_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  EXPECT_EQ(MAKEIPADDRESS(172, 16, 5, 9), address);
  PropSheet_PressButton(sheet.hwnd(), PSBTN_OK);
  EXPECT_TRUE(PumpUntil([&] { return sheet.applied(); }, 2000));
  EXPECT_EQ(0, std::memcmp(record.data(), sheet.info().data(), record.size()));
}

// The sliders keep to their ranges and show their values; the encode mode
// decides what the video page offers.
TEST_F(CameraSetupSheet, SlidersShowTheirValuesAndTheEncodeModeEnablesThem) {
  const struct {
    int page, slider, display, low, high;
  } cases[] = {
      {0, IDC_INTRA_PERIOD, IDC_INTRA_PERIOD_TEXT, 10, 50}, {0, IDC_INTRA_QP, IDC_INTRA_QP_TEXT, 0, 31},
      {0, IDC_INTER_QP, IDC_INTER_QP_TEXT, 0, 31},          {0, IDC_FPS, IDC_FPS_TEXT, 1, 30},
      {1, IDC_CHANNEL_PERIOD, IDC_CHANNEL_PERIOD_TEXT, 1, 60},
      {2, IDC_MIKE_VOLUME, IDC_MIKE_VOLUME_TEXT, 0, 100},  {2, IDC_SPEAKER_VOLUME, IDC_SPEAKER_VOLUME_TEXT, 0, 100},
      {3, IDC_INTENSITY, IDC_INTENSITY_TEXT, 1, 255},      {3, IDC_CONTRAST, IDC_CONTRAST_TEXT, 1, 255},
      {3, IDC_HUE, IDC_HUE_TEXT, 1, 255},                  {3, IDC_SATURATION, IDC_SATURATION_TEXT, 1, 255},
  };
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), record_);
  Open(sheet, 0);
  for (const auto& c : cases) {
    PropSheet_SetCurSel(sheet.hwnd(), nullptr, c.page);
    HWND page = PageWindow(sheet.hwnd());
    HWND bar = GetDlgItem(page, c.slider);
    EXPECT_EQ(c.low, SendMessageW(bar, TBM_GETRANGEMIN, 0, 0)) << c.slider;
    EXPECT_EQ(std::to_string(SendMessageW(bar, TBM_GETPOS, 0, 0)), Text(page, c.display)) << c.slider;
    Slide(page, c.slider, c.high + 20);  // a track bar keeps to its range, and so does its display
    EXPECT_EQ(std::to_string(c.high), Text(page, c.display)) << c.slider;
  }
  const struct {
    int mode;
    bool bitrate, intra_period, intra_qp, inter_qp;
  } modes[] = {{0, false, true, true, true}, {1, false, false, true, false}, {2, true, true, true, true}};
  PropSheet_SetCurSel(sheet.hwnd(), nullptr, 0);
  HWND page = PageWindow(sheet.hwnd());
  auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; };
  for (const auto& m : modes) {
    Choose(page, IDC_ENCODE_MODE, m.mode);
    EXPECT_EQ(m.bitrate, enabled(IDC_BITRATE)) << m.mode;
    EXPECT_EQ(m.intra_period, enabled(IDC_INTRA_PERIOD)) << m.mode;
    EXPECT_EQ(m.intra_qp, enabled(IDC_INTRA_QP)) << m.mode;
    EXPECT_EQ(m.inter_qp, enabled(IDC_INTER_QP)) << m.mode;
  }
}

TEST_F(CameraSetupSheet, BoxesEnableTheFieldsTheyGovern) {
  net::CameraSetupInfo record = record_;
  PutU8(record, kSensorOn, 0);
  PutU8(record, kSensorNotify, 1);  // SMS only
  PutU8(record, kPortForwardOn, 0);
  PutU8(record, kEncodeMode, 1);  // "Intra Only"
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), record);
  Open(sheet, 5);
  HWND page = PageWindow(sheet.hwnd());
  auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; };
  EXPECT_FALSE(enabled(IDC_SENSOR_TYPE));
  EXPECT_FALSE(enabled(IDC_SENSOR_INTERVAL));
  EXPECT_TRUE(enabled(IDC_PRIMARY_PHONE) && enabled(IDC_SMS_MESSAGE) && enabled(IDC_SMS_FROM));
  EXPECT_FALSE(enabled(IDC_MAIL_TO) || enabled(IDC_MAIL_MESSAGE) || enabled(IDC_ATTACH_VIDEO));
  Click(page, IDC_SENSOR_ON);
  Click(page, IDC_USE_SMS);
  Click(page, IDC_USE_MAIL);
  EXPECT_TRUE(enabled(IDC_SENSOR_TYPE) && enabled(IDC_SENSOR_INTERVAL));
  EXPECT_FALSE(enabled(IDC_PRIMARY_PHONE) || enabled(IDC_SECOND_PHONE));
  EXPECT_TRUE(enabled(IDC_MAIL_TO) && enabled(IDC_MAIL_FROM) && enabled(IDC_ATTACH_VIDEO));

  PropSheet_SetCurSel(sheet.hwnd(), nullptr, 6);
  page = PageWindow(sheet.hwnd());
  EXPECT_FALSE(enabled(IDC_PORT_FORWARD));
  Click(page, IDC_USE_PORT_FORWARD);
  EXPECT_TRUE(enabled(IDC_PORT_FORWARD));
  PropSheet_SetCurSel(sheet.hwnd(), nullptr, 0);
  page = PageWindow(sheet.hwnd());
  EXPECT_FALSE(enabled(IDC_INTRA_PERIOD)) << "the encode mode decides on opening as well";
}

// A value the camera cannot take keeps the user on the page, naming the
// field, instead of going out as 0, cut to 65535 or 0.0.0.0.
TEST_F(CameraSetupSheet, BadValuesAreRefusedNamingTheFieldAndNothingIsApplied) {
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), record_);
  Open(sheet, 6);
  HWND page = PageWindow(sheet.hwnd());
  const struct {
    std::function<void()> act;
    const char* message;
  } cases[] = {
      {[&] { Type(page, IDC_CAMERA_PORT, "99999"); }, "Camera Port: please enter a number from 1 to 65535."},
      {[&] { Type(page, IDC_CAMERA_PORT, "8080"), SendDlgItemMessageW(page, IDC_HOST_IP, IPM_CLEARADDRESS, 0, 0); },
       "Host Server IP: please enter all four numbers of the address."},
  };
  for (const auto& c : cases) {
    c.act();
    messages_.texts.clear();
    PropSheet_PressButton(sheet.hwnd(), PSBTN_OK);
    PumpFor(50);
    EXPECT_EQ((std::vector<std::string>{c.message}), messages_.texts);
    EXPECT_FALSE(sheet.applied());
    EXPECT_EQ(page, PageWindow(sheet.hwnd())) << "the sheet stays on the page: " << c.message;
  }
  PropSheet_SetCurSel(sheet.hwnd(), nullptr, 0);
  EXPECT_EQ(page, PageWindow(sheet.hwnd())) << "nor can another page be chosen";
  Address(page, IDC_HOST_IP, 10, 1, 2, 3);
  messages_.texts.clear();
  const std::vector<uint8_t> sent = ApplyAndSend(sheet);
  EXPECT_TRUE(messages_.texts.empty());
  ASSERT_EQ(sent.size(), record_.size());
  EXPECT_EQ(8080, sent[kCameraPort] | sent[kCameraPort + 1] << 8);
}

TEST_F(CameraSetupSheet, PantiltPageKeepsFourChannelSlots) {
  net::CameraSetupInfo record = record_;
  PutU32(record, kPanTiltDevices, 14);  // Samsung SPD-3300 on channel 1
  PutU8(record, kPanTiltControlIds, 5);
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), record);
  Open(sheet, 4);
  HWND page = PageWindow(sheet.hwnd());
  win32::ListView vendors(GetDlgItem(page, IDC_PTZ_VENDOR)), devices(GetDlgItem(page, IDC_PTZ_DEVICE));
  ASSERT_EQ(2, vendors.RowCount());
  EXPECT_EQ("Samsung", vendors.Text(vendors.SelectedRow(), 0)) << "the stored device is shown";
  EXPECT_EQ("SPD-3300", devices.Text(devices.SelectedRow(), 0));
  EXPECT_EQ("5", Text(page, IDC_PTZ_CONTROL_ID));

  // Channel 2's stored code is in no catalogue: no device row, and the
  // channel cannot be left.
  Choose(page, IDC_PTZ_CHANNEL, 1);
  vendors.Select(0);
  EXPECT_EQ(2, devices.RowCount()) << "choosing a vendor lists its devices";
  EXPECT_EQ(-1, devices.SelectedRow());
  Choose(page, IDC_PTZ_CHANNEL, 2);
  ASSERT_EQ(1u, messages_.texts.size());
  EXPECT_EQ("Error : Please select Vendor and Pantilt Device", messages_.texts[0]);
  EXPECT_EQ(1, SendDlgItemMessageW(page, IDC_PTZ_CHANNEL, CB_GETCURSEL, 0, 0)) << "the page stays on channel 2";

  devices.Select(0);  // Pelco Spectra IV, 21
  Type(page, IDC_PTZ_CONTROL_ID, "300");
  Choose(page, IDC_PTZ_CHANNEL, 0);
  ASSERT_EQ(2u, messages_.texts.size());
  EXPECT_EQ("Control ID: please enter a number from 0 to 255.", messages_.texts[1]) << "not 300 modulo 256";
  EXPECT_EQ(1, SendDlgItemMessageW(page, IDC_PTZ_CHANNEL, CB_GETCURSEL, 0, 0)) << "the page stays on channel 2";
  Type(page, IDC_PTZ_CONTROL_ID, "30");
  Choose(page, IDC_PTZ_CHANNEL, 0);
  EXPECT_EQ("SPD-3300", devices.Text(devices.SelectedRow(), 0)) << "back on channel 1";
  net::CameraSetupInfo want = record;
  PutU32(want, kPanTiltDevices + 4, 21);
  PutU8(want, kPanTiltControlIds + 1, 30);
  EXPECT_EQ("none", Differences(ApplyAndSend(sheet), want));
}

TEST_F(CameraSetupSheet, OpensOnlyForALinkWithARecord) {
  EXPECT_TRUE(CanOpenCameraSetup(rig_->node()));
  CameraRig unconnected;
  EXPECT_FALSE(CanOpenCameraSetup(unconnected.node()));
  EXPECT_EQ(-1, ShowCameraSetupSheet(unconnected.window(), unconnected.node()));
  EXPECT_EQ(nullptr, FindWindowW(nullptr, L"Camera Setup"));
}

}  // namespace
}  // namespace dialogs
