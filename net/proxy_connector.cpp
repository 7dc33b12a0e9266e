#include "net/proxy_connector.h"

#include <cstring>
#include <string>
#include <vector>

#include "net/byte_order.h"
#include "os/clock.h"
#include "os/debug_log.h"

namespace net {
namespace {

// The error number for a failed read: the socket error, or 0 for a peer close.
int ReadError(int result) { return result < 0 ? os::LastSocketError() : 0; }

int SendAll(os::SocketHandle s, const uint8_t* data, int n) { return os::Send(s, data, n) == n ? 0 : -1; }

// An HTTP reply ends at its blank line; read it byte by byte so nothing of
// the tunnel behind it is consumed. The proxy's reply is short: bound it.
constexpr int kHttpReplyLimit = 4096;

}  // namespace

int ProxyConnector::Recv(os::SocketHandle s, void* buffer, int n) {
  const uint64_t now = os::MonotonicMs();
  if (now >= deadline_ms_ || os::WaitReadable(s, static_cast<int>(deadline_ms_ - now), abandoned_) <= 0) return -1;
  return os::Recv(s, buffer, n);
}

int ProxyConnector::RecvExact(os::SocketHandle s, uint8_t* buffer, int n) {
  int got = 0;
  while (got < n) {
    int r = Recv(s, buffer + got, n - got);
    if (r <= 0) return r;
    got += r;
  }
  return n;
}

int ProxyConnector::RecvHttpHeader(os::SocketHandle s, std::string* reply) {
  uint8_t c = 0;
  while (reply->size() < kHttpReplyLimit) {
    int r = Recv(s, &c, 1);
    if (r < 0) return -1;
    if (r == 0) return 0;
    reply->push_back(static_cast<char>(c));
    if (reply->size() >= 4 && reply->compare(reply->size() - 4, 4, "\r\n\r\n") == 0) return 1;
  }
  return 2;
}

int ProxyConnector::Connect(os::SocketHandle s, const std::string& target_ip, uint16_t target_port) {
  uint32_t ip = 0;
  if (!os::ParseIpv4(target_ip, &ip)) return -1;
  if (!settings_.UsesProxy()) return os::ConnectWithin(s, ip, target_port, kConnectTimeoutMs, abandoned_);
  if (os::ConnectWithin(s, settings_.AddressHostOrder(), settings_.port, kConnectTimeoutMs, abandoned_) != 0) return -1;

  deadline_ms_ = os::MonotonicMs() + static_cast<uint64_t>(timeout_ms_);
  os::SetSendTimeout(s, timeout_ms_);
  int result;
  if (settings_.version == 4)
    result = Socks4(s, ip, target_ip, target_port);
  else if (settings_.version == 5)
    result = Socks5(s, ip, target_ip, target_port);
  else
    result = HttpConnect(s, target_ip, target_port);
  os::SetSendTimeout(s, 0);
  return result;
}

int ProxyConnector::Socks4(os::SocketHandle s, uint32_t ip, const std::string& ip_text, uint16_t port) {
  std::vector<uint8_t> request(8);
  request[0] = 4;
  request[1] = 1;
  PutBE16(&request[2], port);
  PutBE32(&request[4], ip);
  request.insert(request.end(), settings_.user_id.begin(), settings_.user_id.end());
  request.push_back(0);
  if (SendAll(s, request.data(), static_cast<int>(request.size())) != 0) {
    DebugLog("SOCKS4 ERROR %d : Send ConnectData \n", os::LastSocketError());
    return -1;
  }
  DebugLog("SOCKS 4 CONNECT REQUEST [ VN : %d, CD : %d, PORT : %d, IP : %s, USER : %s ]\n", 4, 1, port,
           ip_text.c_str(), settings_.user_id.c_str());

  uint8_t reply[8];
  int r = RecvExact(s, reply, sizeof reply);
  if (r != sizeof reply) {
    DebugLog("SOCKS4 ERROR %d : Recv CONNECT RESPONSE \n", ReadError(r));
    return -1;
  }
  DebugLog("SOCKS 4 CONNECT RESPONSE [ VN : %d, CD : %d, PORT : %d, IP : %d.%d.%d.%d\n", reply[0], reply[1],
           GetBE16(&reply[2]), reply[4], reply[5], reply[6], reply[7]);
  if (reply[1] != 90) {
    DebugLog("SOCKS 4 CONNECT ERROR\n");
    return -1;
  }
  DebugLog("SOCKS 4 CONNECT SUCCESS\n");
  return 0;
}

int ProxyConnector::Socks5(os::SocketHandle s, uint32_t ip, const std::string& ip_text, uint16_t port) {
  const bool offer_password = !settings_.user_id.empty();
  uint8_t methods[4] = {5, static_cast<uint8_t>(offer_password ? 2 : 1), 0, 2};
  const int methods_length = offer_password ? 4 : 3;
  if (SendAll(s, methods, methods_length) != 0) {
    DebugLog("SOCKS5 ERROR %d : Send AUTHENTICATION METHOD\n", os::LastSocketError());
    return -1;
  }
  if (offer_password)
    DebugLog("SOCKS 5 AUTHENTICATION METHOD REQUEST [ VER : %d, NMETHODS : %d, METHOD : %d, METHOD : %d]\n", 5, 2,
             0, 2);
  else
    DebugLog("SOCKS 5 AUTHENTICATION METHOD REQUEST [ VER : %d, NMETHODS : %d, METHOD : %d]\n", 5, 1, 0);

  uint8_t choice[2];
  int r = RecvExact(s, choice, sizeof choice);
  if (r != sizeof choice) {
    DebugLog("SOCKS5 ERROR %d : Recv AUTHENTICATION METHOD RESPOPNSE\n", ReadError(r));
    return -1;
  }
  DebugLog("SOCKS 5 AUTHENTICATION METHOD RESPOPNSE [VER : %d, METHOD : %d]\n", choice[0], choice[1]);
  if (choice[1] == 255) {
    DebugLog("SOCKS 5 NO_ACCEPTABLE_METHODS\n");
    return -1;
  }
  if (choice[1] == 2 && Socks5Authenticate(s) != 0) return -1;

  uint8_t request[10] = {5, 1, 0, 1};
  PutBE32(&request[4], ip);
  PutBE16(&request[8], port);
  if (SendAll(s, request, sizeof request) != 0) {
    DebugLog("SOCKS5 ERROR %d : Send CONNECT REQUEST\n", os::LastSocketError());
    return -1;
  }
  DebugLog("SOCKS 5 CONNECT REQUEST [VER : %d, CMD : %d, RSV : %d, ATYP : %d, DEST.ADDR : %s, DEST.PORT : %d]\n", 5,
           1, 0, 1, ip_text.c_str(), port);

  // The reply's length depends on its address type: IPv4, a named host, or IPv6.
  uint8_t reply[4 + 1 + 255 + 2] = {};
  r = RecvExact(s, reply, 4);
  int rest = -1;
  if (r == 4) {
    if (reply[3] == 1) rest = 4 + 2;
    if (reply[3] == 4) rest = 16 + 2;
    if (reply[3] == 3) {
      r = RecvExact(s, reply + 4, 1);
      rest = r == 1 ? reply[4] + 2 : -1;
    }
  }
  if (r > 0 && rest >= 0) r = RecvExact(s, reply + 4 + (reply[3] == 3 ? 1 : 0), rest);
  if (r <= 0 || rest < 0) {
    DebugLog("SOCKS5 ERROR %d : Recv CONNECT RESPONSE\n", r < 0 ? ReadError(r) : 0);
    return -1;
  }
  const bool ipv4 = reply[3] == 1;
  DebugLog("SOCKS 5 CONNECT RESPONSE [VER : %d, REP : %d, RSV : %d, ATYP : %d, BND.ADDR : %d.%d.%d.%d, BND.PORT : "
           "%d]\n",
           reply[0], reply[1], reply[2], reply[3], ipv4 ? reply[4] : 0, ipv4 ? reply[5] : 0, ipv4 ? reply[6] : 0,
           ipv4 ? reply[7] : 0, ipv4 ? GetBE16(&reply[8]) : 0);
  if (reply[1] != 0) {
    DebugLog("SOCKS 5 CONNECT ERROR\n");
    return -1;
  }
  DebugLog("SOCKS 5 CONNECT SUCCESS\n");
  return 0;
}

int ProxyConnector::Socks5Authenticate(os::SocketHandle s) {
  // Each length travels in one byte: longer texts are cut, never wrapped.
  const std::string user = settings_.user_id.substr(0, 255);
  const std::string password = settings_.password.substr(0, 255);
  std::vector<uint8_t> request;
  request.push_back(1);
  request.push_back(static_cast<uint8_t>(user.size()));
  request.insert(request.end(), user.begin(), user.end());
  request.push_back(static_cast<uint8_t>(password.size()));
  request.insert(request.end(), password.begin(), password.end());
  if (SendAll(s, request.data(), static_cast<int>(request.size())) != 0) {
    DebugLog("SOCKS5 ERROR %d : Send Authentication \n", os::LastSocketError());
    return -1;
  }
  DebugLog("SOCKS 5 AUTHENTICATION REQUEST [VER : %d, ULEN : %d, UNAME : %s, PLEN : %d, PASSWD : *]\n", 1,
           static_cast<int>(user.size()), user.c_str(), static_cast<int>(password.size()));
  uint8_t reply[2];
  int r = RecvExact(s, reply, sizeof reply);
  if (r != sizeof reply) {
    DebugLog("SOCKS5 ERROR %d : Recv AUTHENTICATION RESPOPNSE\n", ReadError(r));
    return -1;
  }
  DebugLog("SOCKS 5 AUTHENTICATION RESPONSE [VER : %d, STATUS : %d]\n", reply[0], reply[1]);
  if (reply[1] != 0) {
    DebugLog("SOCKS 5 AUTHENTICATION ERROR\n");
    return -1;
  }
  DebugLog("SOCKS 5 AUTHENTICATION SUCCESS\n");
  return 0;
}

int ProxyConnector::HttpConnect(os::SocketHandle s, const std::string& ip_text, uint16_t port) {
  const std::string request = "CONNECT " + ip_text + ":" + std::to_string(port) + " HTTP/1.1\r\nHost:\r\n\r\n";
  if (SendAll(s, reinterpret_cast<const uint8_t*>(request.data()), static_cast<int>(request.size())) != 0) {
    DebugLog("HTTP PROXY ERROR %d : Send CONNECT \n", os::LastSocketError());
    return -1;
  }
  DebugLog("HTTP PROXY : Send Connect Data : %s", request.c_str());
  std::string reply;
  int r = RecvHttpHeader(s, &reply);
  if (r <= 0) {
    DebugLog("HTTP PROXY ERROR %d : Recv CONNECT \n", ReadError(r));
    return -1;
  }
  DebugLog("HTTP PROXY : Recv Connect Response : %s", reply.c_str());
  // Proxies answer CONNECT in either HTTP version; only the status code matters.
  const std::string status = reply.substr(0, 13);
  if (r != 1 || (status != "HTTP/1.0 200 " && status != "HTTP/1.1 200 ")) {
    DebugLog("HTTP PROXY ERROR : CONNECT FAIL\n");
    return -1;
  }
  return 0;
}

}  // namespace net
