#include "app/alerts/camera_alerts.h"

#include <mmsystem.h>

#include <ctime>

#include "node/event_log.h"
#include "os/local_time.h"
#include "os/win32/text.h"
#include "settings/registry_key.h"

namespace app::alerts {

namespace {

std::string AlertsKeyPath() { return std::string(settings::kRegistryKeyPath) + "\\Alerts"; }

constexpr uint32_t kSound = 1, kBalloon = 2, kForward = 4, kProgram = 8;  // the actions DWORD

}  // namespace

AlertRules AlertRulesRemembered(const std::string& camera_id) {
  AlertRules rules;
  settings::RegistryKey key;
  if (camera_id.empty() || !key.Open(HKEY_CURRENT_USER, AlertsKeyPath())) return rules;
  uint32_t actions = 0, cooldown = 0;
  if (key.QueryDword(camera_id + " actions", actions)) {
    rules.sound = actions & kSound;
    rules.balloon = actions & kBalloon;
    rules.bring_forward = actions & kForward;
    rules.run_program = actions & kProgram;
  }
  key.QueryString(camera_id + " sound", rules.sound_file);
  key.QueryString(camera_id + " program", rules.program);
  if (key.QueryDword(camera_id + " cooldown", cooldown) && cooldown <= AlertRules::kMaxCooldownS)
    rules.cooldown_s = static_cast<int>(cooldown);
  std::string schedule;
  if (key.QueryString(camera_id + " schedule", schedule)) ScheduleFromText(schedule, &rules.schedule);
  return rules;
}

void RememberAlertRules(const std::string& camera_id, const AlertRules& rules) {
  settings::RegistryKey key;
  if (camera_id.empty() || !key.OpenOrCreate(HKEY_CURRENT_USER, AlertsKeyPath())) return;
  const uint32_t actions = (rules.sound ? kSound : 0) | (rules.balloon ? kBalloon : 0) |
                           (rules.bring_forward ? kForward : 0) | (rules.run_program ? kProgram : 0);
  key.SetDword(camera_id + " actions", actions);
  key.SetString(camera_id + " sound", rules.sound_file);
  key.SetString(camera_id + " program", rules.program);
  key.SetDword(camera_id + " cooldown", static_cast<uint32_t>(rules.cooldown_s));
  key.SetString(camera_id + " schedule", ScheduleToText(rules.schedule));
}

bool AlertsArmedRemembered() {
  settings::RegistryKey key;
  uint32_t armed = 1;
  if (key.Open(HKEY_CURRENT_USER, AlertsKeyPath())) key.QueryDword("Armed", armed);
  return armed != 0;
}

void RememberAlertsArmed(bool armed) {
  settings::RegistryKey key;
  if (key.OpenOrCreate(HKEY_CURRENT_USER, AlertsKeyPath())) key.SetDword("Armed", armed ? 1 : 0);
}

void BringViewForward(HWND view) {
  if (!view || !IsWindow(view)) return;
  if (IsIconic(view)) ShowWindow(view, SW_RESTORE);
  SetWindowPos(view, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  FLASHWINFO flash{sizeof flash, view, FLASHW_ALL, 3, 0};
  FlashWindowEx(&flash);
}

struct CameraAlerts::Camera {
  node::AlertPolicy policy;
  std::unique_ptr<node::AlertProgram> program;
};

CameraAlerts::CameraAlerts(node::EventLog* log, Balloon balloon)
    : log_(log), balloon_(std::move(balloon)), armed_(AlertsArmedRemembered()) {}

CameraAlerts::~CameraAlerts() = default;

void CameraAlerts::SetArmed(bool armed) {
  armed_ = armed;
  RememberAlertsArmed(armed);
}

CameraAlerts::Camera& CameraAlerts::CameraFor(const std::string& camera_id) {
  std::unique_ptr<Camera>& camera = cameras_[camera_id];
  if (!camera) camera = std::make_unique<Camera>();
  return *camera;
}

void CameraAlerts::MotionStarted(HWND view, const std::string& camera_id, const std::string& name) {
  if (!armed_ || camera_id.empty()) return;
  const AlertRules rules = AlertRulesRemembered(camera_id);
  if (!rules.AnyAction()) return;  // no alert set for this camera: the motion line says enough
  // The rules are read at each motion, so a change in the dialog counts at
  // once; the policy keeps only when each cause last alerted.
  Camera& camera = CameraFor(camera_id);
  camera.policy.SetCooldownMs(uint64_t(rules.cooldown_s) * 1000);
  camera.policy.SetSchedule(rules.schedule);
  const node::AlertPolicy::Verdict verdict = camera.policy.Consider(node::AlertCause::kMotion, node::AlertTime::Now());
  std::string done, failure;
  if (verdict == node::AlertPolicy::Verdict::kAlert) done = Act(rules, camera, view, name, &failure);
  if (log_) log_->Add(node::EventKind::kMotion, name, AlertLogText(verdict, done, failure));
}

std::string CameraAlerts::Act(const AlertRules& rules, Camera& camera, HWND view, const std::string& name,
                              std::string* failure) {
  std::string done;
  auto did = [&](const char* what) { done += done.empty() ? what : std::string(", ") + what; };
  const std::time_t now = std::time(nullptr);
  if (rules.sound) {
    const bool played = rules.sound_file.empty()
                            ? PlaySoundW(L"SystemExclamation", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT)
                            : PlaySoundW(win32::Widen(rules.sound_file).c_str(), nullptr,
                                         SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    if (played) did("sound");
    else *failure = "cannot play " + (rules.sound_file.empty() ? std::string("the alert sound") : rules.sound_file);
  }
  if (rules.balloon && balloon_) {
    balloon_(name, "Motion at " + os::FormatLocalTime("%Y-%m-%d %H:%M:%S", now));
    did("balloon");
  }
  if (rules.bring_forward) {
    BringViewForward(view);
    did("view brought forward");
  }
  if (rules.run_program && !rules.program.empty()) {
    if (!camera.program || camera.program->program() != rules.program)
      camera.program = std::make_unique<node::AlertProgram>(rules.program);
    std::string error;
    if (camera.program->Run(name, now, node::AlertCause::kMotion, &error)) did(("ran " + rules.program).c_str());
    else *failure = "cannot run " + rules.program + ": " + error;
  }
  return done;
}

}  // namespace app::alerts
