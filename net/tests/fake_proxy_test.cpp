// The proxy handshakes against scripted proxies on loopback: exact request
// bytes, every refusal path, split replies, and proxies that never answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loopback_server.h"
#include "net/byte_order.h"
#include "net/proxy_connector.h"
#include "net/socket_channel.h"
#include "os/clock.h"
#include "os/event.h"
#include "os/tests/log_capture.h"

namespace net {
namespace {

using testing::LoopbackProxy;
using testing::LoopbackServer;
using testing::RecvBytes;
using testing::SendBytes;

// After a successful handshake the fake proxy plays the target: it sends this
// at once, in the same segment as the end of its reply.
const std::string kGreeting = std::string("\0\0\0\x30\0\0\0\0", 8);  // KeepAlive

// Connects through `settings` and, on success, reads the greeting that must
// have survived the handshake.
struct Attempt {
  int result = -1;
  bool open = false;
  std::string first_bytes;
};
Attempt Connect(const ProxySettings& settings, uint16_t target_port = 20002) {
  Attempt a;
  SocketChannel c;
  a.result = c.ConnectVia(settings, "127.0.0.1", target_port);
  a.open = c.IsOpen();
  if (a.result == 0) {
    os::SetRecvTimeout(c.socket(), 5000);
    char buf[8];
    if (c.ReadExact(buf, 8) == 8) a.first_bytes.assign(buf, 8);
  }
  return a;
}

TEST(Socks4, RequestEndsWithTheUserIdAndItsNulAndKeepsTheStream) {
  for (const std::string user : {"", "alice"}) {
    LogCapture log;
    std::string request;
    LoopbackServer proxy([&](os::SocketHandle s) {
      request = RecvBytes(s, 9 + static_cast<int>(user.size()));
      SendBytes(s, std::string("\0\x5A\x4E\x22\x7F\0\0\x01", 8) + kGreeting);
    });
    Attempt a = Connect(LoopbackProxy(4, proxy.port(), user));
    ASSERT_EQ(0, a.result) << user;
    EXPECT_EQ(std::string("\x04\x01\x4E\x22\x7F\0\0\x01", 8) + user + std::string(1, '\0'), request);
    EXPECT_EQ(kGreeting, a.first_bytes) << "bytes behind the proxy reply belong to the tunnel";
    EXPECT_TRUE(log.Has("SOCKS 4 CONNECT REQUEST [ VN : 4, CD : 1, PORT : 20002, IP : 127.0.0.1, USER : " + user +
                        " ]\n"));
    EXPECT_TRUE(log.Has("SOCKS 4 CONNECT RESPONSE [ VN : 0, CD : 90, PORT : 20002, IP : 127.0.0.1\n"));
    EXPECT_TRUE(log.Has("SOCKS 4 CONNECT SUCCESS\n"));
  }
}

TEST(Socks4, RefusalAndCloseFail) {
  const struct {
    std::string reply, log_line;
  } cases[] = {
      {std::string("\0\x5B\0\0\0\0\0\0", 8), "SOCKS 4 CONNECT ERROR\n"},
      {"", "SOCKS4 ERROR 0 : Recv CONNECT RESPONSE \n"},
  };
  for (const auto& c : cases) {
    LogCapture log;
    LoopbackServer proxy([&](os::SocketHandle s) {
      RecvBytes(s, 9);
      SendBytes(s, c.reply);
    });
    Attempt a = Connect(LoopbackProxy(4, proxy.port()));
    EXPECT_EQ(-1, a.result) << c.log_line;
    EXPECT_FALSE(a.open) << c.log_line;
    EXPECT_TRUE(log.Has(c.log_line));
  }
}

// Without a user only "no authentication" is offered, yet a proxy that
// picks the password method is answered (with empty names); the password is
// sent but never logged.
TEST(Socks5, MethodsOfferedAndThePasswordExchange) {
  const struct {
    std::string user, password, methods, auth;
  } cases[] = {
      {"", "", std::string("\x05\x01\x00", 3), std::string("\x01\x00\x00", 3)},
      {"bob", "s3cr3t", std::string("\x05\x02\x00\x02", 4), std::string("\x01\x03" "bob" "\x06" "s3cr3t", 12)},
  };
  for (const auto& c : cases) {
    LogCapture log;
    std::string methods, auth, connect;
    LoopbackServer proxy([&](os::SocketHandle s) {
      methods = RecvBytes(s, static_cast<int>(c.methods.size()));
      SendBytes(s, std::string("\x05\x02", 2));
      auth = RecvBytes(s, static_cast<int>(c.auth.size()));
      SendBytes(s, std::string("\x01\x00", 2));
      connect = RecvBytes(s, 10);
      SendBytes(s, std::string("\x05\0\0\x01\x7F\0\0\x01\x12\x34", 10) + kGreeting);
    });
    Attempt a = Connect(LoopbackProxy(5, proxy.port(), c.user, c.password));
    ASSERT_EQ(0, a.result) << c.user;
    EXPECT_EQ(c.methods, methods) << c.user;
    EXPECT_EQ(c.auth, auth) << c.user;
    EXPECT_EQ(std::string("\x05\x01\x00\x01\x7F\0\0\x01\x4E\x22", 10), connect);
    EXPECT_EQ(kGreeting, a.first_bytes);
    EXPECT_TRUE(log.Has("SOCKS 5 AUTHENTICATION REQUEST [VER : 1, ULEN : " + std::to_string(c.user.size()) +
                        ", UNAME : " + c.user + ", PLEN : " + std::to_string(c.password.size()) + ", PASSWD : *]\n"));
    EXPECT_TRUE(log.Has("SOCKS 5 AUTHENTICATION SUCCESS\n"));
    EXPECT_TRUE(log.Has("SOCKS 5 CONNECT SUCCESS\n"));
    if (!c.password.empty()) {
      EXPECT_FALSE(log.Mentions(c.password));
    }
  }
}

TEST(Socks5, RefusalsFail) {
  struct Case {
    const char* name;
    std::string method_reply, auth_reply, connect_reply, log_line;
  };
  const Case cases[] = {
      {"no acceptable method", std::string("\x05\xFF", 2), "", "", "SOCKS 5 NO_ACCEPTABLE_METHODS\n"},
      {"bad credentials", std::string("\x05\x02", 2), std::string("\x01\x01", 2), "", "SOCKS 5 AUTHENTICATION ERROR\n"},
      {"connect refused", std::string("\x05\x00", 2), "", std::string("\x05\x05\0\x01\0\0\0\0\0\0", 10),
       "SOCKS 5 CONNECT ERROR\n"},
      {"closed before connect reply", std::string("\x05\x00", 2), "", "", "SOCKS5 ERROR 0 : Recv CONNECT RESPONSE\n"},
  };
  for (const Case& k : cases) {
    LogCapture log;
    LoopbackServer proxy([&](os::SocketHandle s) {
      RecvBytes(s, 4);
      SendBytes(s, k.method_reply);
      if (!k.auth_reply.empty()) {
        RecvBytes(s, 2 + 1 + 1 + 1);
        SendBytes(s, k.auth_reply);
        return;
      }
      RecvBytes(s, 10);
      if (!k.connect_reply.empty()) SendBytes(s, k.connect_reply);
    });
    Attempt a = Connect(LoopbackProxy(5, proxy.port(), "u", "p"));
    EXPECT_EQ(-1, a.result) << k.name;
    EXPECT_FALSE(a.open) << k.name;
    EXPECT_TRUE(log.Has(k.log_line)) << k.name;
  }
}

TEST(Socks5, ReplySplitOverSegmentsAndNamedBoundAddress) {
  LoopbackServer proxy([&](os::SocketHandle s) {
    RecvBytes(s, 3);
    SendBytes(s, std::string("\x05", 1));
    os::SleepMs(30);
    SendBytes(s, std::string("\x00", 1));
    RecvBytes(s, 10);
    // A domain-name bound address: 4 + 1 + 9 + 2 bytes, in two segments.
    SendBytes(s, std::string("\x05\0\0\x03\x09loc", 8));
    os::SleepMs(30);
    SendBytes(s, std::string("alhost\x12\x34", 8) + kGreeting);
  });
  Attempt a = Connect(LoopbackProxy(5, proxy.port()));
  ASSERT_EQ(0, a.result);
  EXPECT_EQ(kGreeting, a.first_bytes);
}

TEST(HttpConnect, RequestTextAndAcceptedStatusLines) {
  for (const char* status : {"HTTP/1.0 200 Connection established", "HTTP/1.1 200 OK"}) {
    LogCapture log;
    std::string request;
    LoopbackServer proxy([&](os::SocketHandle s) {
      request = RecvBytes(s, 43);
      const std::string reply = std::string(status) + "\r\nProxy-agent: test\r\n\r\n";
      SendBytes(s, reply.substr(0, 10));
      os::SleepMs(30);
      SendBytes(s, reply.substr(10) + kGreeting);
    });
    Attempt a = Connect(LoopbackProxy(1, proxy.port()));
    ASSERT_EQ(0, a.result) << status;
    EXPECT_EQ("CONNECT 127.0.0.1:20002 HTTP/1.1\r\nHost:\r\n\r\n", request);
    EXPECT_EQ(kGreeting, a.first_bytes) << status;
    EXPECT_TRUE(log.Has("HTTP PROXY : Send Connect Data : CONNECT 127.0.0.1:20002 HTTP/1.1\r\nHost:\r\n\r\n"));
  }
}

TEST(HttpConnect, RefusalsFail) {
  const std::string kFail = "HTTP PROXY ERROR : CONNECT FAIL\n";
  const struct {
    std::string reply;
    bool close_after;  // else the proxy keeps the connection open
    std::string log_line;
  } cases[] = {
      {"HTTP/1.0 403 Access violation\r\n\r\n", true, kFail},
      {"HTTP/1.1 407 Auth\r\n\r\n", true, kFail},
      {"garbage\r\n\r\n", true, kFail},
      {"HTTP/1.0 2000 x\r\n\r\n", true, kFail},
      // A 200 cut short by the proxy closing is no answer.
      {"HTTP/1.0 200 Connection established\r\n", true, "HTTP PROXY ERROR 0 : Recv CONNECT \n"},
      // A 200 whose header never ends leaves no way to tell where the tunnel starts.
      {"HTTP/1.0 200 " + std::string(10000, 'x'), false, kFail},
  };
  for (const auto& c : cases) {
    LogCapture log;
    LoopbackServer proxy([&](os::SocketHandle s) {
      RecvBytes(s, 43);
      SendBytes(s, c.reply);
      if (!c.close_after) RecvBytes(s, 1);
    });
    Attempt a = Connect(LoopbackProxy(0, proxy.port()));
    const std::string name = c.reply.substr(0, 40);
    EXPECT_EQ(-1, a.result) << name;
    EXPECT_FALSE(a.open) << name;
    EXPECT_TRUE(log.Has(c.log_line)) << name;
  }
}

TEST(ProxyTimeouts, SilentProxyFailsInsteadOfHanging) {
  for (int version : {4, 5, 0}) {
    os::Event release;
    LoopbackServer proxy([&](os::SocketHandle) { release.Wait(10000); });
    ProxySettings settings = LoopbackProxy(version, proxy.port());
    os::SocketHandle s = os::TcpSocket();
    uint64_t start = os::MonotonicMs();
    EXPECT_EQ(-1, ProxyConnector(settings, 300).Connect(s, "127.0.0.1", 1)) << version;
    EXPECT_LT(os::MonotonicMs() - start, 8000u);
    os::CloseSocket(s);
    release.Set();
  }
}

TEST(ProxyTimeouts, UnreachableProxyFails) { EXPECT_EQ(-1, Connect(LoopbackProxy(5, testing::ClosedPort())).result); }

}  // namespace
}  // namespace net
