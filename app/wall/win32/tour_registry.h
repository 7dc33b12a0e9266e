#pragma once
// Where tours live between runs: one value per tour under the viewer's
// "Tours" key, named by the tour and holding its text.
#include <string>
#include <vector>

#include "app/wall/tour.h"

namespace app::wall {

// The stored tours' names, sorted; values that are no tour are left out.
std::vector<std::string> TourNames();
bool LoadTour(const std::string& name, Tour* tour);
bool SaveTour(const std::string& name, const Tour& tour);
void DeleteTour(const std::string& name);

}  // namespace app::wall
