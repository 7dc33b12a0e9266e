#pragma once
// Alerts on the start of a camera's motion, and on the camera lost and
// back, carried out on the window thread: each camera's rules (remembered under "Alerts" in the program's
// registry key), its cooldown and armed hours (node::AlertPolicy), and the
// switch of the tray menu that arms or disarms every camera at once. Each
// cause that reaches here goes to the event log with what was done, or
// why nothing was (cooldown, outside the armed hours); lost and back each
// have a cooldown of their own, so a flapping camera alerts once per cooldown.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/alerts/alert_rules.h"

namespace node {
class EventLog;
}  // namespace node

namespace app::alerts {

AlertRules AlertRulesRemembered(const std::string& camera_id);
void RememberAlertRules(const std::string& camera_id, const AlertRules& rules);
// The tray menu's switch; armed where nothing is stored.
bool AlertsArmedRemembered();
void RememberAlertsArmed(bool armed);

class CameraAlerts {
 public:
  // Shows a balloon from the tray icon (title, text).
  using Balloon = std::function<void(const std::string& title, const std::string& text)>;
  CameraAlerts(node::EventLog* log, Balloon balloon);
  ~CameraAlerts();

  // Opens the view of a camera that has none (a camera recorded by plan):
  // "bring the view forward" then opens it. The call may not open it at
  // once (its caller may be the link that gives way to the view).
  using ViewOpener = std::function<void(const std::string& camera_id, const std::string& name)>;
  void SetViewOpener(ViewOpener opener) { open_view_ = std::move(opener); }
  bool armed() const { return armed_; }
  void SetArmed(bool armed);
  // A motion started in `view`, which shows `camera_id` under `name`.
  void MotionStarted(HWND view, const std::string& camera_id, const std::string& name);
  // The camera of `view` was lost (`lost`) or its pictures came back.
  void CameraOutage(HWND view, const std::string& camera_id, const std::string& name, bool lost);

 private:
  struct Camera;
  Camera& CameraFor(const std::string& camera_id);
  void Consider(node::AlertCause cause, HWND view, const std::string& camera_id, const std::string& name);
  std::string Act(node::AlertCause cause, const AlertRules& rules, Camera& camera, HWND view,
                  const std::string& camera_id, const std::string& name, std::string* failure);

  node::EventLog* log_;
  Balloon balloon_;
  ViewOpener open_view_;
  bool armed_;
  std::map<std::string, std::unique_ptr<Camera>> cameras_;
};

// Restores a minimised view, raises it and flashes its frame.
void BringViewForward(HWND view);

}  // namespace app::alerts
