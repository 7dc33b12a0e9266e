#include "app/alerts/alert_rules_dialog.h"

#include <algorithm>

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
  const std::string days = text_(kAlertsDays);  // "Sun,Mon,...": one name per box
  size_t start = 0;
  for (int day = 0; day < 7; ++day) {
    const size_t comma = std::min(days.find(',', start), days.size());
    SetItemText(IDC_ALERT_DAY0 + day, start < days.size() ? days.substr(start, comma - start) : std::string());
    start = comma + 1;
  }
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
  SpanOfSchedule(rules_.schedule, &shown_span_);
  for (int day = 0; day < 7; ++day) SetChecked(IDC_ALERT_DAY0 + day, shown_span_.weekdays >> day & 1);
  SetItemText(IDC_ALERT_FROM, std::to_string(shown_span_.from_hour));
  SetItemText(IDC_ALERT_TO, std::to_string(shown_span_.to_hour));
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
  ArmSpan span;
  span.weekdays = 0;
  for (int day = 0; day < 7; ++day) span.weekdays |= IsChecked(IDC_ALERT_DAY0 + day) ? 1u << day : 0u;
  if (!ReadNumber(ItemText(IDC_ALERT_COOLDOWN), 0, AlertRules::kMaxCooldownS, &next.cooldown_s)) {
    SetItemText(IDC_ALERT_ERROR, text_(kAlertsBadCooldown));
    return;
  }
  if (!ReadNumber(ItemText(IDC_ALERT_FROM), 0, 23, &span.from_hour) ||
      !ReadNumber(ItemText(IDC_ALERT_TO), 0, 24, &span.to_hour) || span.from_hour == span.to_hour) {
    SetItemText(IDC_ALERT_ERROR, text_(kAlertsBadHours));
    return;
  }
  if (span.weekdays == 0) {
    SetItemText(IDC_ALERT_ERROR, text_(kAlertsNoDays));
    return;
  }
  if (next.run_program && next.program.empty()) {
    SetItemText(IDC_ALERT_ERROR, text_(kAlertsNoProgram));
    return;
  }
  if (!(span == shown_span_)) next.schedule = ScheduleOfSpan(span);
  rules_ = next;
  End(IDOK);
}

}  // namespace app::alerts
