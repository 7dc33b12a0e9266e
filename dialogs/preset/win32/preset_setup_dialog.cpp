#include "dialogs/preset/win32/preset_setup_dialog.h"

#include <commctrl.h>

#include <utility>

#include "dialogs/preset/win32/preset_resource.h"
#include "node/link/camera_control.h"
#include "node/link/node_window.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace dialogs {
namespace {

constexpr UINT kWmPositionAnswer = WM_APP + 1;
constexpr UINT kWmTourAnswer = WM_APP + 2;

namespace text = settings::text;

struct Column {
  const settings::TextId* title;
  int width;
};
constexpr Column kColumns[] = {{&text::kPresetSetupColumnSerial, 40}, {&text::kPresetSetupColumnLocation, 205},
                               {&text::kPresetSetupColumnPan, 60},    {&text::kPresetSetupColumnTilt, 60},
                               {&text::kPresetSetupColumnZoom, 60},   {&text::kPresetSetupColumnStay, 50},
                               {&text::kPresetSetupColumnEnable, 90}};
// The template's controls and the texts that relabel them.
constexpr std::pair<int, const settings::TextId*> kLabels[] = {
    {IDC_PRESET_ADD, &text::kPresetSetupAdd},         {IDC_PRESET_MODIFY, &text::kPresetSetupModify},
    {IDC_PRESET_REMOVE, &text::kPresetSetupRemove},   {IDC_PRESET_REMOVE_ALL, &text::kPresetSetupRemoveAll},
    {IDC_PRESET_UP, &text::kPresetSetupUp},           {IDC_PRESET_DOWN, &text::kPresetSetupDown},
    {IDC_PRESET_ENABLE, &text::kPresetSetupEnable},   {IDC_PRESET_APPLY, &text::kPresetSetupApply},
    {IDCANCEL, &text::kPresetSetupCancel}};

constexpr int kEditingButtons[] = {IDC_PRESET_ADD,        IDC_PRESET_MODIFY, IDC_PRESET_REMOVE,
                                   IDC_PRESET_REMOVE_ALL, IDC_PRESET_UP,     IDC_PRESET_DOWN};

constexpr char kTourNoAnswer[] = "preset enable recv error\n";

std::string Text(const settings::TextId& id) { return settings::IniHandler::Instance().GetText(id); }

}  // namespace

CPresetSetupDialog::CPresetSetupDialog(HINSTANCE instance, node::CameraControl& control,
                                       const net::CameraSetupInfo& record, PresetPrompts& prompts)
    : win32::CDialogBase(instance, IDD_PRESET_SETUP), control_(control), prompts_(prompts), info_(record) {}

BOOL CPresetSetupDialog::OnInitDialog() {
  settings::IniHandler::Instance().ApplyFont(hwnd());
  SetWindowTextW(hwnd(), win32::Widen(Text(text::kPresetSetupCaption)).c_str());
  for (const auto& [id, label] : kLabels) SetItemText(id, Text(*label));
  list_.Attach(Item(IDC_PRESET_LIST));
  list_.SetFullRowSelect();
  for (const Column& c : kColumns) list_.AddColumn(Text(*c.title), c.width);
  rows_ = preset::ReadPresetRows(info_);
  tour_ = preset::TourFlag(info_);
  apply_locked_ = tour_;
  SetChecked(IDC_PRESET_ENABLE, tour_);
  ShowRows(-1);
  UpdateButtons();
  return TRUE;
}

bool CPresetSetupDialog::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return win32::CDialogBase::OnCommand(id, code, control);
  switch (id) {
    case IDC_PRESET_ADD: Add(); return true;
    case IDC_PRESET_MODIFY: Modify(); return true;
    case IDC_PRESET_REMOVE: Remove(); return true;
    case IDC_PRESET_REMOVE_ALL: RemoveAll(); return true;
    case IDC_PRESET_UP: Move(-1); return true;
    case IDC_PRESET_DOWN: Move(1); return true;
    case IDC_PRESET_ENABLE: SwitchTour(); return true;
    case IDC_PRESET_APPLY: Apply(); return true;
    default: return win32::CDialogBase::OnCommand(id, code, control);
  }
}

bool CPresetSetupDialog::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->idFrom == IDC_PRESET_LIST && header->code == NM_DBLCLK) {
    GoTo(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
    *result = 0;
    return true;
  }
  return false;
}

INT_PTR CPresetSetupDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kWmPositionAnswer || message == kWmTourAnswer) {
    wait_.Finish();
    if (message == kWmPositionAnswer)
      OnPositionAnswer(wparam != 0);
    else
      OnTourAnswer(wparam != 0);
    UpdateButtons();
    if (close_pending_) End(IDCANCEL);
    return TRUE;
  }
  if (message == WM_DESTROY) wait_.Finish();  // the owner went away under a wait: it ends within its 5 s
  return win32::CDialogBase::HandleMessage(message, wparam, lparam);
}

void CPresetSetupDialog::OnCancel() {
  if (wait_.busy()) {
    close_pending_ = true;  // the worker still uses the node; close with its answer
    return;
  }
  End(IDCANCEL);
}

void CPresetSetupDialog::Add() {
  if (tour_ || wait_.busy() || rows_.size() >= net::kPresetSlots) return;
  node::CameraControl* control = &control_;
  net::PtzPosition* position = &position_;
  wait_.Start(hwnd(), kWmPositionAnswer, [control, position] { return control->QueryPtzPosition(position); });
  UpdateButtons();
}

void CPresetSetupDialog::OnPositionAnswer(bool answered) {
  if (!answered) {
    prompts_.Tell(hwnd(), Text(text::kPresetSetupErrorPosition));
    return;
  }
  PositionFields fields;
  fields.serial = static_cast<int>(rows_.size()) + 1;
  fields.stay = preset::kDefaultStay;
  fields.enabled = true;
  if (!prompts_.EditPosition(hwnd(), &fields)) return;
  net::PresetEntry entry;
  entry.name = fields.location;
  entry.pan = position_.pan;
  entry.tilt = position_.tilt;
  entry.zoom = position_.zoom;
  entry.stay = static_cast<uint8_t>(fields.stay);
  entry.enabled = fields.enabled;
  rows_.push_back(entry);
  ShowRows(static_cast<int>(rows_.size()) - 1);
}

void CPresetSetupDialog::Modify() {
  const int row = list_.SelectedRow();
  if (tour_ || row < 0) {
    if (row < 0) prompts_.Tell(hwnd(), Text(text::kPresetSetupSelectItem));
    return;
  }
  net::PresetEntry& entry = rows_[static_cast<size_t>(row)];
  PositionFields fields;
  fields.serial = row + 1;
  fields.location = entry.name;
  fields.stay = entry.stay;
  fields.enabled = entry.enabled;
  if (!prompts_.EditPosition(hwnd(), &fields)) return;
  entry.name = fields.location;
  entry.stay = static_cast<uint8_t>(fields.stay);
  entry.enabled = fields.enabled;
  ShowRows(row);
}

void CPresetSetupDialog::Remove() {
  const int row = list_.SelectedRow();
  if (row < 0) {
    prompts_.Tell(hwnd(), Text(text::kPresetSetupSelectItem));
    return;
  }
  if (!prompts_.Confirm(hwnd(), Text(text::kPresetSetupConfirmDelete))) return;
  rows_.erase(rows_.begin() + row);
  ShowRows(-1);
  UpdateButtons();
}

void CPresetSetupDialog::RemoveAll() {
  if (!prompts_.Confirm(hwnd(), Text(text::kPresetSetupConfirmDeleteAll))) return;
  rows_.clear();
  ShowRows(-1);
  UpdateButtons();
}

void CPresetSetupDialog::Move(int delta) {
  const int row = list_.SelectedRow();
  if (row < 0 || !preset::MoveRow(&rows_, row, delta)) return;
  ShowRows(row + delta);
  SetFocus(list_.hwnd());
}

void CPresetSetupDialog::GoTo(int row) {
  if (tour_ || row < 0 || row >= static_cast<int>(rows_.size())) return;
  const net::PresetEntry& entry = rows_[static_cast<size_t>(row)];
  control_.SetPtzPosition({entry.pan, entry.tilt, entry.zoom});
}

void CPresetSetupDialog::SwitchTour() {
  if (wait_.busy()) return;
  if (!tour_) {
    // Nothing goes to the camera yet: the flag travels with Apply.
    tour_ = true;
    SetChecked(IDC_PRESET_ENABLE, true);
    UpdateButtons();
    return;
  }
  node::CameraControl* control = &control_;
  wait_.Start(hwnd(), kWmTourAnswer, [control] { return control->EnablePresetEditing(); });
  UpdateButtons();
}

void CPresetSetupDialog::OnTourAnswer(bool answered) {
  if (!answered) {
    prompts_.Tell(hwnd(), kTourNoAnswer);
    return;
  }
  tour_ = false;
  SetChecked(IDC_PRESET_ENABLE, false);
}

void CPresetSetupDialog::Apply() {
  if (apply_locked_ || wait_.busy()) return;
  preset::WritePresetTable(&info_, rows_, tour_);
  control_.SendCameraSetupInfo(info_);
  End(IDOK);
}

void CPresetSetupDialog::ShowRows(int select) {
  list_.Clear();
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i) list_.AddRow(preset::RowTexts(rows_, i));
  list_.Select(select);
  if (select >= 0) ListView_EnsureVisible(list_.hwnd(), select, FALSE);
}

void CPresetSetupDialog::UpdateButtons() {
  const bool editing = !tour_ && !wait_.busy();
  for (int id : kEditingButtons) EnableItem(id, editing);
  if (rows_.size() >= net::kPresetSlots) EnableItem(IDC_PRESET_ADD, false);
  EnableItem(IDC_PRESET_ENABLE, !wait_.busy());
  EnableItem(IDC_PRESET_APPLY, !apply_locked_ && !wait_.busy());
}

int ShowPresetSetupDialog(HWND parent, node::CNodeWindow& node) {
  net::SocketChannel* video = node.VideoChannel();
  if (!video || !video->IsOpen() || !node.setup_info_received()) return -1;
  CPresetSetupDialog dialog(GetModuleHandleW(nullptr), node.Control(), node.setup_info());
  const INT_PTR result = dialog.DoModal(parent);
  if (result < 0) return -1;
  return result == IDOK ? 1 : 0;
}

}  // namespace dialogs
