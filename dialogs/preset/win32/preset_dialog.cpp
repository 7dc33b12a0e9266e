#include "dialogs/preset/win32/preset_dialog.h"

#include <commctrl.h>

#include "dialogs/preset/win32/preset_resource.h"
#include "node/link/camera_control.h"
#include "os/win32/monitors.h"
#include "settings/text_table.h"
#include "settings/win32/ini_handler.h"

namespace dialogs {
namespace {

constexpr UINT_PTR kKeySubclassId = 0x50524B59;

enum LensOperation : uint32_t { kZoomIn = 0, kZoomOut = 1, kFocusNear = 2, kFocusFar = 3 };

struct Step {
  int id;
  UINT key;
  int pan, tilt;
};
constexpr Step kSteps[] = {
    {IDC_PTZ_UP, VK_UP, 0, -1},
    {IDC_PTZ_LEFT, VK_LEFT, -1, 0},
    {IDC_PTZ_RIGHT, VK_RIGHT, 1, 0},
    {IDC_PTZ_DOWN, VK_DOWN, 0, 1},
};

struct BitmapButton {
  int id;
  int first_bitmap;
};
constexpr BitmapButton kBitmapButtonList[] = {
    {IDC_PTZ_UP, IDB_PTZ_UP},     {IDC_PTZ_LEFT, IDB_PTZ_LEFT}, {IDC_PTZ_RIGHT, IDB_PTZ_RIGHT},
    {IDC_PTZ_DOWN, IDB_PTZ_DOWN}, {IDC_ZOOM_IN, IDB_ZOOM_IN},   {IDC_ZOOM_OUT, IDB_ZOOM_OUT},
};
constexpr int kFaceSize = 32;  // pixels, the size of every face bitmap

struct Caption {
  int id;
  settings::TextId text;
};
constexpr Caption kCaptions[] = {
    {IDC_FOCUS_FAR, settings::text::kPresetFocusFar},
    {IDC_FOCUS_NEAR, settings::text::kPresetFocusNear},
    {IDC_PRESET_SETUP, settings::text::kPresetSetupButton},
    {IDC_PRESET_GOTO, settings::text::kPresetGotoButton},
    {IDC_GROUP_SETUP, settings::text::kPresetGroupSetupButton},
    {IDC_GROUP_RUN, settings::text::kPresetGroupRunButton},
    {IDC_GROUP_STOP, settings::text::kPresetGroupStopButton},
    {IDC_PRESET_GROUP_BOX, settings::text::kPresetText},
    {IDC_GROUP_GROUP_BOX, settings::text::kPresetGroupText},
};

}  // namespace

CPresetDialog::CPresetDialog(HINSTANCE instance, node::CameraControl& control, PresetPrompts& prompts)
    : win32::CDialogBase(instance, IDD_PRESET), control_(control), prompts_(prompts) {}

CPresetDialog::~CPresetDialog() {
  // The window dies with the base class; its buttons must not call back into
  // this object meanwhile.
  if (hwnd())
    for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      RemoveWindowSubclass(child, KeyProc, kKeySubclassId);
}

HWND CPresetDialog::Open(HWND parent) {
  if (!hwnd()) Create(parent);
  if (hwnd()) {
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
  }
  return hwnd();
}

bool CPresetDialog::skinned() const {
  for (const auto& button : buttons_)
    if (!button || !button->skinned()) return false;
  return true;
}

BOOL CPresetDialog::OnInitDialog() {
  settings::IniHandler::Instance().ApplyFont(hwnd());
  SetCaptions();
  SkinButtons();
  ListenForArrowKeys();
  RouteDialogKeys();
  return TRUE;
}

void CPresetDialog::SetCaptions() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  for (const Caption& c : kCaptions) SetItemText(c.id, ini.GetString(c.text));
}

void CPresetDialog::SkinButtons() {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const BitmapButton& b = kBitmapButtonList[i];
    HWND button = Item(b.id);
    RECT at;
    GetWindowRect(button, &at);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&at), 2);
    const int faces[skin::kBitmapSlots] = {b.first_bitmap, b.first_bitmap + 1, b.first_bitmap + 2,
                                           b.first_bitmap + 3, 0};
    buttons_[i] = std::make_unique<skin::CSkinButton>(settings::IniHandler::Instance());
    buttons_[i]->Attach(button);
    const int size = win32::ScaledPixels(kFaceSize);  // the faces grow with the display
    buttons_[i]->SetSkin(at.left, at.top, size, size, skin::ItemKind::kButton, instance(), faces,
                         skin::kNoRegion);
  }
}

void CPresetDialog::ListenForArrowKeys() {
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SetWindowSubclass(child, KeyProc, kKeySubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK CPresetDialog::KeyProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR self) {
  auto* dialog = reinterpret_cast<CPresetDialog*>(self);
  switch (message) {
    case WM_GETDLGCODE:
      // Keep the arrow keys from the dialog manager, which would move the focus with them.
      if (lparam && reinterpret_cast<const MSG*>(lparam)->message == WM_KEYDOWN) {
        const WPARAM key = reinterpret_cast<const MSG*>(lparam)->wParam;
        if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN)
          return DefSubclassProc(hwnd, message, wparam, lparam) | DLGC_WANTARROWS;
      }
      break;
    case WM_KEYDOWN:
      if (dialog->ArrowKey(wparam)) return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, KeyProc, kKeySubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

bool CPresetDialog::ArrowKey(WPARAM key) {
  for (const Step& s : kSteps) {
    if (s.key == key) {
      control_.PtzStep(s.pan, s.tilt);
      return true;
    }
  }
  return false;
}

INT_PTR CPresetDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN && ArrowKey(wparam)) return TRUE;
  return win32::CDialogBase::HandleMessage(message, wparam, lparam);
}

bool CPresetDialog::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return win32::CDialogBase::OnCommand(id, code, control);
  for (const Step& s : kSteps) {
    if (s.id == id) {
      control_.PtzStep(s.pan, s.tilt);
      return true;
    }
  }
  int number = 0;
  switch (id) {
    case IDC_ZOOM_IN: control_.Lens(kZoomIn, 1); return true;
    case IDC_ZOOM_OUT: control_.Lens(kZoomOut, 1); return true;
    case IDC_FOCUS_FAR: control_.Lens(kFocusFar, 1); return true;
    case IDC_FOCUS_NEAR: control_.Lens(kFocusNear, 1); return true;
    case IDC_PRESET_SETUP: control_.PresetCommand(net::kPresetSetup, 0); return true;
    case IDC_PRESET_GOTO: RunPresetGoto(hwnd(), control_, prompts_); return true;
    case IDC_GROUP_SETUP: control_.PresetCommand(net::kGroupSetup, 0); return true;
    case IDC_GROUP_RUN:
      if (prompts_.AskNumber(hwnd(), node::CameraControl::kGroupMaximum, &number)) control_.GroupRun(number);
      return true;
    case IDC_GROUP_STOP: control_.PresetCommand(net::kGroupStop, 0); return true;
    default: return win32::CDialogBase::OnCommand(id, code, control);
  }
}

bool RunPresetGoto(HWND parent, node::CameraControl& control, PresetPrompts& prompts) {
  int number = 0;
  if (!prompts.AskNumber(parent, node::CameraControl::kPresetMaximum, &number)) return false;
  return control.PresetGoto(number);
}

}  // namespace dialogs
