#include "dialogs/win32/network_sheet.h"

namespace dialogs {

CNetworkSheet::CNetworkSheet(HINSTANCE instance, HWND main_window, net::ProxySettings& proxy,
                             StoragePageData* storage)
    : CPropertySheetBase("Option"),
      main_window_(main_window),
      viewer_page_(instance, main_window ? GetParent(main_window) : nullptr),
      network_page_(instance, proxy) {
  AddPage(&viewer_page_);
  AddPage(&network_page_);
  if (storage) {
    storage_page_ = std::make_unique<CStoragePage>(instance, *storage);
    AddPage(storage_page_.get());
  }
}

void CNetworkSheet::Run() {
  DoModal(main_window_);
  AfterClose();
}

void CNetworkSheet::AfterClose() {
  HWND background = main_window_ ? GetParent(main_window_) : nullptr;
  if (!background || !viewer_page_.opened()) return;
  ShowWindow(background, viewer_page_.show_background() ? SW_SHOW : SW_HIDE);
}

}  // namespace dialogs
