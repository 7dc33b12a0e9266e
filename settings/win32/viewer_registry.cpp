#include "settings/win32/viewer_registry.h"

#include <windows.h>

#include <cstdio>

#include "os/socket.h"
#include "os/win32/text.h"
#include "settings/win32/protected_text.h"
#include "settings/win32/registry_key.h"

namespace settings {
namespace {

RegistryKey OpenKey(const std::string& path) {
  RegistryKey key;
  key.OpenOrCreate(HKEY_CURRENT_USER, path);
  return key;
}

// A DWORD as the program's signed value (window positions left of or above
// the primary screen are negative); `fallback` when absent.
int QueryInt(RegistryKey& key, const char* name, int fallback) {
  uint32_t value = 0;
  return key.QueryDword(name, value) ? static_cast<int>(value) : fallback;
}

std::string QueryText(RegistryKey& key, const char* name, const std::string& fallback) {
  std::string text;
  return key.QueryString(name, text) ? text : fallback;
}

}  // namespace

WindowPosition LoadWindowPosition() {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  return {QueryInt(key, reg::kXPos, 0), QueryInt(key, reg::kYPos, 0)};
}

void SaveWindowPosition(const WindowPosition& position) {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  key.SetDword(reg::kXPos, static_cast<uint32_t>(position.x));
  key.SetDword(reg::kYPos, static_cast<uint32_t>(position.y));
}

void SaveShowBackground(bool show) {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  key.SetDword(reg::kShowBackground, show ? 1 : 0);
}

bool LoadKeepReconnecting() {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  return QueryInt(key, reg::kKeepReconnecting, 1) != 0;
}

void SaveKeepReconnecting(bool keep) {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  key.SetDword(reg::kKeepReconnecting, keep ? 1 : 0);
}

bool LoadDrawThroughGdi() {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  return QueryInt(key, reg::kDrawThroughGdi, 0) == 1;
}

bool DrawThroughGdiChosen() {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  uint32_t value = 0;
  return key.IsOpen() && key.QueryDword(reg::kDrawThroughGdi, value);
}

void SaveDrawThroughGdi(bool gdi) {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  key.SetDword(reg::kDrawThroughGdi, gdi ? 1 : 0);
}

int LoadStallSeconds() {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  const int seconds = QueryInt(key, reg::kStallSeconds, kDefaultStallSeconds);
  if (seconds <= 0) return 0;
  return seconds < 2 ? 2 : seconds > 3600 ? 3600 : seconds;
}

ProxyFields LoadProxyFields() {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  ProxyFields f;
  f.use_proxy = QueryInt(key, reg::kUseProxy, 0) == 1;
  f.version = QueryInt(key, reg::kProxyVersion, kDefaultProxyVersion);
  f.ip = QueryText(key, reg::kProxyIp, kDefaultProxyIp);
  f.port = QueryInt(key, reg::kProxyPort, kDefaultProxyPort);
  f.id = QueryText(key, reg::kProxyId, "");
  QuerySecret(key, reg::kProxyPasswd, f.password);
  return f;
}

void SaveProxyFields(const ProxyFields& f) {
  RegistryKey key = OpenKey(kRegistryKeyPath);
  key.SetDword(reg::kUseProxy, f.use_proxy ? 1 : 0);
  key.SetDword(reg::kProxyVersion, static_cast<uint32_t>(f.version));
  key.SetString(reg::kProxyIp, f.ip);
  key.SetDword(reg::kProxyPort, static_cast<uint32_t>(f.port));
  key.SetString(reg::kProxyId, f.id);
  SetSecret(key, reg::kProxyPasswd, f.password);
}

net::ProxySettings ToProxySettings(const ProxyFields& f) {
  net::ProxySettings proxy;
  proxy.use_proxy = f.use_proxy ? 1 : 0;
  proxy.version = f.version;
  uint32_t address = 0;
  proxy.SetAddress(os::ParseIpv4(f.ip, &address) ? address : 0);
  proxy.port = static_cast<uint16_t>(f.port);
  proxy.user_id = f.id;
  proxy.password = f.password;
  return proxy;
}

ProxyFields FromProxySettings(const net::ProxySettings& proxy) {
  ProxyFields f;
  f.use_proxy = proxy.UsesProxy();
  f.version = proxy.version;
  char ip[16];
  std::snprintf(ip, sizeof ip, "%d.%d.%d.%d", proxy.address[0], proxy.address[1], proxy.address[2],
                proxy.address[3]);
  f.ip = ip;
  f.port = proxy.port;
  f.id = proxy.user_id;
  f.password = proxy.password;
  return f;
}

SavedLogin LoadSavedLogin(const std::string& server_name) {
  SavedLogin login;
  RegistryKey key;
  if (!IsServerKeyName(server_name) || !key.Open(HKEY_CURRENT_USER, ServerKeyPath(server_name))) return login;
  login.user = QueryText(key, reg::kUserId, "");
  QuerySecret(key, reg::kUserPasswd, login.password);
  return login;
}

void SaveLogin(const std::string& server_name, const SavedLogin& login) {
  if (!IsServerKeyName(server_name)) return;
  RegistryKey key = OpenKey(ServerKeyPath(server_name));
  key.SetString(reg::kUserId, login.user);
  SetSecret(key, reg::kUserPasswd, login.password);
}

namespace {

// Deletes the values, then the key when nothing else is left in it.
void DeleteServerValues(const std::string& server_name, std::initializer_list<const char*> names) {
  RegistryKey key;
  if (!IsServerKeyName(server_name) || !key.Open(HKEY_CURRENT_USER, ServerKeyPath(server_name))) return;
  for (const char* name : names) key.DeleteValue(name);
  if (!key.IsEmpty()) return;
  key.Close();
  RegistryKey parent;
  if (parent.Open(HKEY_CURRENT_USER, kRegistryKeyPath)) parent.DeleteKey(server_name);
}

}  // namespace

void ForgetLogin(const std::string& server_name) {
  DeleteServerValues(server_name, {reg::kUserId, reg::kUserPasswd});
}

void ForgetServer(const std::string& server_name) {
  DeleteServerValues(server_name, {reg::kUserId, reg::kUserPasswd, reg::kDynamicIp});
}

void RenameServer(const std::string& old_name, const std::string& new_name) {
  // Key names ignore case, as the list's names do: another case is the same key.
  if (CompareStringOrdinal(win32::Widen(old_name).c_str(), -1, win32::Widen(new_name).c_str(), -1, TRUE) ==
      CSTR_EQUAL)
    return;
  RegistryKey from;
  if (!IsServerKeyName(old_name) || !from.Open(HKEY_CURRENT_USER, ServerKeyPath(old_name))) return;
  std::string user, password, dynamic_ip;
  const bool has_user = from.QueryString(reg::kUserId, user);
  const bool has_password = QuerySecret(from, reg::kUserPasswd, password);
  const bool has_dynamic_ip = from.QueryString(reg::kDynamicIp, dynamic_ip);
  from.Close();
  if (IsServerKeyName(new_name) && (has_user || has_password || has_dynamic_ip)) {
    RegistryKey to = OpenKey(ServerKeyPath(new_name));
    if (has_user) to.SetString(reg::kUserId, user);
    if (has_password) SetSecret(to, reg::kUserPasswd, password);
    if (has_dynamic_ip) to.SetString(reg::kDynamicIp, dynamic_ip);
  }
  ForgetServer(old_name);
}

std::string LoadDynamicIp(const std::string& server_name) {
  RegistryKey key;
  if (!IsServerKeyName(server_name) || !key.Open(HKEY_CURRENT_USER, ServerKeyPath(server_name))) return "";
  return QueryText(key, reg::kDynamicIp, "");
}

}  // namespace settings
