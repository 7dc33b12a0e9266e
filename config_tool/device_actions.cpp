#include "config_tool/device_actions.h"

namespace bollard {

bool LoginAndReport(DeviceLink& link, const std::string& user_id, const std::string& password, IMessageSink& sink) {
  uint32_t status = 0;
  if (link.Login(user_id, password, &status) != 0) return false;
  switch (status) {
    case 0:
      return true;
    case 1:
      sink.ShowMessage("Login Failed:: access denied");
      break;
    case 2:
      sink.ShowMessage("Login Failed:: Wrong User ID");
      break;
    case 3:
      sink.ShowMessage("Login Failed:: Wrong Password");
      break;
    default:
      break;
  }
  return false;
}

AddressField ApplyNetworkSettings(const NetworkSettings& settings, const std::string& directory,
                                  const std::string& fallback_directory, DeviceLink& link,
                                  std::vector<InterfaceEntry>* entries, IMessageSink& sink, FILE* trace) {
  const std::string& host = settings.boot == kBootDhcp ? settings.dhcp_host_name : settings.static_host_name;
  std::string refusal;
  const AddressField refused = host.empty() ? AddressField::kNone : CheckStaticAddresses(settings, &refusal);
  if (refused != AddressField::kNone) {
    sink.ShowMessage(refusal);
    return refused;
  }
  std::string path = InterfaceFilePath(directory, settings.device);
  WriteOutcome written = WriteInterfaceFile(settings, path);
  if (written == WriteOutcome::kOpenFailed && !fallback_directory.empty() && fallback_directory != directory) {
    const std::string second = InterfaceFilePath(fallback_directory, settings.device);
    if (WriteInterfaceFile(settings, second) == WriteOutcome::kWritten) {
      written = WriteOutcome::kWritten;
      path = second;
    }
  }
  if (written == WriteOutcome::kWritten && trace) {
    std::fprintf(trace, "Interface file written to %s\n", path.c_str());
    std::fflush(trace);
  }
  switch (written) {
    case WriteOutcome::kNeedHostName:
      sink.ShowMessage("You should put Hostname");
      return AddressField::kNone;
    case WriteOutcome::kOpenFailed:
      sink.ShowMessage("File open failed for config data = " + path);
      return AddressField::kNone;
    case WriteOutcome::kWritten:
      break;
  }
  uint32_t result = 1;
  ApplyOutcome outcome = link.ApplyConfiguration(settings.device, path, entries, &result, trace);
  if (outcome == ApplyOutcome::kFileError) {
    sink.ShowMessage("File open failed for Cnnfig data");
    return AddressField::kNone;
  }
  if (outcome == ApplyOutcome::kFileTooLarge) {
    sink.ShowMessage("File too large for config data = " + path + " (more than " + std::to_string(kMaxConfigText) +
                     " bytes)");
    return AddressField::kNone;
  }
  // No result within the bound is a failure, never a success.
  if (outcome == ApplyOutcome::kResult && result == 0)
    sink.ShowMessage("Network Configutation..........Successed");
  else
    sink.ShowMessage("ERROR:: Network Configutation..........Failed");
  return AddressField::kNone;
}

void UserAccounts::Reload(DeviceLink& link) {
  rows_.clear();
  for (const UserRecord& user : link.ListUsers()) rows_.push_back({user.user_id, user.user_name, user.user_name});
}

bool UserAccounts::Add(DeviceLink& link, const UserRow& row, IMessageSink& sink) {
  uint32_t result = link.UserOperation(kUserAdd, row.user_id, row.user_name, row.password);
  if (result == 0) {
    rows_.push_back(row);
    return true;
  }
  if (result == 4) sink.ShowMessage("ERROR:: duplicated user account added");
  if (result == 5) sink.ShowMessage("ERROR:: Cannot add an user account");
  return false;
}

bool UserAccounts::CheckSelection(int row, IMessageSink& sink) const {
  if (row >= 0 && row < static_cast<int>(rows_.size())) return true;
  sink.ShowMessage("Please select an user account");
  return false;
}

void UserAccounts::Modify(DeviceLink& link, int row, const std::string& user_name, const std::string& password,
                          IMessageSink& sink) {
  if (!CheckSelection(row, sink)) return;
  UserRow& r = rows_[static_cast<size_t>(row)];
  r.user_name = user_name;
  r.password = password;
  if (link.UserOperation(kUserModify, r.user_id, r.user_name, r.password) == 0)
    sink.ShowMessage("Modification of anuser account......done");
  else
    sink.ShowMessage("ERROR:: Modification of an user account........Fail");
}

bool UserAccounts::Delete(DeviceLink& link, int row, IMessageSink& sink) {
  if (!CheckSelection(row, sink)) return false;
  if (!sink.AskYesNo("Are you sure to delete this user account?")) return false;
  const UserRow& r = rows_[static_cast<size_t>(row)];
  if (link.UserOperation(kUserDelete, r.user_id, r.user_name, r.password) == 0) {
    sink.ShowMessage("Deleting user account......done");
    rows_.erase(rows_.begin() + row);
    return true;
  }
  sink.ShowMessage("ERROR:: Deleting user account..........Fail");
  return false;
}

}  // namespace bollard
