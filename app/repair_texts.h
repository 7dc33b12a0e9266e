#pragma once
// Texts of the start-up repair of recordings cut off when the program last
// ended, each replaceable through the settings file like every other.
#include "settings/text_table.h"

namespace app {

// The status line under the server tree while the repair runs.
inline constexpr settings::TextId kRepairRunning{"RECORDING_REPAIR", "RUNNING", "repairing %d recordings"};
inline constexpr settings::TextId kRepairRunningOne{"RECORDING_REPAIR", "RUNNING_ONE", "repairing 1 recording"};
// The one message once it is done: the lines below, one per recording.
inline constexpr settings::TextId kRepairReport{"RECORDING_REPAIR", "REPORT",
                                                "Recordings cut off when Halyard last ended:\\r\\n\\r\\n%s"};
inline constexpr settings::TextId kRepairRepairedLine{"RECORDING_REPAIR", "REPAIRED",
                                                      "%s: repaired, %s seconds of recording kept"};
inline constexpr settings::TextId kRepairFailedLine{"RECORDING_REPAIR", "NOT_REPAIRED",
                                                    "%s: could not be repaired and was left as it is"};

}  // namespace app
