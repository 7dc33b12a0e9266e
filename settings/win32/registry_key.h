#pragma once
// The per-user registry key where the viewer keeps what it writes back:
// window position, options, proxy settings, and per server (a subkey named
// after the server entry) the saved login and the last dynamic address.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace settings {

// HKEY_CURRENT_USER\Software\Vantreck\HALYDv2, and its per-server subkeys.
inline constexpr char kRegistryKeyPath[] = "Software\\Vantreck\\HALYDv2";
std::string ServerKeyPath(const std::string& server_name);
// A server name that can name its own subkey: not empty, no backslash (it
// would make nested keys), at most 255 UTF-16 characters.
bool IsServerKeyName(const std::string& server_name);

// Value names under the key and under each server's subkey.
namespace reg {
inline constexpr char kXPos[] = "XPos";
inline constexpr char kYPos[] = "YPos";
inline constexpr char kShowBackground[] = "ShowBackground";
inline constexpr char kKeepReconnecting[] = "KeepReconnecting";
inline constexpr char kStallSeconds[] = "StallSeconds";
inline constexpr char kDrawThroughGdi[] = "DrawThroughGdi";
inline constexpr char kUseProxy[] = "USE_PROXY";
inline constexpr char kProxyVersion[] = "PROXY_VERSION";
inline constexpr char kProxyIp[] = "PROXY_IP";
inline constexpr char kProxyPort[] = "PROXY_PORT";
inline constexpr char kProxyId[] = "PROXY_ID";
inline constexpr char kProxyPasswd[] = "PROXY_PASSWD";
inline constexpr char kUserId[] = "USERID";
inline constexpr char kUserPasswd[] = "USERPASSWD";
inline constexpr char kDynamicIp[] = "DYNAMIC_IP";
}  // namespace reg

// One open registry key, closed by Close or on destruction. Made on the
// stack for one group of reads or writes. Names and texts are UTF-8.
// Every operation returns true on success; on a closed key all fail.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens an existing key with full access.
  bool Open(HKEY base, const std::string& subkey);
  // Creates the key, or opens it when it exists (full access, non-volatile).
  bool Create(HKEY base, const std::string& subkey);
  // How every user reaches the settings: Open, and Create when that fails.
  bool OpenOrCreate(HKEY base, const std::string& subkey);
  bool IsOpen() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  // Writes flush the key after they succeed.
  bool SetDword(const std::string& name, uint32_t value);
  bool SetString(const std::string& name, const std::string& text);
  bool SetBytes(const std::string& name, const void* bytes, uint32_t length);

  // Sets value to 0 first; fails unless the value is a 4-byte DWORD.
  bool QueryDword(const std::string& name, uint32_t& value);
  // At most kMaxStringChars characters; a longer or non-text value fails.
  // On failure text becomes empty.
  bool QueryString(const std::string& name, std::string& text);
  // Raw bytes: length is the buffer size on entry, the value's size on return.
  bool QueryBytes(const std::string& name, void* buffer, uint32_t& length);

  bool DeleteValue(const std::string& name);
  // Every string value of the key (names of at most 511 characters), by
  // name, at most `limit` of them.
  std::vector<std::pair<std::string, std::string>> StringValues(size_t limit = 4096);
  // The key holds neither values nor subkeys (false when closed).
  bool IsEmpty() const;
  // Deletes a subkey of this key; the subkey must have no subkeys of its own.
  bool DeleteKey(const std::string& subkey);
  bool Save(const std::string& file);
  bool Restore(const std::string& file, DWORD flags = 0);
  bool Load(const std::string& subkey, const std::string& file);
  void Close();

  static constexpr size_t kMaxStringChars = 255;

 private:
  HKEY key_ = nullptr;
};

}  // namespace settings
