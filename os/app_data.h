#pragma once
// Where the program keeps what belongs to this user on this machine.
#include <string>

namespace os {

// The user's local application data folder (CSIDL_LOCAL_APPDATA on Windows,
// $XDG_DATA_HOME or ~/.local/share elsewhere), UTF-8, ending with a path
// separator; empty when there is none.
std::string LocalAppDataDirectory();

}  // namespace os
