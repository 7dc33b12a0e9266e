#pragma once
// The rules of the server info dialog that do not need a window: which port
// a new entry starts with, and which check of OK fails first.
#include <functional>
#include <string>

#include "settings/text_table.h"

namespace dialogs {

// The server type list: "Hosting Server" then "Camera"; -1 when none is chosen.
enum ServerTypeIndex : int { kTypeNone = -1, kTypeHostingServer = 0, kTypeCamera = 1 };

inline constexpr int kHostingServerPort = 8000;
inline constexpr int kCameraServerPort = 20002;
inline constexpr int kDynamicAddressPort = 8001;

// The port a new entry gets when its type or DDNS mode is set: the
// dynamic-address service's with DDNS, else the server's by type.
int DefaultServerPort(int type_index, bool ddns);

// A name the server list can store and read back as typed: its file's
// section and key names end at "]" and "=", and its reader trims blanks
// around them (and a line ends at a control character).
bool IsStorableListName(const std::string& name);

// Server names also name the entry's registry key (its saved login), which
// holds at most 255 characters and makes a backslash a nested key.
inline constexpr size_t kMaxServerNameChars = 255;
// Characters as the registry counts them (UTF-16 code units) of a UTF-8 name.
size_t Utf16Length(const std::string& utf8);

// A TCP port typed as text: digits only, 1 to 65535. -1 for anything else.
int ParsePort(const std::string& text);

struct ServerInfoFields {
  std::string name;
  int ip_fields_filled = 0;  // of the four fields of the IP control
  int type_index = kTypeNone;
  bool ddns = false;
  std::string mac;
  std::string port = "8000";  // as typed
};

// The first check of OK that fails, in the dialog's order, or nullptr when
// all pass. `own_name`: the entry's name before the change, empty for a new
// entry. The name must not exist yet unless it is the entry's own (in any
// case of letters: the list's section names ignore case).
const settings::TextId* FirstServerInfoError(const ServerInfoFields& fields, const std::string& own_name,
                                             const std::function<bool(const std::string&)>& name_exists);

}  // namespace dialogs
