#include "app/node_slots.h"

#include <algorithm>

namespace app {

int NodeSlotTable::Acquire() { return AcquireIn(0, kSlots); }

int NodeSlotTable::AcquireWindowless() { return AcquireIn(kSlots, kSlots + kWindowlessSlots); }

int NodeSlotTable::AcquireIn(int first, int end) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int i = first; i < end; ++i) {
    if (!used_[static_cast<size_t>(i)]) {
      used_[static_cast<size_t>(i)] = true;
      return i;
    }
  }
  return -1;
}

void NodeSlotTable::Release(int index) {
  if (index < 0 || index >= kSlots + kWindowlessSlots) return;
  std::lock_guard<std::mutex> lock(mutex_);
  used_[static_cast<size_t>(index)] = false;
}

void NodeSlotTable::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  used_.fill(false);
}

int NodeSlotTable::InUse() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count(used_.begin(), used_.end(), true));
}

}  // namespace app
