#include "app/view/file_chooser.h"

#include <commdlg.h>

#include <algorithm>

#include <vector>

#include "app/view/view_texts.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app::view {
namespace {

constexpr DWORD kMaxPath = 1024;

bool RunSaveDialog(OPENFILENAMEW* ofn, std::vector<wchar_t>* file, std::string* path) {
  ofn->lStructSize = sizeof *ofn;
  ofn->lpstrFile = file->data();
  ofn->nMaxFile = static_cast<DWORD>(file->size());
  if (!GetSaveFileNameW(ofn)) return false;
  *path = win32::Narrow(file->data());
  return !path->empty();
}

}  // namespace

std::wstring DialogFilter(const std::string& bars) {
  std::wstring filter = win32::Widen(bars);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  return filter;
}

bool SaveDialogs::ChooseRecording(HWND owner, std::string* path) {
  const std::wstring filter = DialogFilter("(*.mp4)|*.mp4;||");
  std::vector<wchar_t> file(kMaxPath, L'\0');
  OPENFILENAMEW ofn = {};
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrDefExt = L"mp4";
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  return RunSaveDialog(&ofn, &file, path);
}

bool SaveDialogs::ChooseSnapshot(HWND owner, const std::string& folder, const std::string& name, std::string* path) {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  const std::wstring filter = DialogFilter(ini.GetString(kSnapshotFilterPng) + "|*.png|" +
                                           ini.GetString(kSnapshotFilterBmp) + "|*.bmp||");
  std::vector<wchar_t> file(kMaxPath, L'\0');
  const std::wstring wide_name = win32::Widen(name);
  wide_name.copy(file.data(), std::min<size_t>(wide_name.size(), file.size() - 1));
  const std::wstring wide_folder = win32::Widen(folder);
  OPENFILENAMEW ofn = {};
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrDefExt = L"png";
  ofn.lpstrInitialDir = folder.empty() ? nullptr : wide_folder.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  return RunSaveDialog(&ofn, &file, path);
}

}  // namespace app::view
