#pragma once
// Texts of the Recordings window beyond its template, each replaceable
// through the settings file like every other.
#include "settings/text_table.h"

namespace app::recordings {

inline constexpr settings::TextId kRecordingsCaption{"RECORDINGS", "WT", "Recordings"};
inline constexpr settings::TextId kRecordingsNoRecording{"RECORDINGS", "NO_RECORDING", "No recording"};
inline constexpr settings::TextId kRecordingsReading{"RECORDINGS", "READING", "Reading the recordings..."};
inline constexpr settings::TextId kRecordingsFound{"RECORDINGS", "FOUND", "%d recordings of %d cameras"};
inline constexpr settings::TextId kRecordingsPlay{"RECORDINGS", "BTN_PLAY", "Play"};
inline constexpr settings::TextId kRecordingsPause{"RECORDINGS", "BTN_PAUSE", "Pause"};
inline constexpr settings::TextId kRecordingsBadMarks{"RECORDINGS", "BAD_MARKS",
                                                      "Mark a start and an end (YYYY-MM-DD HH:MM:SS), the start first."};
inline constexpr settings::TextId kRecordingsExporting{"RECORDINGS", "EXPORTING", "Exporting %s"};
inline constexpr settings::TextId kRecordingsExported{"RECORDINGS", "EXPORTED", "Exported %s"};
inline constexpr settings::TextId kRecordingsExportFailed{"RECORDINGS", "EXPORT_FAILED", "Export of %s failed: %s"};
inline constexpr settings::TextId kRecordingsKeep{"RECORDINGS", "MENU_KEEP", "Keep"};
inline constexpr settings::TextId kRecordingsKept{"RECORDINGS", "KEPT", "%s is kept: retention never deletes it"};
inline constexpr settings::TextId kRecordingsNotKept{"RECORDINGS", "NOT_KEPT", "%s may be deleted by retention again"};
inline constexpr settings::TextId kRecordingsCannotKeep{
    "RECORDINGS", "CANNOT_KEEP", "%s is not in the recording plans' folder: retention never deletes it anyway"};
inline constexpr settings::TextId kRecordingsExportFilter{"RECORDINGS", "FILTER_MP4", "MP4 recording (*.mp4)"};

}  // namespace app::recordings
