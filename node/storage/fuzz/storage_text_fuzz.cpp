// The texts storage reads from the settings store and beside the
// recordings: a recording plan, retention limits, the keep list. The first
// byte picks which; the rest is the text. What parses must format and parse
// back to the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "node/storage/keep_list.h"
#include "node/storage/recording_plan.h"
#include "node/storage/retention_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);  // an exact-size copy
  switch (data[0] % 3) {
    case 0: {
      node::RecordingPlan plan, again;
      if (node::ParseRecordingPlan(text, &plan) &&
          (!node::ParseRecordingPlan(node::FormatRecordingPlan(plan), &again) || !(again == plan)))
        std::abort();
      if (plan.ModeAt(data[0] % 7, size % 24) > node::PlanMode::kContinuousMotion) std::abort();
      break;
    }
    case 1: {
      node::RetentionLimits limits, again;
      if (node::ParseRetentionLimits(text, &limits) &&
          (!node::ParseRetentionLimits(node::FormatRetentionLimits(limits), &again) || again.days != limits.days ||
           again.motion_days != limits.motion_days || again.free_set != limits.free_set))
        std::abort();
      break;
    }
    default: {
      std::set<std::string> paths, again;
      if (node::ParseKeepList(text, &paths) &&
          (!node::ParseKeepList(node::FormatKeepList(paths), &again) || again != paths))
        std::abort();
      break;
    }
  }
  return 0;
}
