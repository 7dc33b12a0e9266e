// The dialogs' rules without windows: default ports, the order of the OK
// checks, the network page's kinds, enabling and checks, and where the login
// dialog opens.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/login_placement.h"
#include "dialogs/proxy_rules.h"
#include "dialogs/server_info_rules.h"

namespace dialogs {
namespace {

namespace text = settings::text;

std::string KeyOf(const settings::TextId* id) { return id ? id->key : "none"; }

TEST(ServerInfoRules, NewEntriesStartWithThePortOfTheirTypeOrOfTheAddressService) {
  EXPECT_EQ(DefaultServerPort(kTypeHostingServer, false), 8000);
  EXPECT_EQ(DefaultServerPort(kTypeCamera, false), 20002);
  EXPECT_EQ(DefaultServerPort(kTypeCamera, true), 8001);
  EXPECT_EQ(DefaultServerPort(kTypeNone, false), 8000);
}

TEST(ServerInfoRules, OkChecksFailInTheirOrder) {
  auto exists = [](const std::string& name) { return name == "Taken"; };
  const ServerInfoFields good{"Gate", 4, kTypeCamera, true, "00:11:22:33:44:55"};
  const struct {
    const char* what;
    ServerInfoFields fields;
    bool registering;
    const char* key;
    const char* own_name = "Gate";  // when modifying
  } cases[] = {
      {"all good", good, true, "none"},
      {"no name, nothing else either", {"", 0, kTypeNone, true, ""}, true, "ERROR_INSERT_SERVERNAME"},
      {"name taken, address missing", {"Taken", 2, kTypeCamera, false, ""}, true, "ERROR_INSERT_UNIQUE_SERVERNAME"},
      {"modify to another entry's name", {"Taken", 4, kTypeCamera, false, ""}, false,
       "ERROR_INSERT_UNIQUE_SERVERNAME"},
      {"modify keeping its own name", {"Taken", 4, kTypeCamera, false, ""}, false, "none", "Taken"},
      {"modify to another case of its own name", {"Taken", 4, kTypeCamera, false, ""}, false, "none", "TAKEN"},
      {"a backslash would nest registry keys", {"Yard\\2", 4, kTypeCamera, false, ""}, true,
       "ERROR_INVALID_SERVERNAME"},
      {"255 characters", {std::string(255, 'n'), 4, kTypeCamera, false, ""}, true, "none"},
      {"256 characters", {std::string(256, 'n'), 4, kTypeCamera, false, ""}, true, "ERROR_LONG_SERVERNAME"},
      {"255 Hangul syllables", {[] { std::string s; for (int i = 0; i < 255; ++i) s += "\xED\x95\x9C"; return s; }(),
                                4, kTypeCamera, false, ""}, true, "none"},
      {"three address fields", {"Gate", 3, kTypeNone, false, ""}, true, "ERROR_INSERT_SERVERIP"},
      {"no type", {"Gate", 4, kTypeNone, true, ""}, true, "ERROR_INSERT_SERVERTYPE"},
      {"DDNS without MAC", {"Gate", 4, kTypeCamera, true, ""}, true, "ERROR_INSERT_MAC"},
      {"no MAC without DDNS", {"Gate", 4, kTypeHostingServer, false, ""}, true, "none"},
      {"a name with =", {"a=b", 4, kTypeCamera, false, ""}, true, "ERROR_INVALID_SERVERNAME"},
      {"a name with ]", {"Yard]", 4, kTypeCamera, false, ""}, false, "ERROR_INVALID_SERVERNAME"},
      {"a name with a leading space", {" Gate", 4, kTypeCamera, false, ""}, true, "ERROR_INVALID_SERVERNAME"},
      {"a name with a trailing space", {"Gate ", 0, kTypeNone, false, ""}, true, "ERROR_INVALID_SERVERNAME"},
      {"a name with a line break", {"Ga\nte", 4, kTypeCamera, false, ""}, true, "ERROR_INVALID_SERVERNAME"},
      {"spaces and an opening bracket inside are kept", {"Front [door 2", 4, kTypeCamera, false, ""}, true, "none"},
      {"port 0", {"Gate", 4, kTypeCamera, false, "", "0"}, true, "ERROR_INVALID_SERVERPORT"},
      {"port 65536", {"Gate", 4, kTypeCamera, false, "", "65536"}, true, "ERROR_INVALID_SERVERPORT"},
      {"port -1", {"Gate", 4, kTypeCamera, false, "", "-1"}, true, "ERROR_INVALID_SERVERPORT"},
      {"no port", {"Gate", 4, kTypeCamera, false, "", ""}, true, "ERROR_INVALID_SERVERPORT"},
      {"port 1", {"Gate", 4, kTypeCamera, false, "", "1"}, true, "none"},
      {"port 65535", {"Gate", 4, kTypeCamera, false, "", "65535"}, true, "none"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeyOf(FirstServerInfoError(c.fields, c.registering ? "" : c.own_name, exists)), c.key) << c.what;
}

TEST(ProxyRules, ListIndexesAndStoredCodesMap) {
  const int codes[] = {4, 5, 80};
  for (int index = 0; index < 3; ++index) {
    EXPECT_EQ(ProxyCodeOf(index), codes[index]);
    EXPECT_EQ(ProxyIndexOf(codes[index]), index);
  }
  EXPECT_EQ(ProxyIndexOf(7), kProxyHttp) << "any other kind shows as HTTP";
  EXPECT_EQ(ProxyPortOf(kProxySocks4), 1080);
  EXPECT_EQ(ProxyPortOf(kProxySocks5), 1080);
  EXPECT_EQ(ProxyPortOf(kProxyHttp), 80);
}

TEST(ProxyRules, FieldsFollowTheKindAndTheUseBox) {
  const struct {
    bool use;
    int index;
    ProxyEnabling want;
  } cases[] = {
      {true, kProxySocks4, {true, true, true, true, false}},
      {true, kProxySocks5, {true, true, true, true, true}},
      {true, kProxyHttp, {true, true, true, false, false}},
      {false, kProxySocks5, {}},
      {false, kProxyHttp, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ProxyFieldsEnabled(c.use, c.index), c.want) << c.use << "/" << c.index;
}

TEST(ProxyRules, OkChecksOnlyWhileTheProxyIsInUse) {
  const struct {
    bool use;
    int index;
    const char *ip, *port, *id, *password, *key;
  } cases[] = {
      {false, kProxySocks5, "", "", "", "", "none"},
      {false, kProxySocks4, "not an address", "99999", "", "", "none"},
      {true, kProxySocks4, "", "1080", "", "", "ERROR_EMPTYIP"},
      {true, kProxySocks4, "127.0.0", "1080", "", "", "ERROR_INVALIDIP"},
      {true, kProxySocks4, "300.1.1.1", "1080", "", "", "ERROR_INVALIDIP"},
      {true, kProxySocks4, "127.0.0.2", "1080", "agent", "", "none"},
      {true, kProxySocks4, "127.0.0.2", "0", "agent", "", "ERROR_INVALIDPORT"},
      {true, kProxySocks4, "127.0.0.2", "65536", "agent", "", "ERROR_INVALIDPORT"},
      {true, kProxyHttp, "127.0.0.2", "", "", "", "ERROR_INVALIDPORT"},
      {true, kProxyHttp, "127.0.0.2", "65535", "", "", "none"},
      {true, kProxySocks5, "127.0.0.2", "1080", "agent", "", "ERROR_EMPTYPASSWD"},
      {true, kProxySocks5, "127.0.0.2", "1080", "", "", "none"},
      {true, kProxySocks5, "127.0.0.2", "1080", "agent", "pw", "none"},
      {true, kProxyHttp, "127.0.0.2", "80", "agent", "", "none"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeyOf(FirstProxyError(c.use, c.index, c.ip, c.port, c.id, c.password)), c.key)
        << c.ip << ":" << c.port << " " << c.index;
}

TEST(LoginPlacement, RightOfItsFirstPlaceWhenThereIsRoomElseLeftOfTheMainWindow) {
  const os::ScreenRect screen{0, 0, 1024, 768};
  const os::ScreenRect main{300, 100, 560, 500};
  const struct {
    const char* what;
    os::ScreenRect first, want;
  } cases[] = {
      {"room on the right", {400, 300, 660, 476}, {660, 300, 920, 476}},
      {"exactly to the edge", {504, 300, 764, 476}, {764, 300, 1024, 476}},
      {"one pixel too far", {505, 300, 765, 476}, {40, 100, 300, 276}},
      {"below the screen", {100, 700, 360, 876}, {40, 100, 300, 276}},
  };
  for (const auto& c : cases) EXPECT_EQ(PlaceLoginDialog(c.first, screen, main), c.want) << c.what;
}

}  // namespace
}  // namespace dialogs
