#include "app/file_list_window.h"

#include <commctrl.h>

#include "app/resource.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app {
namespace {

namespace text = settings::text;

// Column widths: name and date as the program always had them, the start
// column wide enough for "2026-12-06 20:00:00".
constexpr int kNameWidth = 100;
constexpr int kDateWidth = 200;
constexpr int kStartWidth = 130;

}  // namespace

CFileListWindow::CFileListWindow(HINSTANCE instance, std::string program_dir, DockingList& docking,
                                 FileListOwner& owner)
    : CSkinnedDialog(instance, IDD_FILE_LIST, skin::kFileWindowSkin, std::move(program_dir)),
      docking_(docking),
      owner_(owner) {}

HWND CFileListWindow::Create(HWND owner) {
  HWND hwnd = CSkinnedDialog::Create(owner);
  if (hwnd) docking_index_ = docking_.Add(hwnd);
  return hwnd;
}

bool CFileListWindow::ToggleBeside(HWND main) {
  const bool show = !IsWindowVisible(hwnd());
  if (show && !placed_) {
    RECT r{};
    GetWindowRect(main, &r);
    SetWindowPos(hwnd(), nullptr, r.right, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    docking_.Dock(docking_index_, 0);
    placed_ = true;
  }
  ShowWindow(hwnd(), show ? SW_SHOWNOACTIVATE : SW_HIDE);
  return show;
}

BOOL CFileListWindow::OnInitDialog() {
  ApplySkin();
  settings::IniHandler& ini = settings::IniHandler::Instance();
  list_.Attach(Item(IDC_FILE_LIST));
  list_.SetFullRowSelect();
  list_.AddColumn(ini.GetString(text::kFileViewerColumnFileName), kNameWidth);
  list_.AddColumn(ini.GetString(text::kFileViewerColumnDate), kDateWidth);
  list_.AddColumn(ini.GetString(text::kFileViewerColumnStart), kStartWidth);
  RouteDialogKeys();
  return FALSE;
}

HTREEITEM CFileListWindow::InsertItem(HTREEITEM parent, const std::string& label, LPARAM data) {
  std::wstring wide = win32::Widen(label);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;  // never sorted
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = wide.data();
  insert.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree_control(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CFileListWindow::AddFiles(const std::vector<net::FileRecord>& files) {
  const net::RecordTime now = net::CurrentRecordTime();
  for (const net::FileRecord& file : files) {
    const record::StoredFileTree::Filed filed = tree_.Add(file, now);
    const auto& root = tree_.roots()[filed.root];
    if (!hwnd()) continue;
    if (filed.new_root) items_.push_back({InsertItem(TVI_ROOT, root.name, 0), {}});
    RootItems& items = items_[filed.root];
    const record::StoredFileTree::Child* child = root.children[filed.child].get();
    if (filed.new_child) items.children.push_back(InsertItem(items.root, child->name, reinterpret_cast<LPARAM>(child)));
    // The folder on show gains the file in its table at once.
    if (child == shown_) ShowFiles(shown_);
  }
}

void CFileListWindow::UpdateFile(uint32_t code, const net::FileRecord& file) {
  if (code == 0) AddFiles({file});
}

void CFileListWindow::Clear() {
  shown_ = nullptr;
  if (hwnd()) {
    list_.Clear();
    TreeView_DeleteAllItems(tree_control());
  }
  items_.clear();
  tree_.Clear();
}

void CFileListWindow::Refresh() {
  Clear();
  if (owner_.HostConnected()) owner_.RequestFileList();
}

void CFileListWindow::View() {
  const int row = list_.SelectedRow();
  if (row < 0 || !shown_) {
    settings::IniHandler::Instance().ShowMessage(text::kFileViewerErrorSelectFile);
    return;
  }
  const record::FileEntry& entry = shown_->files[static_cast<size_t>(list_.RowData(row))];
  owner_.OpenFileView(entry.camera_id, entry.file_name);
}

void CFileListWindow::ShowFiles(const record::StoredFileTree::Child* child) {
  shown_ = child;
  list_.Clear();
  for (size_t i = 0; i < child->files.size(); ++i) {
    const record::FileEntry& f = child->files[i];
    list_.AddRow({record::PlaceOf(f.file_name).base_name, record::FormatLength(f.length_seconds()),
                  record::FormatStart(f.start)},
                 static_cast<LPARAM>(i));
  }
  // A file added to the folder on show keeps the order the user chose.
  if (sorted_) list_.SortRows(CompareRows, reinterpret_cast<LPARAM>(this));
}

int CALLBACK CFileListWindow::CompareRows(LPARAM a, LPARAM b, LPARAM context) {
  const auto* self = reinterpret_cast<const CFileListWindow*>(context);
  const auto& files = self->shown_->files;
  const record::FileEntry& fa = files[static_cast<size_t>(a)];
  const record::FileEntry& fb = files[static_cast<size_t>(b)];
  const record::FileEntry& first = self->sort_ascending_ ? fa : fb;
  const record::FileEntry& second = self->sort_ascending_ ? fb : fa;
  if (record::ComesBefore(self->sort_column_, first, second)) return -1;
  return record::ComesBefore(self->sort_column_, second, first) ? 1 : 0;
}

// A second click on the same header reverses the order.
void CFileListWindow::SortBy(record::FileColumn column) {
  if (!shown_) return;
  sort_ascending_ = sorted_ && column == sort_column_ ? !sort_ascending_ : true;
  sort_column_ = column;
  sorted_ = true;
  list_.SortRows(CompareRows, reinterpret_cast<LPARAM>(this));
}

HTREEITEM CFileListWindow::RootItem(size_t root) const { return root < items_.size() ? items_[root].root : nullptr; }

HTREEITEM CFileListWindow::ChildItem(size_t root, size_t child) const {
  if (root >= items_.size() || child >= items_[root].children.size()) return nullptr;
  return items_[root].children[child];
}

void CFileListWindow::SelectItem(HTREEITEM item) { TreeView_SelectItem(tree_control(), item); }

std::string CFileListWindow::ItemText(HTREEITEM item) const {
  wchar_t buffer[512] = {};
  TVITEMW tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = buffer;
  tv.cchTextMax = 512;
  SendMessageW(tree_control(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return win32::Narrow(buffer);
}

bool CFileListWindow::OnCommand(int id, int code, HWND control) {
  if (code == BN_CLICKED && id == IDC_BUTTON_REFRESH) {
    Refresh();
    return true;
  }
  if (code == BN_CLICKED && id == IDC_BUTTON_VIEW) {
    View();
    return true;
  }
  return CSkinnedDialog::OnCommand(id, code, control);
}

bool CFileListWindow::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->idFrom == kTreeId && header->code == TVN_SELCHANGEDW) {
    // Only a folder of the second level lists files; a root leaves the table.
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
    if (change->itemNew.hItem && TreeView_GetParent(tree_control(), change->itemNew.hItem))
      ShowFiles(reinterpret_cast<const record::StoredFileTree::Child*>(change->itemNew.lParam));
    return true;
  }
  if (header->idFrom == IDC_FILE_LIST && header->code == LVN_COLUMNCLICK) {
    static constexpr record::FileColumn kColumns[] = {record::FileColumn::kName, record::FileColumn::kLength,
                                                      record::FileColumn::kStart};
    const int column = reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
    if (column >= 0 && column < 3) SortBy(kColumns[column]);
    return true;
  }
  return CSkinnedDialog::OnNotify(header, result);
}

INT_PTR CFileListWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (docking_index_ >= 0) {
    if (message == WM_WINDOWPOSCHANGING)
      docking_.OnPositionChanging(docking_index_, reinterpret_cast<WINDOWPOS*>(lparam), dragging());
    if (message == WM_WINDOWPOSCHANGED) docking_.OnPositionChanged(docking_index_);
  }
  return CSkinnedDialog::HandleMessage(message, wparam, lparam);
}

}  // namespace app
