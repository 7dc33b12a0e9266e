#pragma once
// The server list in "ServerList.ini" beside the program, through the
// private-profile functions: [GROUP_LIST] names the groups, each group's
// section names its servers, each server has a section of its own (so group
// and server names share one name space). Read once at start-up and written
// at every change.
#include <string>
#include <vector>

#include "settings/server_list.h"

namespace settings {

inline constexpr char kServerListFile[] = "\\ServerList.ini";

// Every operation does nothing and fails (false, or an empty result) while
// no path is set. Failures of the file system itself are not reported. What
// the registry keeps for an entry (its saved login, its last dynamic
// address) is removed with the entry and follows it when it is renamed.
class ServerListStore : public ServerList {
 public:
  void SetPath(const std::string& path) { path_ = path; }
  const std::string& path() const { return path_; }

  // Group names in file order: the part after the first '=' of each
  // [GROUP_LIST] entry.
  std::vector<std::string> GetGroups() const override;
  // The group's servers in file order, each completed from its own section.
  std::vector<ServerRecord> GetServers(const std::string& group) const override;
  ServerRecord GetServer(const std::string& name) const;
  // A section of that name has an entry, or [GROUP_LIST] lists the name.
  bool Exists(const std::string& name) const override;

  bool AddGroup(const std::string& name) override;
  bool RenameGroup(const std::string& old_name, const std::string& new_name) override;
  // Removes the group's servers (entries and sections), its section and its
  // [GROUP_LIST] entry.
  bool DeleteGroup(const std::string& group) override;
  bool AddServer(const std::string& group, const ServerRecord& record) override;
  bool ModifyServer(const std::string& group, const std::string& old_name, const ServerRecord& record) override;
  bool DeleteServer(const std::string& group, const std::string& name) override;

 private:
  std::vector<std::string> EntryValues(const std::string& section) const;
  // Replaces the whole section by "name=name" entries in the given order.
  void RewriteSection(const std::string& section, const std::vector<std::string>& names) const;
  void WriteServerKeys(const ServerRecord& record) const;
  void RemoveSection(const std::string& section) const;
  bool WriteValue(const std::string& section, const std::string& key, const std::string* value) const;

  std::string path_;
};

}  // namespace settings
