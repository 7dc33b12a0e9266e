#pragma once
// The user's address book of servers, "ServerList.ini" beside the program:
// named groups in display order, each holding its servers in display order,
// each server with a section of its own. Group and server names share one
// name space (a section each). Read once at start-up and written at every
// change; the tree keeps itself in step with it.
#include <string>
#include <vector>

namespace settings {

inline constexpr char kServerListFile[] = "\\ServerList.ini";
inline constexpr char kHostServerType[] = "Host Server";
inline constexpr char kCameraServerType[] = "Camera";
inline constexpr int kDefaultServerPort = 8000;

// One entry of the server list.
struct ServerRecord {
  std::string name;  // unique key: section name and registry subkey
  std::string ip;    // the server's address, or the dynamic-address service's
  int port = kDefaultServerPort;
  std::string type;  // kHostServerType or kCameraServerType
  bool ddns = false;  // address looked up by MAC through the dynamic-address service
  std::string mac;

  bool IsCamera() const { return type == kCameraServerType; }
  bool operator==(const ServerRecord&) const = default;
};

// Every operation does nothing and fails (false, or an empty result) while
// no path is set. Failures of the file system itself are not reported.
class ServerListStore {
 public:
  void SetPath(const std::string& path) { path_ = path; }
  const std::string& path() const { return path_; }

  // Group names in file order: the part after the first '=' of each
  // [GROUP_LIST] entry.
  std::vector<std::string> GetGroups() const;
  // The group's servers in file order, each completed from its own section.
  std::vector<ServerRecord> GetServers(const std::string& group) const;
  ServerRecord GetServer(const std::string& name) const;
  // A section of that name has an entry, or [GROUP_LIST] lists the name.
  bool Exists(const std::string& name) const;

  bool AddGroup(const std::string& name);
  bool RenameGroup(const std::string& old_name, const std::string& new_name);
  // Removes the group's servers (entries and sections), its section and its
  // [GROUP_LIST] entry.
  bool DeleteGroup(const std::string& group);
  bool AddServer(const std::string& group, const ServerRecord& record);
  bool ModifyServer(const std::string& group, const std::string& old_name, const ServerRecord& record);
  bool DeleteServer(const std::string& group, const std::string& name);

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
