#pragma once
// Texts of the camera view beyond the settings file's table, each
// replaceable through the settings file like every other.
#include "settings/text_table.h"

namespace app::view {

inline constexpr settings::TextId kViewerMenuSnapshot{"VIEWER_MENU", "MENU_SNAPSHOT", "Snapshot"};
inline constexpr settings::TextId kViewerMenuPlayBack{"VIEWER_MENU", "MENU_PLAY_BACK", "Play Back..."};
inline constexpr settings::TextId kViewerMenuMotion{"VIEWER_MENU", "MENU_MOTION", "Motion Detection"};
inline constexpr settings::TextId kViewerMenuMotionRecord{"VIEWER_MENU", "MENU_MOTION_RECORD", "Record on Motion"};
inline constexpr settings::TextId kViewerMenuMotionSettings{"VIEWER_MENU", "MENU_MOTION_SETTINGS", "Motion Settings\u2026"};
inline constexpr settings::TextId kViewerMenuAlerts{"VIEWER_MENU", "MENU_ALERTS", "Alerts\u2026"};
inline constexpr settings::TextId kMotionSettingsTitle{"VIEWER_MOTION", "TITLE", "Motion Settings"};
inline constexpr settings::TextId kMotionSettingsSensitivity{"VIEWER_MOTION", "SENSITIVITY", "Sensitivity"};
inline constexpr settings::TextId kMotionSettingsHint{
    "VIEWER_MOTION", "HINT", "Blue cells change now, red ones make up objects that count. Drag over the picture to mask cells where motion never counts; drag from a masked cell to unmask."};
inline constexpr settings::TextId kMotionSettingsMinSize{"VIEWER_MOTION", "MIN_SIZE", "Smallest object"};
inline constexpr settings::TextId kMotionSettingsMinSizeUnit{"VIEWER_MOTION", "MIN_SIZE_UNIT", "cells (1-32)"};
inline constexpr settings::TextId kMotionSettingsMinDuration{"VIEWER_MOTION", "MIN_DURATION", "Shortest motion"};
inline constexpr settings::TextId kMotionSettingsMinDurationUnit{"VIEWER_MOTION", "MIN_DURATION_UNIT", "seconds (0-10)"};
inline constexpr settings::TextId kMotionSettingsClearMask{"VIEWER_MOTION", "CLEAR_MASK", "Clear Mask"};
inline constexpr settings::TextId kMotionSettingsOk{"VIEWER_MOTION", "OK", "OK"};
inline constexpr settings::TextId kMotionSettingsCancel{"VIEWER_MOTION", "CANCEL", "Cancel"};
inline constexpr settings::TextId kViewerMotion{"VIEWER_STATUS", "MOTION", "MOTION"};
// The status line while a direct view waits between connect attempts.
inline constexpr settings::TextId kViewerReconnectWait{"VIEWER_STATUS", "RECONNECT_WAIT", "Next attempt in %d s"};
// The same while the view keeps reconnecting: the next attempt's number and the seconds to it.
inline constexpr settings::TextId kViewerReconnectAttempt{"VIEWER_STATUS", "RECONNECT_ATTEMPT",
                                                          "Attempt %d in %d s"};
// Over the greyed last picture of a live view that stalled: the time of that picture.
inline constexpr settings::TextId kViewerNoVideo{"VIEWER_STATUS", "NO_VIDEO", "No video since %s"};
inline constexpr settings::TextId kViewerConnecting{"VIEWER_STATUS", "CONNECTING", "Connecting..."};
inline constexpr settings::TextId kViewerCannotConnect{"VIEWER_STATUS", "CANNOT_CONNECT", "Cannot connect"};
inline constexpr settings::TextId kViewerLoginRefused{"VIEWER_STATUS", "LOGIN_REFUSED", "Login refused"};
// The server has no such camera or file; the view keeps asking by itself.
inline constexpr settings::TextId kViewerNotFound{"VIEWER_STATUS", "NOT_FOUND", "Camera or file not found"};
inline constexpr settings::TextId kRecordWriteFail{"VIEWER_STATUS", "RECORD_WRITE_FAIL",
                                                   "Recording stopped: cannot write %s (disk full?)"};
inline constexpr settings::TextId kRecordCreateFail{"VIEWER_STATUS", "RECORD_CREATE_FAIL", "Cannot record to %s"};
inline constexpr settings::TextId kRecordInUse{"VIEWER_STATUS", "RECORD_IN_USE", "%s is being recorded"};
inline constexpr settings::TextId kRecordFinishFail{"VIEWER_STATUS", "RECORD_FINISH_FAIL",
                                                    "Cannot finish %s; it is repaired at the next start"};
// The snapshot's save dialog and its failure.
inline constexpr settings::TextId kSnapshotFilterPng{"VIEWER_SNAPSHOT", "FILTER_PNG", "PNG picture (*.png)"};
inline constexpr settings::TextId kSnapshotFilterBmp{"VIEWER_SNAPSHOT", "FILTER_BMP", "Bitmap picture (*.bmp)"};
inline constexpr settings::TextId kSnapshotWriteFail{"VIEWER_SNAPSHOT", "ERROR_WRITE", "Cannot write %s"};

// The seek window's time line: the position (or, while the slider is held,
// the time its release seeks to) and the file's length.
inline constexpr settings::TextId kSeekTime{"SEEK_WINDOW", "TIME", "%s / %s"};
inline constexpr settings::TextId kSeekTimeHeld{"SEEK_WINDOW", "TIME_HELD", "Go to %s / %s"};

}  // namespace app::view
