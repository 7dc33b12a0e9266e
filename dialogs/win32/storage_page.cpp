#include "dialogs/win32/storage_page.h"

#include "dialogs/storage_rules.h"
#include "dialogs/win32/dialog_ids.h"
#include "settings/win32/ini_handler.h"

namespace dialogs {

CStoragePage::CStoragePage(HINSTANCE instance, StoragePageData& data)
    : CPropertyPageBase(instance, IDD_PAGE_STORAGE, "Storage"), data_(data) {}

BOOL CStoragePage::OnInitDialog() {
  const StorageFields f = FieldsOf(data_.root, data_.limits);
  SetItemText(IDC_STORAGE_ROOT, f.root);
  SetItemText(IDC_STORAGE_DAYS, f.days);
  SetItemText(IDC_STORAGE_MOTION_DAYS, f.motion_days);
  SetItemText(IDC_STORAGE_MAX_GB, f.max_gb);
  SetItemText(IDC_STORAGE_MIN_FREE_GB, f.min_free_gb);
  usage_.Attach(Item(IDC_STORAGE_USAGE));
  usage_.SetFullRowSelect();
  usage_.AddColumn("Camera", 150);
  usage_.AddColumn("Space", 80);
  usage_.AddColumn("Oldest", 120);
  for (const UsageRow& row : UsageRows(data_.report)) usage_.AddRow({row.camera, row.space, row.oldest});
  SetItemText(IDC_STORAGE_SUMMARY, StorageSummary(data_.report, data_.limits));
  settings::IniHandler::Instance().ApplyFont(hwnd());
  opened_ = true;
  return TRUE;
}

bool CStoragePage::Apply() {
  if (!opened_) return true;
  const StorageFields typed{ItemText(IDC_STORAGE_ROOT), ItemText(IDC_STORAGE_DAYS), ItemText(IDC_STORAGE_MOTION_DAYS),
                            ItemText(IDC_STORAGE_MAX_GB), ItemText(IDC_STORAGE_MIN_FREE_GB)};
  std::string root;
  node::RetentionLimits limits;
  if (const settings::TextId* error = ReadStorageFields(typed, &root, &limits)) {
    settings::IniHandler::Instance().ShowMessage(*error);
    return false;
  }
  data_.changed = root != data_.root || !(limits == data_.limits);
  data_.root = root;
  data_.limits = limits;
  return true;
}

bool CStoragePage::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->code == PSN_APPLY) {
    // A failed check keeps the sheet open on this page, so the value can be corrected.
    *result = Apply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
    return true;
  }
  return CPropertyPageBase::OnNotify(header, result);
}

}  // namespace dialogs
