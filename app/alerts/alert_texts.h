#pragma once
// The texts of the alerts, with their keys in the settings file.
#include "settings/text_table.h"

namespace app::alerts {

inline constexpr settings::TextId kAlertsTitle{"VIEWER_ALERTS", "TITLE", "Alerts"};
inline constexpr settings::TextId kAlertsSound{"VIEWER_ALERTS", "SOUND", "Play a sound"};
inline constexpr settings::TextId kAlertsBalloon{"VIEWER_ALERTS", "BALLOON", "Show a message by the clock"};
inline constexpr settings::TextId kAlertsForward{"VIEWER_ALERTS", "FORWARD", "Bring the camera's view forward"};
inline constexpr settings::TextId kAlertsProgram{"VIEWER_ALERTS", "PROGRAM", "Run a program"};
inline constexpr settings::TextId kAlertsCooldown{"VIEWER_ALERTS", "COOLDOWN", "At most one alert every (seconds)"};
inline constexpr settings::TextId kAlertsOutage{"VIEWER_ALERTS", "OUTAGE",
                                               "Also when the camera is lost and when it is back"};
inline constexpr settings::TextId kAlertsHours{"VIEWER_ALERTS", "HOURS", "Armed from hour / to hour, on"};
inline constexpr settings::TextId kAlertsDays{"VIEWER_ALERTS", "DAYS", "Sun,Mon,Tue,Wed,Thu,Fri,Sat"};
inline constexpr settings::TextId kAlertsNoDays{"VIEWER_ALERTS", "NO_DAYS", "Choose at least one day."};
inline constexpr settings::TextId kAlertsBadCooldown{"VIEWER_ALERTS", "BAD_COOLDOWN",
                                                     "The seconds between alerts must be 0 to 86400."};
inline constexpr settings::TextId kAlertsBadHours{"VIEWER_ALERTS", "BAD_HOURS",
                                                  "The armed hours must run from 0..23 to another hour 0..24."};
inline constexpr settings::TextId kAlertsNoProgram{"VIEWER_ALERTS", "NO_PROGRAM", "Name the program to run."};
inline constexpr settings::TextId kAlertsOk{"VIEWER_ALERTS", "OK", "OK"};
inline constexpr settings::TextId kAlertsCancel{"VIEWER_ALERTS", "CANCEL", "Cancel"};
inline constexpr settings::TextId kAlertsArmAll{"MAIN_TRAY", "ARM_ALERTS", "Alerts Armed"};

}  // namespace app::alerts
