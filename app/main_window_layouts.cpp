// The views a layout opens: a camera the hosting server lists, or a camera
// entry with the login its plan or the user saved (asked for once otherwise).
#include <algorithm>

#include "app/main_window.h"
#include "app/storage/win32/plan_registry.h"
#include "settings/win32/viewer_registry.h"

namespace app {

void CMainWindow::OpenLayoutView(const layouts::LayoutView& place) {
  if (place.hosted) {
    // A camera the hosting server does not list yet opens once it does.
    if (tree_.FindCamera(place.camera))
      OpenRelayView(place.camera);
    else if (std::find(pending_views_.begin(), pending_views_.end(), place.camera) == pending_views_.end())
      pending_views_.push_back(place.camera);
    return;
  }
  const CServerTree::Entry* e = tree_.EntryOf(tree_.FindServer(place.camera));
  if (!e || !e->server.IsCamera()) return;
  std::string user, password;
  if (!storage::LoadPlanLogin(place.camera, &user, &password)) {
    const settings::SavedLogin saved = settings::LoadSavedLogin(place.camera);
    user = saved.user;
    password = saved.password;
    if (user.empty() && !AskLogin(e->server, &user, &password)) return;
  }
  ConnectEntry(e->server, user, password);
}

}  // namespace app
