#pragma once
// The option sheet's Storage page: the folder the recording plans record
// into, how much of it is kept (days, motion days, a size, the free space
// kept on the disk), and what the folder's last retention pass found: the
// space each camera uses, its oldest recording and the days of footage the
// current rate allows.
#include <windows.h>

#include <string>

#include "node/storage/retention.h"
#include "node/storage/retention_limits.h"
#include "os/win32/dialog.h"
#include "os/win32/list_view.h"

namespace dialogs {

struct StoragePageData {
  std::string root;
  node::RetentionLimits limits;
  node::RetentionReport report;  // the root's last pass
  bool changed = false;          // OK stored other settings in root and limits
};

class CStoragePage : public win32::CPropertyPageBase {
 public:
  CStoragePage(HINSTANCE instance, StoragePageData& data);

 protected:
  BOOL OnInitDialog() override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;

 private:
  // False (and the user told what to correct) when the fields hold no settings.
  bool Apply();

  StoragePageData& data_;
  win32::ListView usage_;
  bool opened_ = false;
};

}  // namespace dialogs
