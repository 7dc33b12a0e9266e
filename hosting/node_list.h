#pragma once
// A list of nodes with its own lock. Each read takes the lock for one
// element, so a walk never holds it across a call into a node. The relay
// list's lock is recursive: it also serialises hosting-server input.
// Threads: any thread adds, removes and reads; the list owns only its array,
// never the nodes. A node taken off the list is refused to every later
// Acquire, so a thread can hold a node only while it is still listed.
#include <algorithm>
#include <mutex>
#include <vector>

#include "hosting/hosted_node.h"

namespace hosting {

class NodeList {
 public:
  void Add(HostedNode* node) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (std::find(nodes_.begin(), nodes_.end(), node) == nodes_.end()) nodes_.push_back(node);
  }
  bool Remove(HostedNode* node) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = std::find(nodes_.begin(), nodes_.end(), node);
    if (it == nodes_.end()) return false;
    nodes_.erase(it);
    return true;
  }
  void Clear() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    nodes_.clear();
  }
  int Size() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return static_cast<int>(nodes_.size());
  }
  // Null when i is out of range (the list may shrink between Size and At).
  HostedNode* At(int i) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return i >= 0 && i < static_cast<int>(nodes_.size()) ? nodes_[static_cast<size_t>(i)] : nullptr;
  }
  // The i-th node held through its UsageGuard, taken under the list lock: a
  // RemoveNode that follows waits for this holder instead of destroying the
  // node under it. Empty when i is out of range or the node is closing.
  HeldNode Acquire(int i) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return HeldNode(i >= 0 && i < static_cast<int>(nodes_.size()) ? nodes_[static_cast<size_t>(i)] : nullptr);
  }
  // Calls fn for every node under the list lock: a node taken off the list
  // meanwhile (and then destroyed) waits for the walk to end.
  template <typename F>
  void ForEach(F fn) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (HostedNode* node : nodes_) fn(node);
  }
  std::recursive_mutex& mutex() { return mutex_; }

 private:
  mutable std::recursive_mutex mutex_;
  std::vector<HostedNode*> nodes_;
};

}  // namespace hosting
