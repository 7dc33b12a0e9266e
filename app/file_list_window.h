#pragma once
// The camera and file list window (template 131, skin "\FileWindow.skn"):
// the recordings the hosting server keeps, as a two-level folder tree and a
// table of the files of the chosen folder (name, length, start). Created
// hidden with the main window, shown and hidden by the main window's list
// box, docked with it. Refresh asks the server for its list again; View
// opens the chosen file in a camera view.
#include <windows.h>

#include <string>
#include <vector>

#include "app/docking_list.h"
#include "dialogs/win32/skinned_dialog.h"
#include "net/list_records.h"
#include "os/win32/list_view.h"
#include "record/stored_files.h"

namespace app {

// What the list window needs from the main window.
class FileListOwner {
 public:
  virtual ~FileListOwner() = default;
  virtual bool HostConnected() = 0;
  // Asks the hosting server for its whole file list ("ALL").
  virtual void RequestFileList() = 0;
  virtual void OpenFileView(const std::string& camera_id, const std::string& file_name) = 0;
};

class CFileListWindow : public dialogs::CSkinnedDialog {
 public:
  CFileListWindow(HINSTANCE instance, std::string program_dir, DockingList& docking, FileListOwner& owner);

  // Created hidden, owned by `owner`; joins the docking list.
  HWND Create(HWND owner);
  // Shows the list if hidden, hides it if shown; true when it is shown now.
  // The first time it shows, it sits against `main`'s right edge, top
  // aligned, docked to it; later it stays where the user left it.
  bool ToggleBeside(HWND main);
  // Files each record under its folders (the whole list, or one added file).
  void AddFiles(const std::vector<net::FileRecord>& files);
  // A file-list update: code 0 adds the file; the server's other codes
  // carry nothing this window acts on.
  void UpdateFile(uint32_t code, const net::FileRecord& file);
  // Every folder and file, and the table.
  void Clear();
  void Refresh();
  void View();

  // State, for tests.
  const record::StoredFileTree& tree() const { return tree_; }
  size_t FileCount() const { return tree_.FileCount(); }
  HWND tree_control() const { return Item(kTreeId); }
  win32::ListView& table() { return list_; }
  // The tree item of a root folder, or of a child under it; null when absent.
  HTREEITEM RootItem(size_t root) const;
  HTREEITEM ChildItem(size_t root, size_t child) const;
  // Selects a tree item as a click does.
  void SelectItem(HTREEITEM item);
  std::string ItemText(HTREEITEM item) const;

 protected:
  BOOL OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  // Enter plays the chosen file, as View does.
  void OnOK() override { View(); }
  void OnCancel() override {}

 private:
  static constexpr int kTreeId = 1031;
  HTREEITEM InsertItem(HTREEITEM parent, const std::string& text, LPARAM data);
  void ShowFiles(const record::StoredFileTree::Child* child);
  void SortBy(record::FileColumn column);
  static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM self);

  DockingList& docking_;
  FileListOwner& owner_;
  int docking_index_ = -1;
  bool placed_ = false;
  win32::ListView list_;
  record::StoredFileTree tree_;
  // Tree items parallel to tree_'s roots and their children.
  struct RootItems {
    HTREEITEM root = nullptr;
    std::vector<HTREEITEM> children;
  };
  std::vector<RootItems> items_;
  const record::StoredFileTree::Child* shown_ = nullptr;  // the folder the table lists
  record::FileColumn sort_column_ = record::FileColumn::kName;
  bool sort_ascending_ = true;
  bool sorted_ = false;  // rows in the order of a header click, else as listed
};

}  // namespace app
