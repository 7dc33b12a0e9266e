// The values the viewer keeps in the registry, in a registry of the test's
// own: first-run defaults, per-entry logins, and secrets stored protected
// while plain values of earlier versions still read.
#include "settings/win32/viewer_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "os/win32/text.h"
#include "settings/tests/registry_sandbox.h"
#include "settings/win32/protected_text.h"
#include "settings/win32/registry_key.h"

namespace settings {
namespace {

class ViewerRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sandbox_.active()) << "HKEY_CURRENT_USER could not be redirected"; }
  // The raw value: its type and bytes.
  static DWORD RawValue(const std::string& path, const char* name, std::vector<uint8_t>* bytes) {
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, path)) return REG_NONE;
    DWORD type = 0, size = 4096;
    bytes->assign(size, 0);
    if (RegQueryValueExW(key.get(), win32::Widen(name).c_str(), nullptr, &type, bytes->data(), &size) !=
        ERROR_SUCCESS)
      return REG_NONE;
    bytes->resize(size);
    return type;
  }
  static bool Contains(const std::vector<uint8_t>& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
  }

  testing::RegistrySandbox sandbox_;
};

// Absent values read as nothing saved (the defaults' numbers are the code's).
TEST_F(ViewerRegistryTest, AFirstRunHasNothingSaved) {
  EXPECT_FALSE(LoadProxyFields().use_proxy);
  EXPECT_EQ(LoadProxyFields().password, "");
  EXPECT_EQ(LoadSavedLogin("Demo server").user, "");
  EXPECT_EQ(LoadDynamicIp("Demo server"), "");
  EXPECT_TRUE(LoadKeepReconnecting());
}

TEST_F(ViewerRegistryTest, StallSecondsAreHeldToTheirRangeAndZeroTurnsTheWatchdogOff) {
  for (auto [stored, read] : {std::pair{0u, 0}, {1u, 2}, {30u, 30}, {99999u, 3600}, {0xFFFFFFFFu, 0}}) {
    RegistryKey key;
    ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, kRegistryKeyPath));
    key.SetDword(reg::kStallSeconds, stored);
    EXPECT_EQ(LoadStallSeconds(), read) << "StallSeconds=" << stored;
  }
  SaveKeepReconnecting(false);
  EXPECT_FALSE(LoadKeepReconnecting());
}

TEST_F(ViewerRegistryTest, PositionsLeftOfThePrimaryScreenComeBackNegative) {
  SaveWindowPosition({-300, 40});
  const WindowPosition at = LoadWindowPosition();
  EXPECT_EQ(at.x, -300);
  EXPECT_EQ(at.y, 40);
}

TEST_F(ViewerRegistryTest, TheProxyIsInUseOnlyForTheValueOne) {
  for (uint32_t stored : {0u, 1u, 2u}) {
    RegistryKey key;
    ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, kRegistryKeyPath));
    key.SetDword(reg::kUseProxy, stored);
    key.Close();
    EXPECT_EQ(LoadProxyFields().use_proxy, stored == 1) << "USE_PROXY=" << stored;
  }
}

TEST_F(ViewerRegistryTest, ProxyFieldsRoundTripAndConvertForTheHostingClient) {
  const ProxyFields f{true, 80, "10.20.30.40", 3128, "agent", "s3cret"};
  SaveProxyFields(f);
  const ProxyFields back = LoadProxyFields();
  EXPECT_TRUE(back.use_proxy);
  EXPECT_EQ(back.version, 80);
  EXPECT_EQ(back.ip, "10.20.30.40");
  EXPECT_EQ(back.port, 3128);
  EXPECT_EQ(back.id, "agent");
  EXPECT_EQ(back.password, "s3cret");
  const net::ProxySettings p = ToProxySettings(back);
  EXPECT_EQ(p.AddressHostOrder(), 0x0A141E28u);
  EXPECT_EQ(FromProxySettings(p).ip, "10.20.30.40");
  EXPECT_EQ(ToProxySettings({false, 4, "not an address", 1080, "", ""}).AddressHostOrder(), 0u);
}

// Plain-text credentials in the registry were readable by anything running
// as the user (and by anyone with a copy of the hive): passwords are stored
// protected now, and old plain values are still honoured.
TEST_F(ViewerRegistryTest, PasswordsAreStoredProtectedAndOldPlainValuesStillRead) {
  SaveLogin("Demo server", {"demo", "clear-text-password"});
  std::vector<uint8_t> raw;
  EXPECT_EQ(RawValue(ServerKeyPath("Demo server"), reg::kUserPasswd, &raw), static_cast<DWORD>(REG_BINARY));
  EXPECT_FALSE(Contains(raw, "clear-text-password"));
  SaveProxyFields({true, 5, "127.0.0.1", 1080, "agent", "proxy-password"});
  EXPECT_EQ(RawValue(kRegistryKeyPath, reg::kProxyPasswd, &raw), static_cast<DWORD>(REG_BINARY));
  EXPECT_FALSE(Contains(raw, "proxy-password"));

  {  // As an earlier version wrote them.
    RegistryKey key;
    ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, ServerKeyPath("Old server")));
    key.SetString(reg::kUserId, "olduser");
    key.SetString(reg::kUserPasswd, "oldpass");
    ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, kRegistryKeyPath));
    key.SetString(reg::kProxyPasswd, "oldproxy");
  }
  EXPECT_EQ(LoadSavedLogin("Old server").password, "oldpass");
  EXPECT_EQ(LoadProxyFields().password, "oldproxy");
  // Protected as soon as they are read, not at a save that may never come.
  EXPECT_EQ(RawValue(ServerKeyPath("Old server"), reg::kUserPasswd, &raw), static_cast<DWORD>(REG_BINARY));
  EXPECT_FALSE(Contains(raw, "oldpass"));
  EXPECT_EQ(RawValue(kRegistryKeyPath, reg::kProxyPasswd, &raw), static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(LoadSavedLogin("Old server").password, "oldpass");
  EXPECT_EQ(LoadProxyFields().password, "oldproxy");
}

TEST_F(ViewerRegistryTest, ADamagedProtectedValueReadsAsNoPassword) {
  RegistryKey key;
  ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, ServerKeyPath("Broken")));
  const uint8_t junk[] = {1, 2, 3, 4, 5};
  key.SetBytes(reg::kUserPasswd, junk, sizeof junk);
  key.Close();
  EXPECT_EQ(LoadSavedLogin("Broken").password, "");
  std::string text;
  EXPECT_TRUE(UnprotectText(ProtectText(""), &text));
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace settings
