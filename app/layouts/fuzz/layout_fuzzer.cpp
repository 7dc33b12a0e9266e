// Stored layouts come from the registry, which anyone logged in may edit:
// whatever the text, parsing ends, keeps its bounds, and what it accepts
// writes back to text that reads as the same layout.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/layouts/layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  app::layouts::Layout layout;
  if (!app::layouts::ParseLayout(text, &layout)) return 0;
  if (layout.views.size() > app::layouts::Layout::kMaxViews) std::abort();
  app::layouts::Layout again;
  if (!app::layouts::ParseLayout(app::layouts::FormatLayout(layout), &again) || !(again == layout)) std::abort();
  app::layouts::FitToMonitors(&layout, {{0, 0, 1024, 768}});
  return 0;
}
