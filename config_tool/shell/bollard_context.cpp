#include "config_tool/shell/bollard_context.h"

#include "os/clock.h"
#include "os/file.h"
#include "os/win32/message_box.h"

namespace bollard {

std::string BollardContext::FileDirectory() const {
  if (!options.file_dir.empty()) {
    std::string dir = options.file_dir;
    if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
    return dir;
  }
  if (GetDriveTypeW(L"C:\\") == DRIVE_NO_ROOT_DIR) return os::TempDirectory();
  return "c:\\";
}

void CMessageBoxSink::ShowMessage(const std::string& text) {
  win32::ShowMessageBox(GetActiveWindow(), text, "Bollard", MB_OK);
}

bool CMessageBoxSink::AskYesNo(const std::string& text) {
  return win32::ShowMessageBox(GetActiveWindow(), text, "Bollard", MB_YESNO) == IDYES;
}

}  // namespace bollard
