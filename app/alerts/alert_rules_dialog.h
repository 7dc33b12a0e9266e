#pragma once
// "Alerts…" of a camera view: what the camera's motion alerts do (a sound,
// a tray balloon, its view brought forward, a program run), its cooldown
// and the hours of every day in which it is armed. OK refuses values out
// of range with the reason under the fields; the rules are remembered for
// the camera.
#include <windows.h>

#include <functional>
#include <string>

#include "app/alerts/alert_rules.h"
#include "os/win32/dialog.h"
#include "settings/text_table.h"

namespace app::alerts {

class CAlertRulesDialog : public win32::CDialogBase {
 public:
  using TextLookup = std::function<std::string(const settings::TextId&)>;
  CAlertRulesDialog(HINSTANCE instance, AlertRules rules, TextLookup text);
  const AlertRules& rules() const { return rules_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  AlertRules rules_;
  TextLookup text_;
};

// The armed hours shown as one span of every day, "from" up to "to" (0..24):
// a schedule that is not one such span shows as the whole day's first and
// last armed hour of Sunday.
void ScheduleSpan(const node::ArmSchedule& schedule, int* from, int* to);

}  // namespace app::alerts
