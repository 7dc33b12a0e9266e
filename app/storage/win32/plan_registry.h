#pragma once
// Where the plans live between runs: one value per camera under the
// viewer's "Plans" key (named by PlanCamera::Key, holding the plan's text),
// the login a direct camera's plan connects with (protected for this
// Windows user), and the storage root with its limits under "Storage".
#include <string>
#include <utility>
#include <vector>

#include "app/storage/camera_plans.h"

namespace app::storage {

// Plans that cannot be read (a damaged value, a key of a later version) are skipped.
std::vector<std::pair<PlanCamera, node::RecordingPlan>> LoadPlans();
// A plan that records nothing removes the camera's value (and its login).
void SavePlan(const PlanCamera& camera, const node::RecordingPlan& plan);

bool LoadPlanLogin(const std::string& entry_name, std::string* user, std::string* password);
void SavePlanLogin(const std::string& entry_name, const std::string& user, const std::string& password);

// Without stored values: the "Recordings" folder of the user's local
// application data, 10 % of its disk kept free.
StorageSettings LoadStorageSettings();
void SaveStorageSettings(const StorageSettings& storage);

}  // namespace app::storage
