#pragma once
// The about box (template 100): the program's name, icon and version.
#include <windows.h>

#include "app/program_info.h"
#include "os/win32/dialog.h"

namespace app {

class CAboutBox : public win32::CDialogBase {
 public:
  CAboutBox(HINSTANCE instance, const ProgramVersion& version);

 protected:
  BOOL OnInitDialog() override;

 private:
  ProgramVersion version_;
};

}  // namespace app
