#pragma once
// What the viewer writes back to the registry, under
// HKEY_CURRENT_USER\Software\Vantreck\HALYDv2: the main window's position,
// the background option, the proxy settings, and per server entry (a subkey
// named after the entry) its saved login and its last dynamic address.
// Every access opens the key (creating it when missing) and closes it again;
// failures are silent and reads then give the defaults.
#include <string>

#include "net/proxy_settings.h"

namespace settings {

// Used when "PROXY_IP" was never stored.
inline constexpr char kDefaultProxyIp[] = "127.0.0.1";
inline constexpr int kDefaultProxyVersion = 4;
inline constexpr int kDefaultProxyPort = 1080;

struct WindowPosition {
  int x = 0, y = 0;
};
WindowPosition LoadWindowPosition();
void SaveWindowPosition(const WindowPosition& position);

void SaveShowBackground(bool show);

// "Keep reconnecting": a direct view that lost its link tries again for as
// long as it is open. On unless stored as 0.
bool LoadKeepReconnecting();
void SaveKeepReconnecting(bool keep);

// "Draw video without DirectDraw": views draw their pictures with GDI. Off
// unless stored as 1. Many views on one PC may keep their frame rate only
// this way where DirectDraw serialises the views' blits (as Wine's does).
bool LoadDrawThroughGdi();
// Whether the user has chosen (the option was ever saved); without a choice
// each view times its pictures and keeps the faster path.
bool DrawThroughGdiChosen();
void SaveDrawThroughGdi(bool gdi);

// How long a live view may go without video before it is healed: seconds,
// 10 unless stored; 0 turns the watchdog off; stored values are held
// between 2 and 3600.
inline constexpr int kDefaultStallSeconds = 10;
int LoadStallSeconds();

// The proxy values as the network page edits and stores them.
struct ProxyFields {
  bool use_proxy = false;  // stored as 1 or 0; read back true only for 1
  int version = kDefaultProxyVersion;  // 4, 5 or 80
  std::string ip = kDefaultProxyIp;    // dotted text, as typed
  int port = kDefaultProxyPort;
  std::string id;
  std::string password;  // stored protected
};
ProxyFields LoadProxyFields();
void SaveProxyFields(const ProxyFields& fields);
// What the hosting client keeps of them: an IP that does not parse is 0.0.0.0.
net::ProxySettings ToProxySettings(const ProxyFields& fields);
// The other way, for the network page: the address as "%d.%d.%d.%d".
ProxyFields FromProxySettings(const net::ProxySettings& proxy);

// The ID and password saved for one server entry; empty when none.
struct SavedLogin {
  std::string user;
  std::string password;
};
SavedLogin LoadSavedLogin(const std::string& server_name);
void SaveLogin(const std::string& server_name, const SavedLogin& login);
// "Save ID && Passwd" unticked: the entry's login is no longer kept.
void ForgetLogin(const std::string& server_name);

// What the registry keeps for a server entry goes with the entry: a deleted
// entry leaves nothing for a later one of its name, and a renamed one takes
// its login and dynamic address along. A server key that then holds nothing
// else is removed. Names that cannot name a key (IsServerKeyName) have
// nothing stored: every per-entry call does nothing for them.
void ForgetServer(const std::string& server_name);
void RenameServer(const std::string& old_name, const std::string& new_name);

// The address the camera link last resolved for a server entry through the
// dynamic-address service; empty when there is none.
std::string LoadDynamicIp(const std::string& server_name);

}  // namespace settings
