#include "app/main_view_host.h"

#include "app/alerts/alert_rules_dialog.h"
#include "app/alerts/camera_alerts.h"
#include "app/main_layouts.h"
#include "app/program_parts.h"
#include "app/side_windows.h"
#include "settings/win32/ini_handler.h"

namespace app {

present::SoundDevice* MainViewHost::SoundOutput() { return parts_.devices->sound(); }

void MainViewHost::PlayBack(const std::vector<std::string>& names) {
  parts_.side_windows->PlayBack(MainWindow(), names);
}

void MainViewHost::SwitchLayout(int number) { parts_.layouts->Switch(number); }

void MainViewHost::MotionStarted(HWND view, const std::string& camera_id, const std::string& name) {
  parts_.alerts->MotionStarted(view, camera_id, name);
}

void MainViewHost::CameraOutage(HWND view, const std::string& camera_id, const std::string& name, bool lost) {
  parts_.alerts->CameraOutage(view, camera_id, name, lost);
}

void MainViewHost::EditAlerts(HWND view, const std::string& camera_id, const std::string& /*name*/) {
  alerts::CAlertRulesDialog dialog(parts_.instance, alerts::AlertRulesRemembered(camera_id), [](const settings::TextId& id) {
    return settings::IniHandler::Instance().GetString(id);
  });
  if (dialog.DoModal(view) != IDOK) return;
  alerts::RememberAlertRules(camera_id, dialog.rules());
}

}  // namespace app
