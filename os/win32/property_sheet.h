#pragma once
// A property sheet, either created as a child window of a dialog (no
// caption, no OK, Cancel or Apply buttons of its own: the dialog around it
// carries the buttons; keyboard navigation shared with the parent) or as a
// window of its own with OK and Cancel, run modally or modeless.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "os/win32/dialog.h"

namespace win32 {

class CPropertySheetBase {
 public:
  explicit CPropertySheetBase(const std::string& caption);
  virtual ~CPropertySheetBase();
  CPropertySheetBase(const CPropertySheetBase&) = delete;
  CPropertySheetBase& operator=(const CPropertySheetBase&) = delete;

  // Pages are owned by the caller and must outlive the sheet window.
  void AddPage(CPropertyPageBase* page) { pages_.push_back(page); }
  // Creates the sheet at (x, y) of `parent`, sized to its tabs. nullptr on failure.
  HWND CreateChild(HWND parent, int x, int y);
  // The sheet as a window of its own with OK and Cancel (no Apply, no help):
  // modal, returning when it closes (what PropertySheet answered, -1 on
  // failure; pages learn of OK through PSN_APPLY); or modeless, closed when
  // Closed() turns true, then destroyed by Destroy.
  INT_PTR DoModal(HWND parent);
  HWND CreateModeless(HWND parent);
  bool Closed() const;
  HWND hwnd() const { return hwnd_; }
  // Destroys the sheet window now (its parent calls this while it is dying).
  void Destroy();
  int PageCount() const { return static_cast<int>(pages_.size()); }
  CPropertyPageBase* Page(int index) const { return pages_[static_cast<size_t>(index)]; }
  // The index of the page on top, -1 when none.
  int ActiveIndex() const;
  void SetActive(int index);

 private:
  static int CALLBACK Callback(HWND hwnd, UINT message, LPARAM lparam);
  PROPSHEETHEADERW Header(HWND parent, DWORD flags, std::vector<PROPSHEETPAGEW>& descriptions) const;
  std::wstring caption_;
  std::vector<CPropertyPageBase*> pages_;
  HWND hwnd_ = nullptr;
};

}  // namespace win32
