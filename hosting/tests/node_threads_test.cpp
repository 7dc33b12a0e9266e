// Which thread may touch a node, and when: lookups against a node being
// removed, and the receive loop after a camera closed its connection.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "fakes.h"
#include "hosting/hosting_service.h"

namespace hosting {
namespace {

using testing::Eventually;
using testing::FakeMessages;
using testing::FakeNode;
using testing::FakePoster;

// A node that runs a hook the next time a lookup asks for its guard: the
// moment between finding the node and holding it.
class NodeWithGuardHook : public FakeNode {
 public:
  using FakeNode::FakeNode;
  os::UsageGuard& Guard() override {
    if (std::function<void()> hook = std::exchange(hook_, nullptr)) hook();
    return FakeNode::Guard();
  }
  std::function<void()> hook_;
};

struct Service {
  Service() : events(poster, 1), service(events, poster, messages) {}
  FakePoster poster;
  FakeMessages messages;
  HostEventQueue events;
  HostingService service;
};

// A view's window closes (RemoveNode, then the node is destroyed) just as
// the receive, send or speaker thread finds the node: either the lookup
// misses it, or the removal waits until the lookup lets go.
TEST(NodeLifetime, RemovalNeverReturnsWhileALookupHoldsTheNode) {
  using Lookup = std::function<HeldNode(HostingService&, os::SocketHandle)>;
  const std::vector<std::pair<const char*, Lookup>> lookups = {
      {"GetDirectNode", [](HostingService& s, os::SocketHandle) { return s.GetDirectNode(0); }},
      {"FindDirectNodeBySocket", [](HostingService& s, os::SocketHandle h) { return s.FindDirectNodeBySocket(h); }},
  };
  for (const auto& [name, lookup] : lookups) {
    Service s;
    NodeWithGuardHook node(0, false);
    node.video_.Attach(os::TcpSocket());
    s.service.AddNode(&node);
    std::atomic<bool> removed{false};
    os::Event removal_done(os::Event::Reset::kManual);
    std::thread remover;
    node.hook_ = [&] {
      remover = std::thread([&] {
        s.service.RemoveNode(&node);
        removed = true;
        removal_done.Set();
      });
      // Give the removal every chance to finish inside the lookup's gap.
      removal_done.Wait(300);
    };
    {
      HeldNode held = lookup(s.service, node.video_.socket());
      if (held) {
        EXPECT_FALSE(removed) << name << " handed out a node whose removal had returned (destroyed)";
      }
    }
    remover.join();
    EXPECT_TRUE(removed);
    EXPECT_FALSE(s.service.GetDirectNode(0)) << name;
    EXPECT_EQ(-1, node.Guard().Acquire()) << name << ": a removed node took a new user";
  }
}

}  // namespace
}  // namespace hosting
