#pragma once
// What Bollard's buttons do with a device, apart from the windows that show it:
// each action runs its exchange and tells the user the outcome through the sink.
#include <string>
#include <vector>

#include "config_tool/device_link.h"
#include "config_tool/interface_file.h"
#include "config_tool/message_sink.h"

namespace bollard {

// Runs Login; true when the device accepted (the configuration dialog opens).
bool LoginAndReport(DeviceLink& link, const std::string& user_id, const std::string& password, IMessageSink& sink);

// "Apply" on the network page: writes the interface file into `directory`, or
// into `fallback_directory` where it cannot be created there (a standard user
// may not create files at the root of drive C), says in the trace where it
// went, and sends it. Reports arriving before the result replace *entries.
// Static addresses that would cut the device off its network are refused
// first (the message names the field): the field is returned, else kNone.
AddressField ApplyNetworkSettings(const NetworkSettings& settings, const std::string& directory,
                          const std::string& fallback_directory, DeviceLink& link,
                          std::vector<InterfaceEntry>* entries, IMessageSink& sink, FILE* trace);

struct UserRow {
  std::string user_id;
  std::string user_name;
  // Kept as the account's password; a listed row starts with its user name here.
  std::string password;
};

// The rows of the user page and the account operations on them.
class UserAccounts {
 public:
  const std::vector<UserRow>& rows() const { return rows_; }

  void Reload(DeviceLink& link);
  // Returns true when a row was added.
  bool Add(DeviceLink& link, const UserRow& row, IMessageSink& sink);
  // Only checks the selection (the user dialog opens between the two steps).
  bool CheckSelection(int row, IMessageSink& sink) const;
  // The row takes the new name and password whatever the device answers.
  void Modify(DeviceLink& link, int row, const std::string& user_name, const std::string& password,
              IMessageSink& sink);
  // Asks first; returns true when the row was removed.
  bool Delete(DeviceLink& link, int row, IMessageSink& sink);

 private:
  std::vector<UserRow> rows_;
};

}  // namespace bollard
