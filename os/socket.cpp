#include "os/socket.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "os/clock.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using NativeSocket = SOCKET;
using SockLen = int;
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
using NativeSocket = int;
using SockLen = socklen_t;
#endif

namespace os {
namespace {

NativeSocket Native(SocketHandle s) { return static_cast<NativeSocket>(s); }

sockaddr_in MakeAddress(uint32_t ip, uint16_t port) {
  sockaddr_in a;
  std::memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(ip);
  a.sin_port = htons(port);
  return a;
}

SocketHandle Wrap(NativeSocket s) {
#ifdef _WIN32
  if (s == INVALID_SOCKET) return kInvalidSocket;
#else
  if (s < 0) return kInvalidSocket;
#endif
  return static_cast<SocketHandle>(s);
}

int SetTimeout(SocketHandle s, int option, int milliseconds) {
#ifdef _WIN32
  DWORD value = milliseconds;
  return setsockopt(Native(s), SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value);
#else
  timeval tv;
  tv.tv_sec = milliseconds / 1000;
  tv.tv_usec = (milliseconds % 1000) * 1000;
  return setsockopt(Native(s), SOL_SOCKET, option, &tv, sizeof tv);
#endif
}

int SetFlag(SocketHandle s, int level, int option, bool on) {
  int value = on ? 1 : 0;
  return setsockopt(Native(s), level, option, reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

bool NetStartup() {
#ifdef _WIN32
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
#else
  return true;
#endif
}

SocketHandle TcpSocket() {
  NetStartup();
  SocketHandle s = Wrap(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
#ifdef SO_NOSIGPIPE
  if (s != kInvalidSocket) SetFlag(s, SOL_SOCKET, SO_NOSIGPIPE, true);
#endif
  return s;
}

SocketHandle UdpSocket() {
  NetStartup();
  return Wrap(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
}

int CloseSocket(SocketHandle s) {
  if (s == kInvalidSocket) return -1;
#ifdef _WIN32
  return closesocket(Native(s));
#else
  return close(Native(s));
#endif
}

int ShutdownSocket(SocketHandle s) {
#ifdef _WIN32
  return shutdown(Native(s), SD_BOTH);
#else
  return shutdown(Native(s), SHUT_RDWR);
#endif
}

bool ParseIpv4(const std::string& text, uint32_t* host_order) {
  in_addr a;
  if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  *host_order = ntohl(a.s_addr);
  return true;
}

std::string FormatIpv4(uint32_t ip) {
  return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
         std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255);
}

int Connect(SocketHandle s, uint32_t ip, uint16_t port) {
  sockaddr_in a = MakeAddress(ip, port);
  return connect(Native(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : -1;
}

int Bind(SocketHandle s, uint32_t ip, uint16_t port, uint16_t* bound) {
  sockaddr_in a = MakeAddress(ip, port);
  if (bind(Native(s), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return -1;
  if (bound) {
    SockLen len = sizeof a;
    if (getsockname(Native(s), reinterpret_cast<sockaddr*>(&a), &len) != 0) return -1;
    *bound = ntohs(a.sin_port);
  }
  return 0;
}

int BindAndListen(SocketHandle s, uint32_t ip, uint16_t port, uint16_t* bound, int backlog) {
#ifndef _WIN32
  // Lets a test server rebind a port at once after a previous run.
  SetReuseAddress(s, true);
#endif
  if (Bind(s, ip, port, bound) != 0) return -1;
  return listen(Native(s), backlog) == 0 ? 0 : -1;
}

SocketHandle Accept(SocketHandle listener, uint32_t* peer_ip, uint16_t* peer_port) {
  sockaddr_in a;
  SockLen len = sizeof a;
  SocketHandle s = Wrap(accept(Native(listener), reinterpret_cast<sockaddr*>(&a), &len));
  if (s != kInvalidSocket) {
    if (peer_ip) *peer_ip = ntohl(a.sin_addr.s_addr);
    if (peer_port) *peer_port = ntohs(a.sin_port);
  }
  return s;
}

int Send(SocketHandle s, const void* data, int length) {
#ifdef _WIN32
  return send(Native(s), static_cast<const char*>(data), length, 0);
#else
  return static_cast<int>(send(Native(s), data, static_cast<size_t>(length), MSG_NOSIGNAL));
#endif
}

int Recv(SocketHandle s, void* data, int length) {
#ifdef _WIN32
  return recv(Native(s), static_cast<char*>(data), length, 0);
#else
  return static_cast<int>(recv(Native(s), data, static_cast<size_t>(length), 0));
#endif
}

int SendTo(SocketHandle s, const void* data, int length, uint32_t ip, uint16_t port) {
  sockaddr_in a = MakeAddress(ip, port);
  return static_cast<int>(sendto(Native(s), static_cast<const char*>(data), length, 0,
                                 reinterpret_cast<sockaddr*>(&a), sizeof a));
}

int RecvFrom(SocketHandle s, void* data, int length, uint32_t* ip, uint16_t* port) {
  sockaddr_in a;
  SockLen len = sizeof a;
  int n = static_cast<int>(recvfrom(Native(s), static_cast<char*>(data), length, 0,
                                    reinterpret_cast<sockaddr*>(&a), &len));
  if (n >= 0) {
    if (ip) *ip = ntohl(a.sin_addr.s_addr);
    if (port) *port = ntohs(a.sin_port);
  }
  return n;
}

int SetNonBlocking(SocketHandle s, bool on) {
#ifdef _WIN32
  u_long mode = on ? 1 : 0;
  return ioctlsocket(Native(s), FIONBIO, &mode) == 0 ? 0 : -1;
#else
  int flags = fcntl(Native(s), F_GETFL, 0);
  if (flags < 0) return -1;
  flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return fcntl(Native(s), F_SETFL, flags) == 0 ? 0 : -1;
#endif
}

int SetBroadcast(SocketHandle s, bool on) { return SetFlag(s, SOL_SOCKET, SO_BROADCAST, on); }
int SetReuseAddress(SocketHandle s, bool on) { return SetFlag(s, SOL_SOCKET, SO_REUSEADDR, on); }
int SetRecvTimeout(SocketHandle s, int ms) { return SetTimeout(s, SO_RCVTIMEO, ms); }
int SetSendTimeout(SocketHandle s, int ms) { return SetTimeout(s, SO_SNDTIMEO, ms); }

int ProbeTcpNoDelay(SocketHandle s) {
  int value = 0;
  SockLen len = sizeof value;
  return getsockopt(Native(s), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&value), &len);
}

int LastSocketError() {
#ifdef _WIN32
  return WSAGetLastError();
#else
  return errno;
#endif
}

bool IsWouldBlock(int error) {
#ifdef _WIN32
  return error == WSAEWOULDBLOCK;
#else
  return error == EWOULDBLOCK || error == EAGAIN;
#endif
}

bool SocketSet::Add(SocketHandle s) {
  if (s == kInvalidSocket) return false;
  sockets_.push_back(s);
  ready_.push_back(0);
  return true;
}

bool SocketSet::Contains(SocketHandle s) const {
  for (SocketHandle member : sockets_)
    if (member == s) return true;
  return false;
}

bool SocketSet::IsReady(SocketHandle s) const {
  for (size_t i = 0; i < sockets_.size(); ++i)
    if (sockets_[i] == s) return ready_[i] != 0;
  return false;
}

namespace {

// Error numbers are positive.
constexpr int kNotEnded = -1;

#ifdef _WIN32
timeval Timeval(int timeout_ms) {
  timeval tv;
  tv.tv_sec = timeout_ms / 1000;
  tv.tv_usec = (timeout_ms % 1000) * 1000;
  return tv;
}

// An fd_set of any size: Winsock's select reads fd_count entries, whatever
// FD_SETSIZE this program was compiled with.
class WideFdSet {
 public:
  explicit WideFdSet(size_t count) : bytes_(offsetof(fd_set, fd_array) + (count ? count : 1) * sizeof(SOCKET)) {}
  fd_set* get() { return reinterpret_cast<fd_set*>(bytes_.data()); }
  void Fill(const SocketHandle* sockets, size_t count) {
    get()->fd_count = static_cast<u_int>(count);
    for (size_t i = 0; i < count; ++i) Array()[i] = Native(sockets[i]);
  }
  // After select: the members it left in the set.
  bool Has(SocketHandle s) {
    for (u_int i = 0; i < get()->fd_count; ++i)
      if (Array()[i] == Native(s)) return true;
    return false;
  }

 private:
  SOCKET* Array() { return reinterpret_cast<SOCKET*>(bytes_.data() + offsetof(fd_set, fd_array)); }
  std::vector<unsigned char> bytes_;
};

int SelectOn(const SocketHandle* sockets, char* ready, size_t count, bool write, int timeout_ms) {
  WideFdSet set(count);
  set.Fill(sockets, count);
  timeval tv = Timeval(timeout_ms);
  int n = select(0, write ? nullptr : set.get(), write ? set.get() : nullptr, nullptr, &tv);
  for (size_t i = 0; i < count; ++i) ready[i] = n > 0 && set.Has(sockets[i]);
  return n == SOCKET_ERROR ? -1 : n;
}

// A connect under way has ended: 0 when it connected, else its error.
// kNotEnded when it has not ended within timeout_ms.
int ConnectEnded(SocketHandle s, int timeout_ms) {
  WideFdSet written(1), failed(1);
  written.Fill(&s, 1);
  failed.Fill(&s, 1);
  timeval tv = Timeval(timeout_ms);
  int n = select(0, nullptr, written.get(), failed.get(), &tv);
  if (n == SOCKET_ERROR) return WSAGetLastError();
  if (n == 0) return kNotEnded;
  int error = 0;
  int length = sizeof error;
  getsockopt(Native(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
  return failed.Has(s) && error == 0 ? WSAECONNREFUSED : error;
}

bool ConnectUnderWay(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }
void SetSocketError(int error) { WSASetLastError(error); }
constexpr int kTimedOut = WSAETIMEDOUT;
constexpr int kAbandonedError = WSAEINTR;
#else
// poll, not select: descriptors on Linux can exceed FD_SETSIZE in a busy test process.
int SelectOn(const SocketHandle* sockets, char* ready, size_t count, bool write, int timeout_ms) {
  std::vector<pollfd> fds(count);
  for (size_t i = 0; i < count; ++i) {
    fds[i].fd = Native(sockets[i]);
    fds[i].events = write ? POLLOUT : POLLIN;
    fds[i].revents = 0;
  }
  int n = poll(fds.data(), static_cast<nfds_t>(count), timeout_ms);
  int invalid = 0;
  for (size_t i = 0; i < count; ++i) {
    ready[i] = n > 0 && (fds[i].revents & (write ? POLLOUT | POLLERR | POLLHUP : POLLIN | POLLERR | POLLHUP));
    if (n > 0 && (fds[i].revents & POLLNVAL)) ++invalid;
  }
  // select fails on a closed descriptor; callers rely on that to find dead sockets.
  if (invalid > 0) {
    errno = EBADF;
    return -1;
  }
  return n;
}

int ConnectEnded(SocketHandle s, int timeout_ms) {
  pollfd fd{Native(s), POLLOUT, 0};
  int n = poll(&fd, 1, timeout_ms);
  if (n < 0) return errno == EINTR ? kNotEnded : errno;
  if (n == 0) return kNotEnded;
  int error = 0;
  SockLen length = sizeof error;
  if (getsockopt(Native(s), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
  return error;
}

bool ConnectUnderWay(int error) { return error == EINPROGRESS || error == EINTR; }
void SetSocketError(int error) { errno = error; }
constexpr int kTimedOut = ETIMEDOUT;
constexpr int kAbandonedError = ECANCELED;
#endif

// The next wait's length: at most kAbandonCheckMs while someone may abandon.
int Slice(uint64_t deadline_ms, const Abandoned& abandoned) {
  const uint64_t now = MonotonicMs();
  if (now >= deadline_ms) return 0;
  const uint64_t left = deadline_ms - now;
  return static_cast<int>(abandoned ? std::min<uint64_t>(left, kAbandonCheckMs) : left);
}

}  // namespace

int SelectRead(SocketSet& set, int timeout_ms) {
  if (set.sockets_.empty()) return 0;
  return SelectOn(set.sockets_.data(), set.ready_.data(), set.sockets_.size(), false, timeout_ms);
}

int SelectWrite(SocketSet& set, int timeout_ms) {
  if (set.sockets_.empty()) return 0;
  return SelectOn(set.sockets_.data(), set.ready_.data(), set.sockets_.size(), true, timeout_ms);
}

int ConnectWithin(SocketHandle s, uint32_t ip, uint16_t port, int timeout_ms, const Abandoned& abandoned) {
  if (SetNonBlocking(s, true) != 0) return -1;
  sockaddr_in a = MakeAddress(ip, port);
  int error = 0;
  if (connect(Native(s), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    error = LastSocketError();
    if (ConnectUnderWay(error)) {
      const uint64_t deadline = MonotonicMs() + static_cast<uint64_t>(timeout_ms);
      for (error = kNotEnded; error == kNotEnded;) {
        if (abandoned && abandoned()) {
          error = kAbandonedError;
        } else if (const int slice = Slice(deadline, abandoned); slice <= 0) {
          error = kTimedOut;
        } else {
          error = ConnectEnded(s, slice);
        }
      }
    }
  }
  SetNonBlocking(s, false);
  if (error == 0) return 0;
  SetSocketError(error);
  return -1;
}

int WaitReadable(SocketHandle s, int timeout_ms, const Abandoned& abandoned) {
  const uint64_t deadline = MonotonicMs() + static_cast<uint64_t>(timeout_ms);
  for (;;) {
    if (abandoned && abandoned()) return 0;
    const int slice = Slice(deadline, abandoned);
    if (slice <= 0) return 0;
    SocketSet set;
    set.Add(s);
    const int ready = SelectRead(set, slice);
    if (ready != 0) return ready > 0 ? 1 : -1;
  }
}

int SocketWriter::WaitWritable(SocketHandle s, int timeout_ms) {
  SocketSet set;
  set.Add(s);
  return SelectWrite(set, timeout_ms);
}

SocketWriter& SocketWriter::System() {
  static SocketWriter system;
  return system;
}

}  // namespace os
