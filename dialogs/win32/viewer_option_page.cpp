#include "dialogs/win32/viewer_option_page.h"

#include "dialogs/win32/dialog_ids.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace dialogs {

CViewerOptionPage::CViewerOptionPage(HINSTANCE instance, HWND background)
    : CPropertyPageBase(instance, IDD_VIEWER_OPTION,
                        settings::IniHandler::Instance().GetString(settings::text::kViewerOptionCaption)),
      background_(background) {}

BOOL CViewerOptionPage::OnInitDialog() {
  show_background_ = background_ && IsWindowVisible(background_);
  SetChecked(IDC_SHOW_BACKGROUND, show_background_);
  keep_reconnecting_ = settings::LoadKeepReconnecting();
  SetChecked(IDC_KEEP_RECONNECTING, keep_reconnecting_);
  SetItemText(IDC_KEEP_RECONNECTING,
              settings::IniHandler::Instance().GetString(settings::text::kViewerOptionKeepReconnecting));
  draw_through_gdi_ = settings::LoadDrawThroughGdi();
  SetChecked(IDC_DRAW_THROUGH_GDI, draw_through_gdi_);
  SetItemText(IDC_DRAW_THROUGH_GDI,
              settings::IniHandler::Instance().GetString(settings::text::kViewerOptionDrawThroughGdi));
  settings::IniHandler::Instance().ApplyFont(hwnd());
  opened_ = true;
  return TRUE;
}

bool CViewerOptionPage::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->code == PSN_APPLY) {
    applied_ = true;
    if (opened_) {
      show_background_ = IsChecked(IDC_SHOW_BACKGROUND);
      settings::SaveShowBackground(show_background_);
      keep_reconnecting_ = IsChecked(IDC_KEEP_RECONNECTING);
      settings::SaveKeepReconnecting(keep_reconnecting_);
      draw_through_gdi_ = IsChecked(IDC_DRAW_THROUGH_GDI);
      settings::SaveDrawThroughGdi(draw_through_gdi_);
    }
    *result = PSNRET_NOERROR;
    return true;
  }
  return CPropertyPageBase::OnNotify(header, result);
}

}  // namespace dialogs
