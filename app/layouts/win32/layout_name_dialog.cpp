#include "app/layouts/win32/layout_name_dialog.h"

#include "app/layouts/layout.h"
#include "app/layouts/win32/layouts_resource.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app::layouts {

CLayoutNameDialog::CLayoutNameDialog(HINSTANCE instance, const std::string& caption, const std::string& offered)
    : CDialogBase(instance, IDD_LAYOUT_NAME), caption_(caption), name_(offered) {}

BOOL CLayoutNameDialog::OnInitDialog() {
  SetWindowTextW(hwnd(), win32::Widen(caption_).c_str());
  SetItemText(IDC_LAYOUT_NAME, name_);
  LimitText(IDC_LAYOUT_NAME, static_cast<int>(Layout::kMaxNameLength));
  settings::IniHandler::Instance().ApplyFont(hwnd());
  SendMessageW(Item(IDC_LAYOUT_NAME), EM_SETSEL, 0, -1);
  SetFocus(Item(IDC_LAYOUT_NAME));
  return FALSE;  // the focus was set
}

void CLayoutNameDialog::OnOK() {
  const std::string typed = ItemText(IDC_LAYOUT_NAME);
  if (!ValidLayoutName(typed)) {
    SetItemText(IDC_LAYOUT_ERROR, "A name has up to 64 characters, no '\\', and no space at either end.");
    return;
  }
  name_ = typed;
  End(IDOK);
}

}  // namespace app::layouts
