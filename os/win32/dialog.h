#pragma once
// The dialog base class: one static dialog procedure stores `this` at
// WM_INITDIALOG and forwards every later message to one virtual handler. The
// pointer is cleared before the window dies, so no message ever reaches a
// half-destroyed object. Property pages use the same class with their own
// static procedure (their `this` comes through the PROPSHEETPAGE).
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace win32 {

// Owner-draw notifications are reflected to the control they concern, so a
// control object draws itself: the control receives this message with the
// parent's WPARAM and LPARAM and returns TRUE when it drew. (The number is
// the one ActiveX hosts use for the same purpose.)
inline constexpr UINT kWmReflectedDrawItem = WM_USER + 0x1C00 + WM_DRAWITEM;

class CDialogBase {
 public:
  CDialogBase(HINSTANCE instance, int template_id) : instance_(instance), template_id_(template_id) {}
  // A template with a name rather than a number.
  CDialogBase(HINSTANCE instance, const wchar_t* template_name)
      : instance_(instance), template_id_(0), template_name_(template_name) {}
  virtual ~CDialogBase();
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;

  // Runs the dialog modally; returns what End was given (-1 if it failed to open).
  INT_PTR DoModal(HWND parent);
  // Creates the dialog modeless; End then only records the result and hides it.
  HWND Create(HWND parent);
  // A modeless dialog gets Tab, the arrow keys, Enter and Escape only from a
  // message loop that hands its messages to IsDialogMessage, and the program's
  // loop is the main window's modal one, which hands it only its own. Called
  // once the dialog exists, this has a message hook of the thread do it for
  // this dialog until it is destroyed.
  void RouteDialogKeys();
  HWND hwnd() const { return hwnd_; }
  // The value End was given; -1 while the dialog has not ended.
  INT_PTR result() const { return result_; }
  int template_id() const { return template_id_; }

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  // Edit and combo controls take no more than `bytes` bytes of UTF-8 text, the
  // width of the field the text goes into: typing stops at that many
  // characters, and a change that would still need more bytes (characters
  // outside ASCII take two to four) is undone.
  void LimitText(int id, int bytes);
  void EnableItem(int id, bool enable);
  bool IsChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  void SetChecked(int id, bool checked) { CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED); }

 protected:
  // The one handler of every message after WM_INITDIALOG's arrival. Returns
  // what a dialog procedure returns; the default routes to the On* calls.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  virtual BOOL OnInitDialog() { return TRUE; }
  // Returns true when the command was handled.
  virtual bool OnCommand(int id, int code, HWND control);
  // Returns true when handled; *result becomes the message result.
  virtual bool OnNotify(NMHDR* header, LRESULT* result);
  virtual void OnOK() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }
  void End(INT_PTR result);
  HINSTANCE instance() const { return instance_; }

 private:
  friend class CPropertyPageBase;
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static INT_PTR Dispatch(CDialogBase* self, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Detach();
  void KeepWithinLimit(int id);
  LPCWSTR TemplateResource() const {
    return template_name_.empty() ? MAKEINTRESOURCEW(template_id_) : template_name_.c_str();
  }

  struct TextLimit {
    int id;
    size_t bytes;
    bool combo;
    std::string last_fitting;
  };
  std::vector<TextLimit> limits_;

  HINSTANCE instance_;
  int template_id_;
  std::wstring template_name_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  INT_PTR result_ = -1;
};

// A page of a property sheet.
class CPropertyPageBase : public CDialogBase {
 public:
  CPropertyPageBase(HINSTANCE instance, int template_id, const std::string& title);
  // The description the sheet is created from; the page must outlive the sheet.
  PROPSHEETPAGEW Description();

 protected:
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  virtual void OnSetActive() {}

 private:
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  std::wstring title_;
};

}  // namespace win32
