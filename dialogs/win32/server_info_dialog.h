#pragma once
// Registers a new server entry or modifies one: name, address (or the
// dynamic-address service's address with DDNS), port, type, DDNS and MAC.
#include <windows.h>

#include <functional>
#include <string>

#include "os/win32/dialog.h"
#include "settings/win32/server_list_store.h"

namespace dialogs {

class ServerInfoDialog : public win32::CDialogBase {
 public:
  enum class Mode { kRegister, kModify };
  // Registering starts from `record` (empty, with its type preset) and
  // applies the default ports; modifying shows `record` as it is, and its
  // name may stay while any other name taken is refused.
  ServerInfoDialog(HINSTANCE instance, Mode mode, settings::ServerRecord record,
                   std::function<bool(const std::string&)> name_exists);

  // The entry as entered, after OK.
  const settings::ServerRecord& record() const { return record_; }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;

 private:
  void SetLabels();
  void SetAddress(const std::string& ip);
  int TypeIndex() const;
  // The DDNS box is for cameras only.
  void ApplyType();
  void ApplyDdnsMode();
  bool registering() const { return mode_ == Mode::kRegister; }

  Mode mode_;
  settings::ServerRecord record_;
  std::function<bool(const std::string&)> name_exists_;
};

}  // namespace dialogs
