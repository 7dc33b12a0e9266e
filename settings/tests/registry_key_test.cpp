// RegistryKey against the real registry (Wine's under test): values
// round-trip per server subkey, keys are created on first use, and every
// value and key a test makes is removed again.
#include "settings/win32/registry_key.h"

#include <gtest/gtest.h>

#include <cstring>

#include "os/win32/text.h"
#include "settings/tests/registry_sandbox.h"

namespace settings {
namespace {

// In a registry of the test's own: every key starts absent and goes afterwards.
class RegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sandbox_.active()) << "HKEY_CURRENT_USER could not be redirected"; }
  testing::RegistrySandbox sandbox_;
};

TEST_F(RegistryKeyTest, ServerSubkeysAreCreatedOnFirstUseAndKeepTheirOwnValues) {
  const std::string first = "first", second = "두번째";
  EXPECT_EQ(ServerKeyPath(first), std::string("Software\\Vantreck\\HALYDv2\\") + first);

  RegistryKey key;
  EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, ServerKeyPath(first)));
  EXPECT_FALSE(key.IsOpen());
  ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, ServerKeyPath(first)));
  EXPECT_TRUE(key.SetString(reg::kUserId, "alice"));
  EXPECT_TRUE(key.SetString(reg::kUserPasswd, "secret"));
  EXPECT_TRUE(key.SetString(reg::kDynamicIp, "127.0.0.5"));
  key.Close();
  EXPECT_FALSE(key.IsOpen());

  ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, ServerKeyPath(second)));
  EXPECT_TRUE(key.SetString(reg::kUserId, "김철수"));
  key.Close();

  // The value as read, "<none>" (with what the text was left as) when the read fails.
  auto read = [](const std::string& server, const char* name) {
    RegistryKey k;
    std::string text = "stale";
    if (!k.Open(HKEY_CURRENT_USER, ServerKeyPath(server))) return std::string("<no key>");
    return k.QueryString(name, text) ? text : "<none>" + text;
  };
  EXPECT_EQ(read(first, reg::kUserId), "alice");
  EXPECT_EQ(read(first, reg::kUserPasswd), "secret");
  EXPECT_EQ(read(first, reg::kDynamicIp), "127.0.0.5");
  EXPECT_EQ(read(second, reg::kUserId), "김철수");
  EXPECT_EQ(read(second, reg::kUserPasswd), "<none>") << "the other server's password must not show";
  EXPECT_EQ(read(second, reg::kDynamicIp), "<none>");

  // A renamed server starts without saved values.
  EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, ServerKeyPath("renamed")));
}

TEST_F(RegistryKeyTest, NumbersTextsAndBytesRoundTrip) {
  const std::string dword = "dword", text_name = "text", bytes_name = "bytes";
  RegistryKey key;
  ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, kRegistryKeyPath));

  uint32_t number = 99;
  EXPECT_FALSE(key.QueryDword(dword, number));
  EXPECT_EQ(number, 0u) << "a failed read leaves 0";
  EXPECT_TRUE(key.SetDword(dword, 0xFFFFFFF6u));
  EXPECT_TRUE(key.QueryDword(dword, number));
  EXPECT_EQ(number, 0xFFFFFFF6u);

  EXPECT_TRUE(key.SetString(text_name, "127.0.0.1"));
  EXPECT_FALSE(key.QueryDword(text_name, number)) << "a text is not a number";
  std::string text = "stale";
  EXPECT_FALSE(key.QueryString(dword, text)) << "a number is not a text";
  EXPECT_EQ(text, "");

  const unsigned char blob[] = {0, 1, 2, 0xFE, 0xFF, 0, 7};
  EXPECT_TRUE(key.SetBytes(bytes_name, blob, sizeof blob));
  unsigned char back[16] = {};
  uint32_t length = sizeof back;
  EXPECT_TRUE(key.QueryBytes(bytes_name, back, length));
  ASSERT_EQ(length, sizeof blob);
  EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
  length = 3;
  EXPECT_FALSE(key.QueryBytes(bytes_name, back, length)) << "a too small buffer fails";

  EXPECT_TRUE(key.DeleteValue(dword));
  EXPECT_FALSE(key.QueryDword(dword, number));
  EXPECT_FALSE(key.DeleteValue(dword));
}

TEST_F(RegistryKeyTest, TextsLongerThan255CharactersReadAsFailed) {
  const std::string name = "long";
  RegistryKey key;
  ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, kRegistryKeyPath));
  std::string text;
  EXPECT_TRUE(key.SetString(name, std::string(255, 'a')));
  EXPECT_TRUE(key.QueryString(name, text));
  EXPECT_EQ(text, std::string(255, 'a'));
  EXPECT_TRUE(key.SetString(name, std::string(256, 'b')));
  EXPECT_FALSE(key.QueryString(name, text));
  EXPECT_EQ(text, "");

  // Earlier versions stored texts without their terminating zero.
  std::wstring bare(255, L'c');
  ASSERT_EQ(RegSetValueExW(key.get(), win32::Widen(name).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(bare.data()), static_cast<DWORD>(bare.size() * 2)),
            ERROR_SUCCESS);
  EXPECT_TRUE(key.QueryString(name, text));
  EXPECT_EQ(text, std::string(255, 'c'));
  std::wstring bare_long(256, L'd');
  ASSERT_EQ(RegSetValueExW(key.get(), win32::Widen(name).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(bare_long.data()), static_cast<DWORD>(bare_long.size() * 2)),
            ERROR_SUCCESS);
  EXPECT_FALSE(key.QueryString(name, text));
}

TEST_F(RegistryKeyTest, MovingHandsTheOpenKeyOver) {
  RegistryKey open;
  ASSERT_TRUE(open.OpenOrCreate(HKEY_CURRENT_USER, kRegistryKeyPath));
  RegistryKey moved = std::move(open);
  EXPECT_FALSE(open.IsOpen());
  EXPECT_TRUE(moved.IsOpen());
  std::string text = "x";
  EXPECT_FALSE(open.QueryString("V", text)) << "the moved-from key must not use the handle";
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace settings
