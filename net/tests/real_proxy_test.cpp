// Tunnels through real proxies (danted for SOCKS4 and SOCKS5, tinyproxy for
// HTTP CONNECT) that the ctest fixture starts on free loopback ports, to a
// loopback server that speaks the framing.
#include <gtest/gtest.h>

#include <string>

#include "loopback_server.h"
#include "proxy_fixture.h"
#include "net/byte_order.h"
#include "net/login_messages.h"
#include "net/socket_channel.h"

namespace net {
namespace {

using testing::LoopbackServer;
using testing::RecvBytes;
using testing::SendBytes;

class RealProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture_ = testing::ReadProxyFixture();
    if (!fixture_.requested) GTEST_SKIP() << "run under ctest to start the proxies";
    ASSERT_TRUE(fixture_.ok) << "the proxy fixture did not start";
  }

  ProxySettings Settings(int version, const std::string& port_key) {
    ProxySettings p;
    p.use_proxy = 1;
    p.version = version;
    p.SetAddress(testing::LoopbackIp());
    p.port = static_cast<uint16_t>(std::stoi(fixture_.values[port_key]));
    return p;
  }

  // The target greets first (the proxy must not swallow it), then answers a
  // login request with an accepting ReplyUserLogin.
  void ExpectTunnel(const ProxySettings& settings) {
    std::string login;
    LoopbackServer target([&](os::SocketHandle s) {
      SendBytes(s, std::string("\0\0\0\x30\0\0\0\0", 8));
      login = RecvBytes(s, 8 + 72);
      SendBytes(s, std::string("\0\0\0\x10\0\0\0\x04\0\0\0\x01", 12));
      RecvBytes(s, 1);
    });
    SocketChannel c;
    ASSERT_EQ(0, c.ConnectVia(settings, "127.0.0.1", target.port()));
    os::SetRecvTimeout(c.socket(), 10000);
    char greeting[8];
    ASSERT_EQ(8, c.ReadExact(greeting, 8));
    EXPECT_EQ(48u, GetBE32(reinterpret_cast<uint8_t*>(greeting)));
    auto body = EncodeLoginRequest("demo", "demo");
    ASSERT_EQ(80, c.SendNow(kRequestUserLogin, body.data(), kLoginRequestSize));
    uint8_t reply[12];
    ASSERT_EQ(12, c.ReadExact(reply, 12));
    EXPECT_EQ(kReplyUserLogin, GetBE32(reply));
    EXPECT_EQ(kLoginAccepted, DecodeLoginReply(reply + 8, 4));
    c.Close();
    EXPECT_EQ(9u, GetBE32(reinterpret_cast<const uint8_t*>(login.data())));
  }

  testing::ProxyFixture fixture_;
};

TEST_F(RealProxy, Socks4ThroughDanted) { ExpectTunnel(Settings(4, "socks")); }

TEST_F(RealProxy, Socks5WithUserAndPasswordThroughDanted) {
  ProxySettings p = Settings(5, "socks");
  p.user_id = fixture_.values["user"];
  p.password = fixture_.values["password"];
  ExpectTunnel(p);
}

TEST_F(RealProxy, Socks5WrongPasswordIsRefusedByDanted) {
  ProxySettings p = Settings(5, "socks");
  p.user_id = fixture_.values["user"];
  p.password = "wrong";
  SocketChannel c;
  EXPECT_EQ(-1, c.ConnectVia(p, "127.0.0.1", 9));
  EXPECT_FALSE(c.IsOpen());
}

TEST_F(RealProxy, HttpConnectThroughTinyproxy) { ExpectTunnel(Settings(0, "http")); }

TEST_F(RealProxy, TinyproxyRefusesAClosedTarget) {
  uint16_t port;
  {
    LoopbackServer gone([](os::SocketHandle) {}, 0);
    port = gone.port();
  }
  SocketChannel c;
  EXPECT_EQ(-1, c.ConnectVia(Settings(0, "http"), "127.0.0.1", port));
}

}  // namespace
}  // namespace net
