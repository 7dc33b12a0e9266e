// Stored tours come from the registry, which anyone logged in may edit:
// whatever the text, parsing ends, keeps its bounds, and what it accepts
// writes back to text that reads as the same tour.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/wall/tour.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  app::wall::Tour tour;
  if (!app::wall::ParseTour(text, &tour)) return 0;
  if (tour.steps.empty() || tour.steps.size() > app::wall::Tour::kMaxSteps) std::abort();
  app::wall::Tour again;
  if (!app::wall::ParseTour(app::wall::FormatTour(tour), &again) || !(again == tour)) std::abort();
  return 0;
}
