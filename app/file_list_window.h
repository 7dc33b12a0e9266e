#pragma once
// The camera and file list window (template 131, skin "\FileWindow.skn"):
// the recordings the hosting server keeps. Created hidden with the main
// window, shown and hidden by the main window's list box, docked with it.
// For now it lists the stored files by name; their folder tree, the columns
// and the playback of a chosen file come with the stored-recordings window.
#include <windows.h>

#include <string>
#include <vector>

#include "app/docking_list.h"
#include "dialogs/skinned_dialog.h"
#include "net/list_records.h"
#include "os/win32/list_view.h"

namespace app {

class CFileListWindow : public dialogs::CSkinnedDialog {
 public:
  CFileListWindow(HINSTANCE instance, std::string program_dir, DockingList& docking);

  // Created hidden, owned by `owner`; joins the docking list.
  HWND Create(HWND owner);
  void Clear();
  void SetFiles(const std::vector<net::FileRecord>& files);
  // Update code 0 adds the file, any other removes it.
  void UpdateFile(uint32_t code, const net::FileRecord& file);
  const std::vector<net::FileRecord>& files() const { return files_; }

 protected:
  BOOL OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnOK() override {}
  void OnCancel() override {}

 private:
  void ShowFiles();

  DockingList& docking_;
  int docking_index_ = -1;
  win32::ListView list_;
  std::vector<net::FileRecord> files_;
};

}  // namespace app
