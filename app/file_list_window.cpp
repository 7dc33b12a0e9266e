#include "app/file_list_window.h"

#include <algorithm>

#include "app/resource.h"
#include "settings/ini_handler.h"

namespace app {

CFileListWindow::CFileListWindow(HINSTANCE instance, std::string program_dir, DockingList& docking)
    : CSkinnedDialog(instance, IDD_FILE_LIST, skin::kFileWindowSkin, std::move(program_dir)), docking_(docking) {}

HWND CFileListWindow::Create(HWND owner) {
  HWND hwnd = CSkinnedDialog::Create(owner);
  if (hwnd) docking_index_ = docking_.Add(hwnd);
  return hwnd;
}

BOOL CFileListWindow::OnInitDialog() {
  ApplySkin();
  settings::IniHandler& ini = settings::IniHandler::Instance();
  list_.Attach(Item(IDC_FILE_LIST));
  list_.SetFullRowSelect();
  RECT r{};
  GetClientRect(list_.hwnd(), &r);
  list_.AddColumn(ini.GetString(settings::text::kFileViewerColumnFileName), std::max<int>(r.right - 4, 100));
  return FALSE;
}

void CFileListWindow::ShowFiles() {
  list_.Clear();
  for (const net::FileRecord& f : files_) list_.AddRow({f.file_name});
}

void CFileListWindow::Clear() {
  files_.clear();
  if (hwnd()) ShowFiles();
}

void CFileListWindow::SetFiles(const std::vector<net::FileRecord>& files) {
  files_ = files;
  if (hwnd()) ShowFiles();
}

void CFileListWindow::UpdateFile(uint32_t code, const net::FileRecord& file) {
  std::erase_if(files_, [&](const net::FileRecord& f) { return f.file_name == file.file_name; });
  if (code == 0) files_.push_back(file);
  if (hwnd()) ShowFiles();
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
