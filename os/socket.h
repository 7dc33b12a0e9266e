#pragma once
// The socket seam: IPv4 TCP and UDP over Winsock or BSD sockets, nothing more.
// Errors are reported as the platform's own socket error numbers (WSA codes on
// Windows, errno on Linux) because the log lines print them as they are.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace os {

using SocketHandle = std::intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

// Winsock needs WSAStartup once per process; a no-op elsewhere. Safe to call often.
bool NetStartup();

SocketHandle TcpSocket();
SocketHandle UdpSocket();
int CloseSocket(SocketHandle s);
int ShutdownSocket(SocketHandle s);

// Address in dotted text ("127.0.0.1"); returns false when it does not parse.
bool ParseIpv4(const std::string& text, uint32_t* host_order);
std::string FormatIpv4(uint32_t host_order);

int Connect(SocketHandle s, uint32_t ip, uint16_t port);

// Asked between the short waits a connect or a handshake is made of: true
// when its thread no longer wants it (the view closed, the program exits).
// Empty: never.
using Abandoned = std::function<bool()>;
// How often a wait looks at its Abandoned: the longest a closing window
// waits for a connect thread to notice.
constexpr int kAbandonCheckMs = 20;
// A connect that gives up after timeout_ms (a peer that drops every packet
// would hold it for the system's own limit, two minutes on Linux) or once
// `abandoned` says so. 0, or -1 with LastSocketError set (ETIMEDOUT /
// WSAETIMEDOUT on time-out). The socket stays in blocking mode.
int ConnectWithin(SocketHandle s, uint32_t ip, uint16_t port, int timeout_ms, const Abandoned& abandoned = {});
// Waits until s has input (or its peer closed): 1, 0 when timeout_ms passed
// or the wait was abandoned, -1 on error.
int WaitReadable(SocketHandle s, int timeout_ms, const Abandoned& abandoned = {});
// Binds to ip:port (port 0 picks a free one) and listens with a queue of
// `backlog` connections; the bound port is returned in *bound.
int BindAndListen(SocketHandle s, uint32_t ip, uint16_t port, uint16_t* bound, int backlog = 64);
int Bind(SocketHandle s, uint32_t ip, uint16_t port, uint16_t* bound);
SocketHandle Accept(SocketHandle listener, uint32_t* peer_ip = nullptr, uint16_t* peer_port = nullptr);

// Return what the system call returned: bytes moved, 0 for a peer close, -1 on error.
int Send(SocketHandle s, const void* data, int length);
int Recv(SocketHandle s, void* data, int length);
int SendTo(SocketHandle s, const void* data, int length, uint32_t ip, uint16_t port);
int RecvFrom(SocketHandle s, void* data, int length, uint32_t* ip, uint16_t* port);

int SetNonBlocking(SocketHandle s, bool on);
int SetBroadcast(SocketHandle s, bool on);
int SetReuseAddress(SocketHandle s, bool on);
// 0 clears the time-out (block for ever).
int SetRecvTimeout(SocketHandle s, int milliseconds);
int SetSendTimeout(SocketHandle s, int milliseconds);
// getsockopt(TCP_NODELAY): a cheap way to ask whether a handle is still a valid socket.
int ProbeTcpNoDelay(SocketHandle s);

int LastSocketError();
bool IsWouldBlock(int error);

// The sockets of one select call, as many as there are: Winsock's set holds
// 64 only by default (FD_SETSIZE), and its select takes a larger one.
class SocketSet {
 public:
  // False (and the set unchanged) for an invalid handle.
  bool Add(SocketHandle s);
  bool Contains(SocketHandle s) const;
  void Clear() {
    sockets_.clear();
    ready_.clear();
  }
  int Count() const { return static_cast<int>(sockets_.size()); }
  SocketHandle At(int i) const { return sockets_[static_cast<size_t>(i)]; }
  // After a select: marks which members were ready.
  bool IsReady(SocketHandle s) const;

 private:
  friend int SelectRead(SocketSet&, int);
  friend int SelectWrite(SocketSet&, int);
  std::vector<SocketHandle> sockets_;
  std::vector<char> ready_;
};

// Wait until a member is readable (or writable); returns the number of ready
// sockets, 0 on time-out, -1 on error (LastSocketError tells which).
int SelectRead(SocketSet& set, int timeout_ms);
int SelectWrite(SocketSet& set, int timeout_ms);

// How a connection writes to its handle: the system by default; tests put a
// socket in its place that takes a few bytes at a time.
class SocketWriter {
 public:
  virtual ~SocketWriter() = default;
  virtual int Send(SocketHandle s, const void* data, int length) { return os::Send(s, data, length); }
  // 1 when s takes more bytes, 0 on time-out, -1 on error.
  virtual int WaitWritable(SocketHandle s, int timeout_ms);
  static SocketWriter& System();
};

}  // namespace os
