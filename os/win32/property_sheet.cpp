#include "os/win32/property_sheet.h"

#include "os/win32/text.h"

namespace win32 {
namespace {

// The sheet's Apply button; commctrl.h does not name it.
constexpr int kApplyNowId = 0x3021;

}  // namespace

CPropertySheetBase::CPropertySheetBase(const std::string& caption) : caption_(Widen(caption)) {}

CPropertySheetBase::~CPropertySheetBase() { Destroy(); }

void CPropertySheetBase::Destroy() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

int CALLBACK CPropertySheetBase::Callback(HWND, UINT message, LPARAM lparam) {
  if (message != PSCB_PRECREATE || !lparam) return 0;
  // Turn the sheet's own template into a child control before it is created.
  // The template is either a DLGTEMPLATEEX (signature 0xFFFF) or a DLGTEMPLATE.
  constexpr DWORD kDrop = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_THICKFRAME | DS_CONTEXTHELP;
  constexpr DWORD kAdd = WS_CHILD | WS_TABSTOP | DS_CONTROL | WS_VISIBLE;
  auto* words = reinterpret_cast<WORD*>(lparam);
  if (words[1] == 0xFFFF) {
    // DLGTEMPLATEEX: dlgVer, signature, helpID, exStyle, style.
    auto* ex_style = reinterpret_cast<DWORD*>(words + 4);
    auto* style = reinterpret_cast<DWORD*>(words + 6);
    *style = (*style & ~kDrop) | kAdd;
    *ex_style = (*ex_style & ~static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP)) | WS_EX_CONTROLPARENT;
  } else {
    auto* t = reinterpret_cast<DLGTEMPLATE*>(lparam);
    t->style = (t->style & ~kDrop) | kAdd;
    t->dwExtendedStyle =
        (t->dwExtendedStyle & ~static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP)) | WS_EX_CONTROLPARENT;
  }
  return 0;
}

HWND CPropertySheetBase::CreateChild(HWND parent, int x, int y) {
  std::vector<PROPSHEETPAGEW> descriptions;
  for (CPropertyPageBase* page : pages_) descriptions.push_back(page->Description());
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
  header.hwndParent = parent;
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(descriptions.size());
  header.ppsp = descriptions.data();
  header.pfnCallback = Callback;
  hwnd_ = reinterpret_cast<HWND>(PropertySheetW(&header));
  if (!hwnd_ || hwnd_ == reinterpret_cast<HWND>(-1)) {
    hwnd_ = nullptr;
    return nullptr;
  }
  // The buttons stay as the sheet made them but hidden and disabled, so Enter
  // or Escape never reach them.
  for (int id : {IDOK, IDCANCEL, IDHELP, kApplyNowId}) {
    if (HWND button = GetDlgItem(hwnd_, id)) {
      ShowWindow(button, SW_HIDE);
      EnableWindow(button, FALSE);
    }
  }
  // Shrink the sheet to its tab control and its margin.
  RECT tab = {};
  HWND tabs = PropSheet_GetTabControl(hwnd_);
  GetWindowRect(tabs, &tab);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tab), 2);
  SetWindowPos(hwnd_, nullptr, x, y, tab.right + tab.left, tab.bottom + tab.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return hwnd_;
}

PROPSHEETHEADERW CPropertySheetBase::Header(HWND parent, DWORD flags,
                                            std::vector<PROPSHEETPAGEW>& descriptions) const {
  descriptions.clear();
  for (CPropertyPageBase* page : pages_) descriptions.push_back(page->Description());
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | flags;
  header.hwndParent = parent;
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(descriptions.size());
  header.ppsp = descriptions.data();
  return header;
}

INT_PTR CPropertySheetBase::DoModal(HWND parent) {
  std::vector<PROPSHEETPAGEW> descriptions;
  PROPSHEETHEADERW header = Header(parent, 0, descriptions);
  INT_PTR result = PropertySheetW(&header);
  hwnd_ = nullptr;
  return result;
}

HWND CPropertySheetBase::CreateModeless(HWND parent) {
  std::vector<PROPSHEETPAGEW> descriptions;
  PROPSHEETHEADERW header = Header(parent, PSH_MODELESS, descriptions);
  hwnd_ = reinterpret_cast<HWND>(PropertySheetW(&header));
  if (!hwnd_ || hwnd_ == reinterpret_cast<HWND>(-1)) hwnd_ = nullptr;
  return hwnd_;
}

bool CPropertySheetBase::Closed() const { return !hwnd_ || !PropSheet_GetCurrentPageHwnd(hwnd_); }

int CPropertySheetBase::ActiveIndex() const {
  if (!hwnd_) return -1;
  HWND current = PropSheet_GetCurrentPageHwnd(hwnd_);
  for (size_t i = 0; i < pages_.size(); ++i)
    if (pages_[i]->hwnd() && pages_[i]->hwnd() == current) return static_cast<int>(i);
  return -1;
}

void CPropertySheetBase::SetActive(int index) {
  if (hwnd_) PropSheet_SetCurSel(hwnd_, nullptr, index);
}

}  // namespace win32
