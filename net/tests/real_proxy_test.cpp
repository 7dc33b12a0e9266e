// Refusals by real proxies (danted for SOCKS5, tinyproxy for HTTP CONNECT)
// that the ctest fixture starts on free loopback ports. Tunnels that work are
// proven end to end by halyard-cli's test, which watches and records through
// each of these proxies; the exact reading of every reply is proven against
// the scripted proxies of fake_proxy_test.
#include <gtest/gtest.h>

#include <string>

#include "loopback_server.h"
#include "proxy_fixture.h"
#include "net/socket_channel.h"

namespace net {
namespace {

class RealProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture_ = testing::ReadProxyFixture();
    if (!fixture_.requested) GTEST_SKIP() << "run under ctest to start the proxies";
    ASSERT_TRUE(fixture_.ok) << "the proxy fixture did not start";
  }

  ProxySettings Settings(int version, const std::string& port_key) {
    return testing::LoopbackProxy(version, static_cast<uint16_t>(std::stoi(fixture_.values[port_key])));
  }

  testing::ProxyFixture fixture_;
};

TEST_F(RealProxy, Socks5WrongPasswordIsRefusedByDanted) {
  ProxySettings p = Settings(5, "socks");
  p.user_id = fixture_.values["user"];
  p.password = "wrong";
  SocketChannel c;
  EXPECT_EQ(-1, c.ConnectVia(p, "127.0.0.1", 9));
  EXPECT_FALSE(c.IsOpen());
}

TEST_F(RealProxy, TinyproxyRefusesAClosedTarget) {
  SocketChannel c;
  EXPECT_EQ(-1, c.ConnectVia(Settings(0, "http"), "127.0.0.1", testing::ClosedPort()));
}

}  // namespace
}  // namespace net
