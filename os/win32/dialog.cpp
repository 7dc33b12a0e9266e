#include "os/win32/dialog.h"

#include <algorithm>
#include <vector>

#include "os/win32/text.h"

namespace win32 {
namespace {

// Windows gives a hook no context: the thread's hook and its dialogs are here.
struct KeyRouting {
  HHOOK hook = nullptr;
  std::vector<HWND> dialogs;
};
thread_local KeyRouting key_routing;

LRESULT CALLBACK RouteKeys(int code, WPARAM wparam, LPARAM lparam) {
  auto* msg = reinterpret_cast<MSG*>(lparam);
  if (code == HC_ACTION && wparam == PM_REMOVE && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    for (HWND dialog : key_routing.dialogs) {
      if (!IsWindowVisible(dialog) || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) continue;
      // A key the dialog took becomes WM_NULL, which nobody acts on.
      if (IsDialogMessageW(dialog, msg)) msg->message = WM_NULL;
      break;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

void StopRouting(HWND dialog) {
  std::vector<HWND>& dialogs = key_routing.dialogs;
  dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
  if (dialogs.empty() && key_routing.hook) {
    UnhookWindowsHookEx(key_routing.hook);
    key_routing.hook = nullptr;
  }
}

}  // namespace

void CDialogBase::RouteDialogKeys() {
  if (!hwnd_ || modal_) return;
  std::vector<HWND>& dialogs = key_routing.dialogs;
  if (std::find(dialogs.begin(), dialogs.end(), hwnd_) == dialogs.end()) dialogs.push_back(hwnd_);
  if (!key_routing.hook) key_routing.hook = SetWindowsHookExW(WH_GETMESSAGE, RouteKeys, nullptr, GetCurrentThreadId());
}

CDialogBase::~CDialogBase() {
  if (hwnd_) {
    HWND hwnd = hwnd_;
    Detach();
    // A modeless dialog still alive dies with its owner object; its last
    // messages find no object and go to the default handling.
    if (!modal_) DestroyWindow(hwnd);
  }
}

void CDialogBase::Detach() {
  if (hwnd_) SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
  hwnd_ = nullptr;
}

INT_PTR CDialogBase::DoModal(HWND parent) {
  modal_ = true;
  result_ = -1;
  return DialogBoxParamW(instance_, TemplateResource(), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

HWND CDialogBase::Create(HWND parent) {
  modal_ = false;
  result_ = -1;
  return CreateDialogParamW(instance_, TemplateResource(), parent, DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

void CDialogBase::End(INT_PTR result) {
  result_ = result;
  if (modal_)
    EndDialog(hwnd_, result);
  else
    ShowWindow(hwnd_, SW_HIDE);
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDialogBase*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<CDialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return Dispatch(self, hwnd, message, wparam, lparam);
}

INT_PTR CDialogBase::Dispatch(CDialogBase* self, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!self) return FALSE;
  // Limits are kept here, ahead of the virtual handler, so no override skips them.
  if (message == WM_COMMAND && (HIWORD(wparam) == EN_CHANGE || HIWORD(wparam) == CBN_EDITCHANGE))
    self->KeepWithinLimit(LOWORD(wparam));
  // A control that draws itself answers the reflected message; the others
  // leave WM_DRAWITEM to the dialog.
  if (message == WM_DRAWITEM && lparam) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    HWND control = item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
    if (control && SendMessageW(control, kWmReflectedDrawItem, wparam, lparam)) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
  }
  if (message == WM_NCDESTROY) {
    StopRouting(hwnd);
    INT_PTR r = self->HandleMessage(message, wparam, lparam);
    if (self->hwnd_ == hwnd) self->Detach();
    return r;
  }
  return self->HandleMessage(message, wparam, lparam);
}

INT_PTR CDialogBase::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(reinterpret_cast<NMHDR*>(lparam), &result)) return FALSE;
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

bool CDialogBase::OnCommand(int id, int, HWND) {
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

bool CDialogBase::OnNotify(NMHDR*, LRESULT*) { return false; }

std::string CDialogBase::ItemText(int id) const {
  HWND item = Item(id);
  int n = GetWindowTextLengthW(item);
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
  int got = GetWindowTextW(item, buf.data(), n + 1);
  return Narrow(std::wstring_view(buf.data(), static_cast<size_t>(got)));
}

void CDialogBase::SetItemText(int id, const std::string& text) { SetDlgItemTextW(hwnd_, id, Widen(text).c_str()); }

void CDialogBase::LimitText(int id, int bytes) {
  wchar_t cls[32] = {};
  GetClassNameW(Item(id), cls, 32);
  bool combo = lstrcmpiW(cls, L"ComboBox") == 0;
  // A character takes at least one byte, so this count never lets too much in.
  SendDlgItemMessageW(hwnd_, id, combo ? CB_LIMITTEXT : EM_LIMITTEXT, static_cast<WPARAM>(bytes), 0);
  std::string text = ItemText(id);
  limits_.push_back({id, static_cast<size_t>(bytes), combo, text.size() <= static_cast<size_t>(bytes) ? text : ""});
}

void CDialogBase::KeepWithinLimit(int id) {
  for (TextLimit& limit : limits_) {
    if (limit.id != id) continue;
    std::string text = ItemText(id);
    if (text.size() <= limit.bytes) {
      limit.last_fitting = text;
      return;
    }
    // Setting the text sends EN_CHANGE again, with text that fits.
    SetItemText(id, limit.last_fitting);
    int end = GetWindowTextLengthW(Item(id));
    if (limit.combo)
      SendDlgItemMessageW(hwnd_, id, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
    else
      SendDlgItemMessageW(hwnd_, id, EM_SETSEL, static_cast<WPARAM>(end), end);
    MessageBeep(MB_OK);
    return;
  }
}

void CDialogBase::EnableItem(int id, bool enable) { EnableWindow(Item(id), enable ? TRUE : FALSE); }

CPropertyPageBase::CPropertyPageBase(HINSTANCE instance, int template_id, const std::string& title)
    : CDialogBase(instance, template_id), title_(Widen(title)) {}

PROPSHEETPAGEW CPropertyPageBase::Description() {
  PROPSHEETPAGEW page = {};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_USETITLE;
  page.hInstance = instance();
  page.pszTemplate = MAKEINTRESOURCEW(template_id());
  page.pfnDlgProc = PageProc;
  page.pszTitle = title_.c_str();
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

INT_PTR CALLBACK CPropertyPageBase::PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    // A page's creation data is the PROPSHEETPAGE, whose lParam is the page.
    auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lparam);
    auto* self = reinterpret_cast<CPropertyPageBase*>(page->lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, page->lParam);
    self->hwnd_ = hwnd;
    self->modal_ = true;  // the sheet, not the page object, destroys the window
  }
  auto* self = reinterpret_cast<CDialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return Dispatch(self, hwnd, message, wparam, lparam);
}

bool CPropertyPageBase::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->code == PSN_SETACTIVE) {
    OnSetActive();
    *result = 0;
    return true;
  }
  return false;
}

}  // namespace win32
