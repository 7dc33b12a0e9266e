#pragma once
// "Alerts…" of a camera view: what the camera's motion alerts do (a sound,
// a tray balloon, its view brought forward, a program run), whether the
// camera lost and back alert too, its cooldown, and the weekdays and hours
// in which it is armed. OK refuses values out of range with the reason
// under the fields; the rules are remembered for the camera.
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
  // What the fields showed at the start: a schedule no span gives shows as
  // every day and is kept unless the user changes the span.
  ArmSpan shown_span_;
};

}  // namespace app::alerts
