#pragma once
// A report-style list view: columns, rows of texts, the selection.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace win32 {

class ListView {
 public:
  ListView() = default;
  explicit ListView(HWND hwnd) : hwnd_(hwnd) {}
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND hwnd() const { return hwnd_; }

  void SetFullRowSelect();
  void AddColumn(const std::string& title, int width);
  int ColumnCount() const;
  std::string ColumnTitle(int column) const;
  int ColumnWidth(int column) const;

  // Appends a row carrying `data`; returns its index or -1.
  int AddRow(const std::vector<std::string>& texts, LPARAM data = 0);
  LPARAM RowData(int row) const;
  // Reorders the rows: `compare` gets two rows' data and `context`.
  void SortRows(PFNLVCOMPARE compare, LPARAM context);
  void SetText(int row, int column, const std::string& text);
  std::string Text(int row, int column) const;
  int RowCount() const;
  void DeleteRow(int row);
  void Clear();
  // The selected row, -1 when none.
  int SelectedRow() const;
  void Select(int row);

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace win32
