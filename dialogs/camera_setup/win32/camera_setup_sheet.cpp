#include "dialogs/camera_setup/win32/camera_setup_sheet.h"

#include <commctrl.h>

#include <vector>

#include "node/link/node_window.h"

namespace dialogs {

CCameraSetupSheet::CCameraSetupSheet(HINSTANCE instance, const net::CameraSetupInfo& info) : instance_(instance) {
  state_.info = info;
  pages_[0] = std::make_unique<CCameraSettingPage>(instance, state_);
  pages_[1] = std::make_unique<CChannelSettingPage>(instance, state_);
  pages_[2] = std::make_unique<CAudioSetupPage>(instance, state_);
  pages_[3] = std::make_unique<CColorControlPage>(instance, state_);
  pages_[4] = std::make_unique<CCameraDeviceSetPage>(instance, state_);
  pages_[5] = std::make_unique<CCameraSensorPage>(instance, state_);
  pages_[6] = std::make_unique<CCameraServerPage>(instance, state_);
}

CCameraSetupSheet::~CCameraSetupSheet() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

namespace {

// The sheet being made should start hidden (the callback has no other way to know).
thread_local bool create_hidden = false;

}  // namespace

INT_PTR CCameraSetupSheet::DoModal(HWND parent) { return Run(parent, false, true); }

HWND CCameraSetupSheet::Create(HWND parent, bool visible) {
  Run(parent, true, visible);
  return hwnd_;
}

int CALLBACK CCameraSetupSheet::Callback(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == PSCB_PRECREATE && create_hidden && lparam) {
    // The template is a DLGTEMPLATEEX (signature 0xFFFF) or a DLGTEMPLATE.
    auto* words = reinterpret_cast<WORD*>(lparam);
    DWORD* style = words[1] == 0xFFFF ? reinterpret_cast<DWORD*>(words + 6) : &reinterpret_cast<DLGTEMPLATE*>(lparam)->style;
    *style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  if (message == PSCB_INITIALIZED) {
    SetDlgItemTextW(hwnd, IDOK, L"APPLY");
    SetDlgItemTextW(hwnd, IDCANCEL, L"CANCEL");
  }
  return 0;
}

INT_PTR CCameraSetupSheet::Run(HWND parent, bool modeless, bool visible) {
  std::vector<PROPSHEETPAGEW> descriptions;
  for (auto& page : pages_) descriptions.push_back(page->Description());
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_NOCONTEXTHELP |
                   (modeless ? PSH_MODELESS : 0);
  header.hwndParent = parent;
  header.hInstance = instance_;
  header.pszCaption = L"Camera Setup";
  header.nPages = static_cast<UINT>(descriptions.size());
  header.ppsp = descriptions.data();
  header.pfnCallback = Callback;
  state_.applied = false;
  create_hidden = !visible;
  const INT_PTR result = PropertySheetW(&header);
  create_hidden = false;
  if (modeless) {
    hwnd_ = result > 0 ? reinterpret_cast<HWND>(result) : nullptr;
    return hwnd_ ? IDOK : -1;
  }
  if (result < 0) return -1;
  return state_.applied ? IDOK : IDCANCEL;
}

bool CanOpenCameraSetup(node::CNodeWindow& node) {
  net::SocketChannel* video = node.VideoChannel();
  return !node.login().user.empty() && video && video->IsOpen() && node.setup_info_received();
}

int ShowCameraSetupSheet(HWND parent, node::CNodeWindow& node) {
  if (!CanOpenCameraSetup(node)) return -1;
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), node.setup_info());
  const INT_PTR result = sheet.DoModal(parent);
  if (result < 0) return -1;
  if (result != IDOK) return 0;
  return node.Control().SendCameraSetupInfo(sheet.info()) >= 0 ? 1 : 0;
}

}  // namespace dialogs
