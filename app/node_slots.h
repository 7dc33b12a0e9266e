#pragma once
// The program-wide table of 33 node slots: every open camera view takes one
// for its node index (the "Node[ %d ]" of the log lines and the key of its
// speaker and recording state) and gives it back when it closes.
#include <array>
#include <mutex>

namespace app {

class NodeSlotTable {
 public:
  static constexpr int kSlots = 33;

  // The lowest free slot, taken; -1 when all are in use.
  int Acquire();
  // Out-of-range or free slots are ignored.
  void Release(int index);
  void Reset();
  int InUse() const;

 private:
  mutable std::mutex mutex_;
  std::array<bool, kSlots> used_{};
};

}  // namespace app
