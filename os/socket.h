#pragma once
// The socket seam: IPv4 TCP and UDP over Winsock or BSD sockets, nothing more.
// Errors are reported as the platform's own socket error numbers (WSA codes on
// Windows, errno on Linux) because the log lines print them as they are.
#include <cstddef>
#include <cstdint>
#include <string>

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

// A set of at most 64 sockets for one select call, the Winsock default limit.
class SocketSet {
 public:
  static constexpr int kMaxSockets = 64;

  // Returns false (and leaves the set unchanged) when the set is full.
  bool Add(SocketHandle s);
  bool Contains(SocketHandle s) const;
  void Clear() { count_ = 0; }
  int Count() const { return count_; }
  SocketHandle At(int i) const { return sockets_[i]; }
  // After a select: marks which members were ready.
  bool IsReady(SocketHandle s) const;

 private:
  friend int SelectRead(SocketSet&, int);
  friend int SelectWrite(SocketSet&, int);
  SocketHandle sockets_[kMaxSockets] = {};
  bool ready_[kMaxSockets] = {};
  int count_ = 0;
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
