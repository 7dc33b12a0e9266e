#pragma once
// The program-wide table of node slots. Every open camera view takes one of
// 33 for its node index (the "Node[ %d ]" of the log lines and the key of its
// speaker and recording state) and gives it back when it closes. Links
// without a view (wall cells, recording plans) take indexes above those, so
// a site's walls and plans never leave a view without a slot, and the
// cameras one PC serves are not bounded by the views' table.
#include <array>
#include <mutex>

namespace app {

class NodeSlotTable {
 public:
  static constexpr int kSlots = 33;
  static constexpr int kWindowlessSlots = 192;

  // The lowest free view slot, taken; -1 when all are in use.
  int Acquire();
  // The lowest free slot above the views' (kSlots and up); -1 when none is.
  int AcquireWindowless();
  // Out-of-range or free slots are ignored.
  void Release(int index);
  void Reset();
  int InUse() const;

 private:
  int AcquireIn(int first, int end);

  mutable std::mutex mutex_;
  std::array<bool, kSlots + kWindowlessSlots> used_{};
};

}  // namespace app
