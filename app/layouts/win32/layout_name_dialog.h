#pragma once
// Asks for the name a layout is saved or renamed under; OK takes only a
// name a layout may have, and says so under the field otherwise.
#include <windows.h>

#include <string>

#include "os/win32/dialog.h"

namespace app::layouts {

class CLayoutNameDialog : public win32::CDialogBase {
 public:
  CLayoutNameDialog(HINSTANCE instance, const std::string& caption, const std::string& offered);
  const std::string& name() const { return name_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::string caption_;
  std::string name_;
};

}  // namespace app::layouts
