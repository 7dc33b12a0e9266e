#include "app/alerts/alert_rules_dialog.h"

#include "app/alerts/alert_texts.h"
#include "app/alerts/alerts_resource.h"
#include "os/win32/text.h"

namespace app::alerts {

namespace {

bool ReadNumber(const std::string& text, int least, int most, int* value) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const int read = std::stoi(text);
  if (read < least || read > most) return false;
  *value = read;
  return true;
}

}  // namespace

void ScheduleSpan(const node::ArmSchedule& schedule, int* from, int* to) {
  *from = 0;
  while (*from < 24 && !schedule.Armed(0, *from)) ++*from;
  *to = *from;
  while (*to < 24 && schedule.Armed(0, *to)) ++*to;
  if (*from == 24) *from = *to = 0;
}

CAlertRulesDialog::CAlertRulesDialog(HINSTANCE instance, AlertRules rules, TextLookup text)
    : CDialogBase(instance, IDD_ALERT_RULES), rules_(std::move(rules)), text_(std::move(text)) {}

BOOL CAlertRulesDialog::OnInitDialog() {
  SetWindowTextW(hwnd(), win32::Widen(text_(kAlertsTitle)).c_str());
  SetItemText(IDC_ALERT_SOUND, text_(kAlertsSound));
  SetItemText(IDC_ALERT_BALLOON, text_(kAlertsBalloon));
  SetItemText(IDC_ALERT_FORWARD, text_(kAlertsForward));
  SetItemText(IDC_ALERT_PROGRAM, text_(kAlertsProgram));
  SetItemText(IDC_ALERT_COOLDOWN_LABEL, text_(kAlertsCooldown));
  SetItemText(IDC_ALERT_HOURS_LABEL, text_(kAlertsHours));
  SetItemText(IDC_ALERT_OUTAGE, text_(kAlertsOutage));
  SetItemText(IDOK, text_(kAlertsOk));
  SetItemText(IDCANCEL, text_(kAlertsCancel));
  SetChecked(IDC_ALERT_SOUND, rules_.sound);
  SetItemText(IDC_ALERT_SOUND_FILE, rules_.sound_file);
  SetChecked(IDC_ALERT_BALLOON, rules_.balloon);
  SetChecked(IDC_ALERT_FORWARD, rules_.bring_forward);
  SetChecked(IDC_ALERT_PROGRAM, rules_.run_program);
  SetItemText(IDC_ALERT_PROGRAM_FILE, rules_.program);
  SetChecked(IDC_ALERT_OUTAGE, rules_.on_outage);
  SetItemText(IDC_ALERT_COOLDOWN, std::to_string(rules_.cooldown_s));
  int from = 0, to = 24;
  ScheduleSpan(rules_.schedule, &from, &to);
  SetItemText(IDC_ALERT_FROM, std::to_string(from));
  SetItemText(IDC_ALERT_TO, std::to_string(to));
  return TRUE;
}

void CAlertRulesDialog::OnOK() {
  AlertRules next = rules_;
  next.sound = IsChecked(IDC_ALERT_SOUND);
  next.sound_file = ItemText(IDC_ALERT_SOUND_FILE);
  next.balloon = IsChecked(IDC_ALERT_BALLOON);
  next.bring_forward = IsChecked(IDC_ALERT_FORWARD);
  next.run_program = IsChecked(IDC_ALERT_PROGRAM);
  next.program = ItemText(IDC_ALERT_PROGRAM_FILE);
  next.on_outage = IsChecked(IDC_ALERT_OUTAGE);
  int from = 0, to = 24;
  if (!ReadNumber(ItemText(IDC_ALERT_COOLDOWN), 0, AlertRules::kMaxCooldownS, &next.cooldown_s)) {
    SetItemText(IDC_ALERT_ERROR, text_(kAlertsBadCooldown));
    return;
  }
  if (!ReadNumber(ItemText(IDC_ALERT_FROM), 0, 23, &from) || !ReadNumber(ItemText(IDC_ALERT_TO), 0, 24, &to) ||
      from == to) {
    SetItemText(IDC_ALERT_ERROR, text_(kAlertsBadHours));
    return;
  }
  if (next.run_program && next.program.empty()) {
    SetItemText(IDC_ALERT_ERROR, text_(kAlertsNoProgram));
    return;
  }
  int old_from = 0, old_to = 24;
  ScheduleSpan(rules_.schedule, &old_from, &old_to);
  if (from != old_from || to != old_to) {  // a span past midnight (22 to 6) runs into the next day
    next.schedule = node::ArmSchedule();
    next.schedule.SetHours(0x7F, from, to, true);
  }
  rules_ = next;
  End(IDOK);
}

}  // namespace app::alerts
