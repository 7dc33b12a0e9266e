#include "app/view/motion_settings_dialog.h"

#include <commctrl.h>

#include "app/view/view_resource.h"
#include "app/view/view_texts.h"
#include "os/win32/text.h"

namespace app::view {

CMotionSettingsDialog::CMotionSettingsDialog(HINSTANCE instance, MotionSettingsEditor& editor,
                                             const MotionSettings& start, TextLookup text)
    : CDialogBase(instance, IDD_MOTION_SETTINGS), editor_(editor), settings_(start), text_(std::move(text)) {}

void CMotionSettingsDialog::SetMask(const MotionMask& mask) { settings_.mask = mask; }

BOOL CMotionSettingsDialog::OnInitDialog() {
  SetWindowTextW(hwnd(), win32::Widen(text_(kMotionSettingsTitle)).c_str());
  SetItemText(IDC_MOTION_SENSITIVITY_LABEL, text_(kMotionSettingsSensitivity));
  SetItemText(IDC_MOTION_HINT, text_(kMotionSettingsHint));
  SetItemText(IDC_MOTION_MIN_SIZE_LABEL, text_(kMotionSettingsMinSize));
  SetItemText(IDC_MOTION_MIN_SIZE_UNIT, text_(kMotionSettingsMinSizeUnit));
  SetItemText(IDC_MOTION_MIN_DURATION_LABEL, text_(kMotionSettingsMinDuration));
  SetItemText(IDC_MOTION_MIN_DURATION_UNIT, text_(kMotionSettingsMinDurationUnit));
  SetItemText(IDC_MOTION_MIN_SIZE, std::to_string(settings_.min_cells));
  SetItemText(IDC_MOTION_MIN_DURATION, MinDurationText(settings_.min_duration_ms));
  SetItemText(IDC_MOTION_CLEAR_MASK, text_(kMotionSettingsClearMask));
  SetItemText(IDOK, text_(kMotionSettingsOk));
  SetItemText(IDCANCEL, text_(kMotionSettingsCancel));
  SendDlgItemMessageW(hwnd(), IDC_MOTION_SENSITIVITY, TBM_SETRANGE, TRUE,
                      MAKELPARAM(node::MotionDetector::kMinSensitivity, node::MotionDetector::kMaxSensitivity));
  SendDlgItemMessageW(hwnd(), IDC_MOTION_SENSITIVITY, TBM_SETPOS, TRUE, settings_.sensitivity);
  ShowLevel();
  return TRUE;
}

INT_PTR CMotionSettingsDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_HSCROLL && reinterpret_cast<HWND>(lparam) == Item(IDC_MOTION_SENSITIVITY)) {
    const int level = static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_MOTION_SENSITIVITY, TBM_GETPOS, 0, 0));
    if (level != settings_.sensitivity) {
      settings_.sensitivity = level;
      ShowLevel();
      editor_.PreviewMotionSettings(settings_);
    }
    return TRUE;
  }
  return CDialogBase::HandleMessage(message, wparam, lparam);
}

bool CMotionSettingsDialog::OnCommand(int id, int code, HWND control) {
  if ((id == IDC_MOTION_MIN_SIZE || id == IDC_MOTION_MIN_DURATION) && code == EN_CHANGE) {
    // A field half typed keeps the last value that was whole; OK shows what is kept.
    MotionSettings next = settings_;
    const bool whole = id == IDC_MOTION_MIN_SIZE ? ParseMinObjectCells(ItemText(id), &next.min_cells)
                                                 : ParseMinDurationText(ItemText(id), &next.min_duration_ms);
    if (whole && !(next == settings_)) {
      settings_ = next;
      editor_.PreviewMotionSettings(settings_);
    }
    return true;
  }
  if (id == IDC_MOTION_CLEAR_MASK && code == BN_CLICKED) {
    settings_.mask.reset();
    editor_.PreviewMotionSettings(settings_);
    return true;
  }
  return CDialogBase::OnCommand(id, code, control);
}

void CMotionSettingsDialog::OnOK() {
  End(IDOK);
  editor_.EndMotionSettings(true);
}

void CMotionSettingsDialog::OnCancel() {
  End(IDCANCEL);
  editor_.EndMotionSettings(false);
}

void CMotionSettingsDialog::ShowLevel() {
  SetItemText(IDC_MOTION_LEVEL, std::to_string(settings_.sensitivity));
}

}  // namespace app::view
