#pragma once
// The option sheet "Option" (the main window's Option button): the viewer
// option page, the network page, and the storage page when the program
// records by plan.
#include <windows.h>

#include <memory>

#include "dialogs/win32/page_network.h"
#include "dialogs/win32/storage_page.h"
#include "dialogs/win32/viewer_option_page.h"
#include "os/win32/property_sheet.h"

namespace dialogs {

class CNetworkSheet : public win32::CPropertySheetBase {
 public:
  // `storage` null: no storage page.
  CNetworkSheet(HINSTANCE instance, HWND main_window, net::ProxySettings& proxy, StoragePageData* storage = nullptr);

  // Runs the sheet modally, then shows or hides the main window's parent
  // window (when it has one) as "Show Background" says.
  void Run();
  // The same after a modeless run has closed (tests drive the sheet so).
  void AfterClose();

  CViewerOptionPage& viewer_page() { return viewer_page_; }
  CPageNetwork& network_page() { return network_page_; }
  CStoragePage* storage_page() { return storage_page_.get(); }

 private:
  HWND main_window_;
  CViewerOptionPage viewer_page_;
  CPageNetwork network_page_;
  std::unique_ptr<CStoragePage> storage_page_;
};

}  // namespace dialogs
