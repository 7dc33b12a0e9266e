#include "dialogs/preset/win32/preset_position_dialog.h"

#include "dialogs/camera_setup/setup_fields.h"
#include "dialogs/preset/preset_table.h"
#include "dialogs/preset/win32/preset_resource.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace dialogs {
namespace {

constexpr int kStayDigits = 3;
constexpr int kEntryTrue = 0, kEntryFalse = 1;

}  // namespace

CPresetPositionDialog::CPresetPositionDialog(HINSTANCE instance, const PositionFields& fields)
    : win32::CDialogBase(instance, IDD_PRESET_POSITION), fields_(fields) {}

BOOL CPresetPositionDialog::OnInitDialog() {
  settings::IniHandler::Instance().ApplyFont(hwnd());
  SetItemText(IDC_POSITION_SN, std::to_string(fields_.serial));
  SetItemText(IDC_POSITION_LOCATION, fields_.location);
  LimitText(IDC_POSITION_LOCATION, static_cast<int>(preset::kLocationBytes));
  SetItemText(IDC_POSITION_STAY, std::to_string(fields_.stay));
  LimitText(IDC_POSITION_STAY, kStayDigits);
  HWND enable = Item(IDC_POSITION_ENABLE);
  for (const wchar_t* entry : {L"TRUE", L"FALSE"})
    SendMessageW(enable, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  SendMessageW(enable, CB_SETCURSEL, fields_.enabled ? kEntryTrue : kEntryFalse, 0);
  return TRUE;
}

void CPresetPositionDialog::OnOK() {
  fields_.location = ItemText(IDC_POSITION_LOCATION);
  fields_.stay = static_cast<int>(setup::ParseBoundedNumber(ItemText(IDC_POSITION_STAY), 255));
  fields_.enabled = SendDlgItemMessageW(hwnd(), IDC_POSITION_ENABLE, CB_GETCURSEL, 0, 0) == kEntryTrue;
  End(IDOK);
}

}  // namespace dialogs
