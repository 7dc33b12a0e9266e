#include "settings/win32/server_list_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "os/win32/text.h"
#include "settings/win32/profile_section.h"
#include "settings/win32/viewer_registry.h"

namespace settings {
namespace {

using win32::Narrow;
using win32::Widen;

constexpr char kGroupList[] = "GROUP_LIST";
constexpr char kServerIp[] = "ServerIP";
constexpr char kServerPort[] = "ServerPort";
constexpr char kServerType[] = "ServerType";
constexpr char kDdns[] = "DDNS";
constexpr char kMacAddress[] = "MACAddress";
constexpr DWORD kValueChars = 512;

// Section and key names of a profile file compare without regard to case,
// as the profile functions themselves do.
bool SameName(const std::string& a, const std::string& b) {
  std::wstring wa = Widen(a), wb = Widen(b);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<std::string> ServerListStore::EntryValues(const std::string& section) const {
  std::vector<std::string> values;
  for (SectionEntry& entry : ReadSectionEntries(path_, section))
    if (!entry.value.empty()) values.push_back(std::move(entry.value));
  return values;
}

std::vector<std::string> ServerListStore::GetGroups() const {
  if (path_.empty()) return {};
  return EntryValues(kGroupList);
}

ServerRecord ServerListStore::GetServer(const std::string& name) const {
  ServerRecord record;
  if (path_.empty()) return record;
  const std::wstring path = Widen(path_);
  const std::wstring section = Widen(name);
  auto text = [&](const char* key, const wchar_t* fallback) {
    wchar_t buf[kValueChars] = {};
    DWORD n = GetPrivateProfileStringW(section.c_str(), Widen(key).c_str(), fallback, buf, kValueChars, path.c_str());
    return Narrow(std::wstring_view(buf, std::min<DWORD>(n, kValueChars - 1)));
  };
  record.name = name;
  record.ip = text(kServerIp, L"");
  record.port = static_cast<int>(
      GetPrivateProfileIntW(section.c_str(), Widen(kServerPort).c_str(), kDefaultServerPort, path.c_str()));
  record.type = text(kServerType, L"");
  // Exactly "TRUE": this file is written by the program, which writes it so.
  record.ddns = text(kDdns, L"FALSE") == "TRUE";
  record.mac = text(kMacAddress, L"");
  return record;
}

std::vector<ServerRecord> ServerListStore::GetServers(const std::string& group) const {
  std::vector<ServerRecord> servers;
  if (path_.empty()) return servers;
  for (const std::string& name : EntryValues(group)) servers.push_back(GetServer(name));
  return servers;
}

bool ServerListStore::Exists(const std::string& name) const {
  if (path_.empty() || name.empty()) return false;
  if (!ReadSectionEntries(path_, name).empty()) return true;
  wchar_t buf[kValueChars] = {};
  GetPrivateProfileStringW(Widen(kGroupList).c_str(), Widen(name).c_str(), L"", buf, kValueChars,
                           Widen(path_).c_str());
  if (buf[0] != L'\0') return true;
  // A group written by hand as "key=name" is shown as "name": that name is taken too.
  const std::vector<std::string> groups = EntryValues(kGroupList);
  return std::any_of(groups.begin(), groups.end(), [&](const std::string& g) { return SameName(g, name); });
}

bool ServerListStore::WriteValue(const std::string& section, const std::string& key, const std::string* value) const {
  const std::wstring path = Widen(path_);
  CreateUnicodeProfile(path);
  std::wstring wvalue = value ? Widen(*value) : std::wstring();
  return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), value ? wvalue.c_str() : nullptr,
                                    path.c_str()) != 0;
}

void ServerListStore::RemoveSection(const std::string& section) const {
  WritePrivateProfileStringW(Widen(section).c_str(), nullptr, nullptr, Widen(path_).c_str());
}

void ServerListStore::RewriteSection(const std::string& section, const std::vector<std::string>& names) const {
  std::wstring block;
  for (const std::string& name : names) {
    std::wstring w = Widen(name);
    block += w + L"=" + w;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  const std::wstring path = Widen(path_);
  CreateUnicodeProfile(path);
  WritePrivateProfileSectionW(Widen(section).c_str(), block.c_str(), path.c_str());
}

void ServerListStore::WriteServerKeys(const ServerRecord& record) const {
  char port[16];
  std::snprintf(port, sizeof port, "%d", record.port);
  const std::string values[] = {record.ip, port, record.type, record.ddns ? "TRUE" : "FALSE", record.mac};
  const char* keys[] = {kServerIp, kServerPort, kServerType, kDdns, kMacAddress};
  for (size_t i = 0; i < std::size(keys); ++i) WriteValue(record.name, keys[i], &values[i]);
}

bool ServerListStore::AddGroup(const std::string& name) {
  if (path_.empty() || Exists(name)) return false;
  return WriteValue(kGroupList, name, &name);
}

bool ServerListStore::RenameGroup(const std::string& old_name, const std::string& new_name) {
  // Profile names ignore case: another case of its own name is still the group's.
  if (path_.empty() || (Exists(new_name) && !SameName(old_name, new_name))) return false;
  std::vector<std::string> groups = EntryValues(kGroupList);
  std::replace_if(groups.begin(), groups.end(), [&](const std::string& g) { return SameName(g, old_name); },
                  new_name);
  RewriteSection(kGroupList, groups);
  // The group's own section moves whole: its entries as they stand. It is
  // removed before it is written, since the two names may be one section.
  const std::string block = ReadProfileSection(Widen(path_), old_name);
  std::wstring wblock = Widen(block);
  wblock.push_back(L'\0');
  wblock.push_back(L'\0');
  RemoveSection(old_name);
  WritePrivateProfileSectionW(Widen(new_name).c_str(), wblock.c_str(), Widen(path_).c_str());
  return true;
}

bool ServerListStore::DeleteGroup(const std::string& group) {
  if (path_.empty()) return false;
  for (const std::string& server : EntryValues(group)) {
    RemoveSection(server);
    ForgetServer(server);
  }
  RemoveSection(group);
  // Rewritten rather than deleted by key, so an entry written by hand as
  // "key=name" goes too instead of coming back at the next start.
  std::vector<std::string> groups = EntryValues(kGroupList);
  std::erase_if(groups, [&](const std::string& g) { return SameName(g, group); });
  RewriteSection(kGroupList, groups);
  return true;
}

bool ServerListStore::AddServer(const std::string& group, const ServerRecord& record) {
  if (path_.empty() || record.name.empty()) return false;
  WriteValue(group, record.name, &record.name);
  WriteServerKeys(record);
  return true;
}

bool ServerListStore::ModifyServer(const std::string& group, const std::string& old_name,
                                   const ServerRecord& record) {
  if (path_.empty() || record.name.empty()) return false;
  if (old_name == record.name) return AddServer(group, record);
  std::vector<std::string> servers = EntryValues(group);
  std::replace_if(servers.begin(), servers.end(), [&](const std::string& s) { return SameName(s, old_name); },
                  record.name);
  RewriteSection(group, servers);
  RemoveSection(old_name);
  WriteServerKeys(record);
  RenameServer(old_name, record.name);
  return true;
}

bool ServerListStore::DeleteServer(const std::string& group, const std::string& name) {
  if (path_.empty()) return false;
  std::vector<std::string> servers = EntryValues(group);
  std::erase_if(servers, [&](const std::string& s) { return SameName(s, name); });
  RewriteSection(group, servers);
  RemoveSection(name);
  ForgetServer(name);
  return true;
}

}  // namespace settings
