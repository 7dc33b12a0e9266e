#include "app/storage/win32/plan_registry.h"

#include <windows.h>

#include "os/app_data.h"
#include "os/debug_log.h"
#include "os/win32/text.h"
#include "settings/win32/protected_text.h"
#include "settings/win32/registry_key.h"

namespace app::storage {
namespace {

constexpr char kRootValue[] = "Root";
constexpr char kLimitsValue[] = "Limits";
constexpr char kUserSuffix[] = " user";
constexpr char kPasswordSuffix[] = " password";

std::string PlansKeyPath() { return std::string(settings::kRegistryKeyPath) + "\\Plans"; }
std::string StorageKeyPath() { return std::string(settings::kRegistryKeyPath) + "\\Storage"; }
std::string LoginName(const std::string& entry_name) { return "login " + entry_name; }

}  // namespace

std::vector<std::pair<PlanCamera, node::RecordingPlan>> LoadPlans() {
  std::vector<std::pair<PlanCamera, node::RecordingPlan>> plans;
  settings::RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, PlansKeyPath())) return plans;
  for (const auto& [name, text] : key.StringValues()) {
    PlanCamera camera;
    node::RecordingPlan plan;
    if (PlanCamera::FromKey(name, &camera) && node::ParseRecordingPlan(text, &plan) && plan.Active())
      plans.emplace_back(camera, plan);
  }
  return plans;
}

void SavePlan(const PlanCamera& camera, const node::RecordingPlan& plan) {
  settings::RegistryKey key;
  if (!key.OpenOrCreate(HKEY_CURRENT_USER, PlansKeyPath())) return;
  if (plan.Active()) {
    key.SetString(camera.Key(), node::FormatRecordingPlan(plan));
    return;
  }
  key.DeleteValue(camera.Key());
  if (!camera.hosted) {
    key.DeleteValue(LoginName(camera.name) + kUserSuffix);
    key.DeleteValue(LoginName(camera.name) + kPasswordSuffix);
  }
}

bool LoadPlanLogin(const std::string& entry_name, std::string* user, std::string* password) {
  settings::RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, PlansKeyPath())) return false;
  return key.QueryString(LoginName(entry_name) + kUserSuffix, *user) &&
         settings::QuerySecret(key, LoginName(entry_name) + kPasswordSuffix, *password);
}

void SavePlanLogin(const std::string& entry_name, const std::string& user, const std::string& password) {
  settings::RegistryKey key;
  if (!key.OpenOrCreate(HKEY_CURRENT_USER, PlansKeyPath())) return;
  key.SetString(LoginName(entry_name) + kUserSuffix, user);
  settings::SetSecret(key, LoginName(entry_name) + kPasswordSuffix, password);
}

StorageSettings LoadStorageSettings() {
  StorageSettings storage;
  storage.root = os::LocalAppDataDirectory() + "Halyard\\Recordings";
  settings::RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, StorageKeyPath())) return storage;
  std::string root, limits;
  if (key.QueryString(kRootValue, root) && !root.empty()) storage.root = root;
  node::RetentionLimits parsed;
  std::string error;
  if (key.QueryString(kLimitsValue, limits)) {
    if (node::ParseRetentionLimits(limits, &parsed, &error))
      storage.limits = parsed;
    else  // the defaults keep the disk from filling meanwhile
      DebugLog("Storage : the stored limits \"%s\" cannot be read (%s); 10 %% of the disk is kept free\n",
               limits.c_str(), error.c_str());
  }
  return storage;
}

void SaveStorageSettings(const StorageSettings& storage) {
  settings::RegistryKey key;
  if (!key.OpenOrCreate(HKEY_CURRENT_USER, StorageKeyPath())) return;
  key.SetString(kRootValue, storage.root);
  key.SetString(kLimitsValue, node::FormatRetentionLimits(storage.limits));
}

}  // namespace app::storage
