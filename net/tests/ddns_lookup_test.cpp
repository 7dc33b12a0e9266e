// The dynamic-IP lookup against a scripted server.
#include <gtest/gtest.h>

#include "loopback_server.h"
#include "net/byte_order.h"
#include "net/ddns_lookup.h"
#include "net/ddns_messages.h"

namespace net {
namespace {

using testing::LoopbackServer;
using testing::RecvBytes;
using testing::SendBytes;

std::string Reply(const DdnsReply& r, size_t cut = kDdnsReplySize) {
  auto body = EncodeDdnsReply(r);
  std::string out("\0\0\0\x31\0\0\0\x38", 8);
  out.append(reinterpret_cast<const char*>(body.data()), cut);
  return out;
}

TEST(DdnsLookup, FoundDeviceGivesAddressAndPort) {
  std::string query;
  LoopbackServer server([&](os::SocketHandle s) {
    query = RecvBytes(s, 24);
    SendBytes(s, Reply({"127.0.0.5", 20003, 1}));
  });
  DdnsResult result;
  ASSERT_TRUE(DdnsLookup(ProxySettings{}, "gate-cam-by-the-road", "127.0.0.1", server.port(), &result));
  EXPECT_EQ("127.0.0.5", result.ip);
  EXPECT_EQ(20003, result.port);
  EXPECT_EQ(49u, GetBE32(reinterpret_cast<const uint8_t*>(query.data())));
  EXPECT_EQ(16u, GetBE32(reinterpret_cast<const uint8_t*>(query.data()) + 4));
  EXPECT_EQ(std::string("gate-cam-by-the\0", 16), query.substr(8, 16)) << "a long name is cut and keeps its NUL";
  EXPECT_EQ(20003u, GetBE32(EncodeDdnsReply({"127.0.0.5", 20003, 1}).data() + 48)) << "the port, big-endian";
}

TEST(DdnsLookup, FailuresReportFailure) {
  struct Case {
    const char* name;
    std::string reply;
  };
  const Case cases[] = {
      {"not found", Reply({"127.0.0.5", 20003, 0})},
      {"short reply then close", Reply({"127.0.0.5", 20003, 1}, 30)},
      {"closed at once", ""},
      {"port out of range", Reply({"127.0.0.5", 70000, 1})},
  };
  for (const Case& k : cases) {
    LoopbackServer server([&](os::SocketHandle s) {
      RecvBytes(s, 24);
      SendBytes(s, k.reply);
    });
    DdnsResult result;
    EXPECT_FALSE(DdnsLookup(ProxySettings{}, "gate-cam", "127.0.0.1", server.port(), &result)) << k.name;
  }
  DdnsResult result;
  EXPECT_FALSE(DdnsLookup(ProxySettings{}, "x", "127.0.0.1", testing::ClosedPort(), &result)) << "refused";
}

}  // namespace
}  // namespace net
