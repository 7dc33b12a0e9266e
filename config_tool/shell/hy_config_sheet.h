#pragma once
// The sheet of the configuration dialog, caption "HY Config".
#include "os/win32/property_sheet.h"

namespace bollard {

class CHYConfigSheet : public win32::CPropertySheetBase {
 public:
  static constexpr int kNetworkPage = 0;
  static constexpr int kUserPage = 1;
  CHYConfigSheet() : CPropertySheetBase("HY Config") {}
};

}  // namespace bollard
