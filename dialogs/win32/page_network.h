#pragma once
// The option sheet's network page: the proxy through which the hosting
// client and every camera view connect. OK stores the values in the
// registry and hands them to the hosting client, whose later connections
// use them.
#include <windows.h>

#include "net/proxy_settings.h"
#include "os/win32/dialog.h"

namespace dialogs {

class CPageNetwork : public win32::CPropertyPageBase {
 public:
  // `proxy`: the hosting client's settings, read on opening, set on OK.
  CPageNetwork(HINSTANCE instance, net::ProxySettings& proxy);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;

 private:
  void SetLabels();
  int VersionIndex() const;
  void ApplyEnabling();
  // False (after its message) when a check fails: nothing is stored.
  bool Apply();

  net::ProxySettings& proxy_;
};

}  // namespace dialogs
