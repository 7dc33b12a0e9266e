#include "app/alerts/camera_alerts.h"

#include <mmsystem.h>

#include <ctime>

#include "node/events/event_log.h"
#include "os/local_time.h"
#include "os/win32/text.h"
#include "settings/win32/registry_key.h"

namespace app::alerts {

namespace {

std::string AlertsKeyPath() { return std::string(settings::kRegistryKeyPath) + "\\Alerts"; }

constexpr uint32_t kSound = 1, kBalloon = 2, kForward = 4, kProgram = 8, kOutage = 16;  // the actions DWORD

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
    rules.on_outage = actions & kOutage;
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
                           (rules.bring_forward ? kForward : 0) | (rules.run_program ? kProgram : 0) |
                           (rules.on_outage ? kOutage : 0);
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
  Consider(node::AlertCause::kMotion, view, camera_id, name);
}

void CameraAlerts::CameraOutage(HWND view, const std::string& camera_id, const std::string& name, bool lost) {
  Consider(lost ? node::AlertCause::kLinkLost : node::AlertCause::kLinkBack, view, camera_id, name);
}

void CameraAlerts::Consider(node::AlertCause cause, HWND view, const std::string& camera_id, const std::string& name) {
  if (!armed_ || camera_id.empty()) return;
  const AlertRules rules = AlertRulesRemembered(camera_id);
  // No alert set for this camera: the motion or link line says enough.
  if (!rules.AnyAction() || (cause != node::AlertCause::kMotion && !rules.on_outage)) return;
  // The rules are read each time, so a change in the dialog counts at
  // once; the policy keeps only when each cause last alerted.
  Camera& camera = CameraFor(camera_id);
  camera.policy.SetCooldownMs(uint64_t(rules.cooldown_s) * 1000);
  camera.policy.SetSchedule(rules.schedule);
  const node::AlertPolicy::Verdict verdict = camera.policy.Consider(cause, node::AlertTime::Now());
  std::string done, failure;
  if (verdict == node::AlertPolicy::Verdict::kAlert) done = Act(cause, rules, camera, view, camera_id, name, &failure);
  const node::EventKind kind = cause == node::AlertCause::kMotion     ? node::EventKind::kMotion
                               : cause == node::AlertCause::kLinkLost ? node::EventKind::kLinkLost
                                                                      : node::EventKind::kResumed;
  if (log_) log_->Add(kind, name, AlertLogText(cause, verdict, done, failure));
}

std::string CameraAlerts::Act(node::AlertCause cause, const AlertRules& rules, Camera& camera, HWND view,
                              const std::string& camera_id, const std::string& name, std::string* failure) {
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
    balloon_(name, std::string(AlertSubject(cause)) + " at " + os::FormatLocalTime("%Y-%m-%d %H:%M:%S", now));
    did("balloon");
  }
  if (rules.bring_forward && view) {
    BringViewForward(view);
    did("view brought forward");
  } else if (rules.bring_forward && open_view_) {
    open_view_(camera_id, name);
    did("view opened");
  }
  if (rules.run_program && !rules.program.empty()) {
    if (!camera.program || camera.program->program() != rules.program)
      camera.program = std::make_unique<node::AlertProgram>(rules.program);
    std::string error;
    if (camera.program->Run(name, now, cause, &error)) did(("ran " + rules.program).c_str());
    else *failure = "cannot run " + rules.program + ": " + error;
  }
  return done;
}

}  // namespace app::alerts
