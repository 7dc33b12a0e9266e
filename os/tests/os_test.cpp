#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "os/app_data.h"
#include "os/clock.h"
#include "os/file.h"
#include "os/event.h"
#include "os/socket.h"
#include "os/tests/blackhole.h"
#include "os/usage_guard.h"

namespace {

uint32_t Loopback() {
  uint32_t ip = 0;
  os::ParseIpv4("127.0.0.1", &ip);
  return ip;
}

struct ConnectedPair {
  os::SocketHandle listener = os::kInvalidSocket, client = os::kInvalidSocket, server = os::kInvalidSocket;
  ConnectedPair() {
    listener = os::TcpSocket();
    uint16_t port = 0;
    EXPECT_EQ(0, os::BindAndListen(listener, Loopback(), 0, &port));
    client = os::TcpSocket();
    EXPECT_EQ(0, os::Connect(client, Loopback(), port));
    server = os::Accept(listener);
    EXPECT_NE(os::kInvalidSocket, server);
  }
  ~ConnectedPair() {
    os::CloseSocket(client);
    os::CloseSocket(server);
    os::CloseSocket(listener);
  }
};

TEST(Event, AutoResetClearsAfterOneWaitManualResetStaysTimedWaitsWake) {
  os::Event automatic(os::Event::Reset::kAuto), manual(os::Event::Reset::kManual);
  EXPECT_FALSE(automatic.Wait(0));
  automatic.Set();
  manual.Set();
  EXPECT_TRUE(automatic.Wait(0));
  EXPECT_FALSE(automatic.Wait(0)) << "an auto-reset event must clear itself after one wait";
  EXPECT_TRUE(manual.Wait(0));
  EXPECT_TRUE(manual.Wait(0));
  manual.Reset();
  uint64_t start = os::MonotonicMs();
  EXPECT_FALSE(manual.Wait(50)) << "a timed wait times out";
  EXPECT_GE(os::MonotonicMs() - start, 40u);
  std::thread t([&] { os::SleepMs(20); automatic.Set(); });
  EXPECT_TRUE(automatic.Wait(5000)) << "and wakes when another thread sets it";
  t.join();
}

// Closing refuses new users, waits for the ones inside up to its limit, and
// keeps refusing them afterwards: the object is about to be destroyed.
TEST(UsageGuard, CloseWaitsForUsersWithinItsLimit) {
  os::UsageGuard guard;
  ASSERT_EQ(0, guard.Acquire());
  std::thread user([&] {
    os::SleepMs(100);
    guard.Release();
  });
  const uint64_t start = os::MonotonicMs();
  EXPECT_TRUE(guard.Close(5000)) << "the user left within the wait";
  EXPECT_GE(os::MonotonicMs() - start, 50u);
  user.join();
  EXPECT_EQ(0, guard.users());
  EXPECT_EQ(-1, guard.Acquire()) << "a user got hold of an object whose close has returned";

  os::UsageGuard held;
  ASSERT_EQ(0, held.Acquire());
  std::thread closer([&] { EXPECT_FALSE(held.Close(200)) << "a user stayed inside"; });
  os::SleepMs(50);
  EXPECT_EQ(-1, held.Acquire()) << "a new user got in while closing";
  closer.join();
  EXPECT_EQ(-1, held.Acquire()) << "a new user got in after a close that timed out";
  held.Release();
  EXPECT_EQ(0, held.users());
}

// The owner destroys the object, guard and all, the moment Close returns
// (a view's node): the last user's Release must be over by then, not still
// waking the closer or unlocking. ThreadSanitizer sees the old order (the
// wake-up after the user had let the closer go) on the first round; a
// sanitizer-free build only crashes when the timing is unlucky.
TEST(UsageGuard, TheLastUserHasLeftTheGuardWhenCloseReturns) {
  for (int round = 0; round < 200; ++round) {
    auto guard = std::make_unique<os::UsageGuard>();
    ASSERT_EQ(0, guard->Acquire());
    os::UsageGuard* used = guard.get();
    std::thread user([used, round] {
      if (round % 2) os::SleepMs(1);  // now and then the closer is already waiting
      used->Release();
    });
    ASSERT_TRUE(guard->Close(5000));
    guard.reset();
    user.join();
  }
}

TEST(Clock, TempDirectoryEndsWithSeparator) {
  std::string dir = os::TempDirectory();
  ASSERT_FALSE(dir.empty());
  char last = dir.back();
  EXPECT_TRUE(last == '/' || last == '\\');
}

#ifdef _WIN32
// A profile whose name the ANSI code page cannot spell: the folder comes
// back as UTF-8, as every other path inside the program.
TEST(Clock, TempDirectoryOutsideTheAnsiCodePageIsUtf8) {
  wchar_t saved[MAX_PATH + 1] = {};
  const DWORD had = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH + 1);
  SetEnvironmentVariableW(L"TMP", L"C:\\\uD55C\uAE00\\tmp");
  const std::string dir = os::TempDirectory();
  SetEnvironmentVariableW(L"TMP", had ? saved : nullptr);
  EXPECT_EQ("C:\\\xED\x95\x9C\xEA\xB8\x80\\tmp\\", dir);
}
#endif

TEST(Socket, Ipv4TextRoundTripsAndRejectsGarbage) {
  uint32_t ip = 0;
  ASSERT_TRUE(os::ParseIpv4("127.1.2.254", &ip));
  EXPECT_EQ(0x7F0102FEu, ip);
  EXPECT_EQ("127.1.2.254", os::FormatIpv4(ip));
  EXPECT_FALSE(os::ParseIpv4("127.0.0", &ip));
  EXPECT_FALSE(os::ParseIpv4("300.0.0.1", &ip));
  EXPECT_FALSE(os::ParseIpv4("", &ip));
}

TEST(Socket, TimedAndNonBlockingReadsTransferAndPeerClose) {
  ConnectedPair p;
  ASSERT_EQ(0, os::SetRecvTimeout(p.server, 100));
  char buf[16] = {};
  uint64_t start = os::MonotonicMs();
  EXPECT_EQ(-1, os::Recv(p.server, buf, sizeof buf)) << "the time-out ends a blocking read";
  EXPECT_LT(os::MonotonicMs() - start, 5000u);
  ASSERT_EQ(0, os::SetNonBlocking(p.server, true));
  EXPECT_EQ(-1, os::Recv(p.server, buf, sizeof buf));
  EXPECT_TRUE(os::IsWouldBlock(os::LastSocketError()));
  ASSERT_EQ(5, os::Send(p.client, "hello", 5));
  ASSERT_EQ(1, os::WaitReadable(p.server, 2000, [] { return false; }));
  ASSERT_EQ(5, os::Recv(p.server, buf, sizeof buf));
  EXPECT_EQ(0, std::memcmp(buf, "hello", 5));
  os::CloseSocket(p.client);
  p.client = os::kInvalidSocket;
  ASSERT_EQ(1, os::WaitReadable(p.server, 2000, [] { return false; }));
  EXPECT_EQ(0, os::Recv(p.server, buf, sizeof buf)) << "a peer close reads as 0 bytes";
}

// Winsock's default set holds 64 sockets; a view wall needs more, and the
// last of them must be heard like the first.
TEST(SocketSet, SelectReportsOnlyReadySocketsOfMoreThanSixtyFour) {
  std::vector<std::unique_ptr<ConnectedPair>> pairs;
  os::SocketSet set;
  for (int i = 0; i < 100; ++i) {
    pairs.push_back(std::make_unique<ConnectedPair>());
    ASSERT_TRUE(set.Add(pairs.back()->server)) << "socket " << i << " left out of the set";
  }
  EXPECT_EQ(0, os::SelectRead(set, 20)) << "nothing sent yet";
  ASSERT_EQ(1, os::Send(pairs.back()->client, "x", 1));
  EXPECT_EQ(1, os::SelectRead(set, 2000));
  EXPECT_TRUE(set.IsReady(pairs.back()->server));
  EXPECT_FALSE(set.IsReady(pairs.front()->server));
  os::SocketSet writable;
  writable.Add(pairs.front()->client);
  EXPECT_EQ(1, os::SelectWrite(writable, 2000));
}

// A peer that drops every packet holds a plain connect for the system's own
// limit (two minutes on Linux); this one ends in its time or at once when
// its thread no longer wants it, and a read waits the same way.
TEST(Socket, ConnectsAndReadsEndInTimeOrWhenAbandoned) {
  os::testing::Blackhole hole;
  if (!hole.ok()) GTEST_SKIP() << "this system answers connection requests past a full queue";
  os::SocketHandle s = os::TcpSocket();
  uint64_t start = os::MonotonicMs();
  EXPECT_EQ(-1, os::ConnectWithin(s, Loopback(), hole.port(), 200));
  EXPECT_GE(os::MonotonicMs() - start, 190u) << "gave up before its time";
  EXPECT_LT(os::MonotonicMs() - start, 5000u) << "waited past its time";
  os::CloseSocket(s);

  std::atomic<bool> abandon{false};
  std::thread closing([&] {
    os::SleepMs(100);
    abandon = true;
  });
  s = os::TcpSocket();
  start = os::MonotonicMs();
  EXPECT_EQ(-1, os::ConnectWithin(s, Loopback(), hole.port(), 60000, [&] { return abandon.load(); }));
  EXPECT_LT(os::MonotonicMs() - start, 2000u) << "the abandoned connect went on";
  closing.join();
  os::CloseSocket(s);

  ConnectedPair p;
  EXPECT_EQ(0, os::WaitReadable(p.server, 60000, [] { return true; })) << "abandoned";
  ASSERT_EQ(1, os::Send(p.client, "x", 1));
  EXPECT_EQ(1, os::WaitReadable(p.server, 2000, [] { return false; }));
}

TEST(Socket, ProbeFailsOnClosedHandle) {
  os::SocketHandle s = os::TcpSocket();
  EXPECT_EQ(0, os::ProbeTcpNoDelay(s));
  os::CloseSocket(s);
  EXPECT_NE(0, os::ProbeTcpNoDelay(s));
}

TEST(Socket, UdpDatagramOnLoopback) {
  os::SocketHandle rx = os::UdpSocket(), tx = os::UdpSocket();
  uint16_t port = 0;
  ASSERT_EQ(0, os::Bind(rx, Loopback(), 0, &port));
  ASSERT_EQ(3, os::SendTo(tx, "abc", 3, Loopback(), port));
  char buf[8];
  uint32_t ip = 0;
  uint16_t from = 0;
  ASSERT_EQ(0, os::SetRecvTimeout(rx, 2000));
  EXPECT_EQ(3, os::RecvFrom(rx, buf, sizeof buf, &ip, &from));
  EXPECT_EQ(Loopback(), ip);
  EXPECT_NE(0, from);
  os::CloseSocket(rx);
  os::CloseSocket(tx);
}

TEST(AppData, FollowsXdgDataHomeElseHome) {
#ifndef _WIN32
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string saved = xdg ? xdg : "";
  setenv("XDG_DATA_HOME", "/tmp/halyard-data", 1);
  EXPECT_EQ("/tmp/halyard-data/", os::LocalAppDataDirectory());
  unsetenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(std::string(home) + "/.local/share/", os::LocalAppDataDirectory());
  }
  if (xdg) setenv("XDG_DATA_HOME", saved.c_str(), 1);
#else
  const std::string folder = os::LocalAppDataDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ('\\', folder.back());
#endif
}

}  // namespace
