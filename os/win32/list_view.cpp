#include "os/win32/list_view.h"

#include "os/win32/text.h"

namespace win32 {

void ListView::SetFullRowSelect() {
  ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void ListView::AddColumn(const std::string& title, int width) {
  std::wstring text = Widen(title);
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = text.data();
  column.cx = width;
  int index = ColumnCount();
  column.iSubItem = index;
  SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int ListView::ColumnCount() const {
  HWND header = ListView_GetHeader(hwnd_);
  return header ? Header_GetItemCount(header) : 0;
}

std::string ListView::ColumnTitle(int index) const {
  wchar_t buf[256] = {};
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT;
  column.pszText = buf;
  column.cchTextMax = 256;
  if (!SendMessageW(hwnd_, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column))) return {};
  return Narrow(buf);
}

int ListView::ColumnWidth(int index) const { return ListView_GetColumnWidth(hwnd_, index); }

int ListView::AddRow(const std::vector<std::string>& texts, LPARAM data) {
  std::wstring first = Widen(texts.empty() ? std::string() : texts[0]);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.lParam = data;
  item.iItem = RowCount();
  item.pszText = first.data();
  int row = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  for (size_t i = 1; i < texts.size(); ++i) SetText(row, static_cast<int>(i), texts[i]);
  return row;
}

LPARAM ListView::RowData(int row) const {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

void ListView::SortRows(PFNLVCOMPARE compare, LPARAM context) {
  SendMessageW(hwnd_, LVM_SORTITEMS, static_cast<WPARAM>(context), reinterpret_cast<LPARAM>(compare));
}

void ListView::SetText(int row, int column, const std::string& text) {
  std::wstring w = Widen(text);
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = w.data();
  SendMessageW(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string ListView::Text(int row, int column) const {
  wchar_t buf[512] = {};
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = 512;
  SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return Narrow(buf);
}

int ListView::RowCount() const { return ListView_GetItemCount(hwnd_); }
void ListView::DeleteRow(int row) { ListView_DeleteItem(hwnd_, row); }
void ListView::Clear() { ListView_DeleteAllItems(hwnd_); }
int ListView::SelectedRow() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }

void ListView::Select(int row) {
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row >= 0) ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

}  // namespace win32
