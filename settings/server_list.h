#pragma once
// The user's address book of servers: named groups in display order, each
// holding its servers in display order. Group and server names share one
// name space. The server tree keeps itself in step with it through this
// interface, so the tree's rules can be checked against a list in memory
// while the program keeps it in a file (settings/win32/server_list_store.h).
#include <string>
#include <vector>

namespace settings {

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

// The operations the tree needs; each fails (false, or an empty result)
// when the list cannot take the change.
class ServerList {
 public:
  virtual ~ServerList() = default;
  virtual std::vector<std::string> GetGroups() const = 0;
  virtual std::vector<ServerRecord> GetServers(const std::string& group) const = 0;
  // A group or server of that name is listed.
  virtual bool Exists(const std::string& name) const = 0;
  virtual bool AddGroup(const std::string& name) = 0;
  virtual bool RenameGroup(const std::string& old_name, const std::string& new_name) = 0;
  virtual bool DeleteGroup(const std::string& group) = 0;
  virtual bool AddServer(const std::string& group, const ServerRecord& record) = 0;
  virtual bool ModifyServer(const std::string& group, const std::string& old_name, const ServerRecord& record) = 0;
  virtual bool DeleteServer(const std::string& group, const std::string& name) = 0;
};

}  // namespace settings
