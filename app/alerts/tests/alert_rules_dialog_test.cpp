// The alert dialog as a user works it: the days and hours it shows for a
// stored schedule, what OK saves, and the reasons it refuses.
#include "app/alerts/alert_rules_dialog.h"

#include <gtest/gtest.h>

#include "app/alerts/alert_texts.h"
#include "app/alerts/alerts_resource.h"
#include "os/win32/tests/win32_test_rig.h"

namespace app::alerts {
namespace {

using namespace win32::testing;

std::string Text(const settings::TextId& id) { return id.default_text; }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Runs the dialog on `rules`, lets `act` work it, and returns how it ended.
int RunDialog(AlertRules rules, const std::function<void(HWND)>& act, AlertRules* saved) {
  CAlertRulesDialog dialog(GetModuleHandleW(nullptr), std::move(rules), Text);
  ModalDriver driver;
  driver.Then(act);
  const INT_PTR result = dialog.DoModal(nullptr);
  *saved = dialog.rules();
  return static_cast<int>(result);
}

TEST(AlertRulesDialog, ShowsTheStoredDaysAndHoursAndSavesWhatTheUserChanges) {
  AlertRules rules;
  rules.balloon = true;
  rules.schedule = ScheduleOfSpan({0x3E, 18, 8});  // weekday nights
  AlertRules saved;
  std::string from, to;
  bool days[7] = {};
  const int result = RunDialog(rules, [&](HWND dialog) {
    for (int day = 0; day < 7; ++day) days[day] = Checked(dialog, IDC_ALERT_DAY0 + day);
    from = WindowText(GetDlgItem(dialog, IDC_ALERT_FROM));
    to = WindowText(GetDlgItem(dialog, IDC_ALERT_TO));
    EXPECT_TRUE(Checked(dialog, IDC_ALERT_OUTAGE));
    Toggle(dialog, IDC_ALERT_DAY0 + 6);  // and Saturday night
    Toggle(dialog, IDC_ALERT_OUTAGE);
    Click(dialog, IDOK);
  }, &saved);
  ASSERT_EQ(IDOK, result);
  EXPECT_EQ((std::vector<bool>{false, true, true, true, true, true, false}), std::vector<bool>(days, days + 7));
  EXPECT_EQ("18", from);
  EXPECT_EQ("8", to);
  EXPECT_EQ(ScheduleOfSpan({0x7E, 18, 8}), saved.schedule);
  EXPECT_FALSE(saved.on_outage);
  EXPECT_TRUE(saved.balloon);
}

// A schedule no span gives (two spans a day) shows as every day and stays
// as it was when only an action changes.
TEST(AlertRulesDialog, KeepsASchedulesHoursItCannotShowUnlessTheSpanChanges) {
  AlertRules rules;
  rules.schedule = node::ArmSchedule();
  rules.schedule.SetHours(0x02, 1, 3, true);
  rules.schedule.SetHours(0x02, 5, 7, true);
  AlertRules saved;
  ASSERT_EQ(IDOK, RunDialog(rules, [&](HWND dialog) {
    Toggle(dialog, IDC_ALERT_SOUND);
    Click(dialog, IDOK);
  }, &saved));
  EXPECT_EQ(rules.schedule, saved.schedule);
  EXPECT_TRUE(saved.sound);
}

TEST(AlertRulesDialog, RefusesNoDayEqualHoursAndAProgramWithoutAName) {
  AlertRules saved;
  std::vector<std::string> reasons;
  const int result = RunDialog(AlertRules(), [&](HWND dialog) {
    auto reason = [&] { reasons.push_back(WindowText(GetDlgItem(dialog, IDC_ALERT_ERROR))); };
    for (int day = 0; day < 7; ++day) Toggle(dialog, IDC_ALERT_DAY0 + day);
    Click(dialog, IDOK);
    reason();
    Toggle(dialog, IDC_ALERT_DAY0 + 1);
    SetText(GetDlgItem(dialog, IDC_ALERT_TO), "0");
    Click(dialog, IDOK);
    reason();
    SetText(GetDlgItem(dialog, IDC_ALERT_TO), "24");
    Toggle(dialog, IDC_ALERT_PROGRAM);
    Click(dialog, IDOK);
    reason();
    Click(dialog, IDCANCEL);
  }, &saved);
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_EQ((std::vector<std::string>{kAlertsNoDays.default_text, kAlertsBadHours.default_text,
                                      kAlertsNoProgram.default_text}),
            reasons);
}

}  // namespace
}  // namespace app::alerts
