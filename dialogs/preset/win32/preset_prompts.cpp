#include "dialogs/preset/win32/preset_prompts.h"

#include "dialogs/preset/win32/preset_number_dialog.h"
#include "dialogs/preset/win32/preset_position_dialog.h"
#include "os/win32/message_box.h"

namespace dialogs {
namespace {

constexpr char kCaption[] = "Halyard";

}  // namespace

void PresetPrompts::Tell(HWND owner, const std::string& text) { win32::ShowMessageBox(owner, text, kCaption, MB_OK); }

bool PresetPrompts::Confirm(HWND owner, const std::string& text) {
  return win32::ShowMessageBox(owner, text, kCaption, MB_YESNO) == IDYES;
}

bool PresetPrompts::AskNumber(HWND owner, int maximum, int* number) {
  CPresetNumberDialog dialog(GetModuleHandleW(nullptr), maximum);
  if (dialog.DoModal(owner) != IDOK) return false;
  *number = dialog.number();
  return true;
}

bool PresetPrompts::EditPosition(HWND owner, PositionFields* fields) {
  CPresetPositionDialog dialog(GetModuleHandleW(nullptr), *fields);
  if (dialog.DoModal(owner) != IDOK) return false;
  *fields = dialog.fields();
  return true;
}

PresetPrompts& PresetPrompts::Default() {
  static PresetPrompts prompts;
  return prompts;
}

}  // namespace dialogs
