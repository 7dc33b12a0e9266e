#include "app/about_box.h"

#include "app/resource.h"
#include "settings/win32/ini_handler.h"

namespace app {

CAboutBox::CAboutBox(HINSTANCE instance, const ProgramVersion& version)
    : CDialogBase(instance, IDD_ABOUTBOX), version_(version) {}

BOOL CAboutBox::OnInitDialog() {
  SetItemText(IDC_ABOUT_VERSION, "Halyard Version " + FormatVersion(version_));
  return TRUE;
}

}  // namespace app
