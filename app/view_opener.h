#pragma once
// How the main window's entries become camera views: a camera entry opens a
// direct view with the login given, saved with its plan or asked for; a
// hosting server's camera or stored file opens a relayed view (one a file);
// a camera the hosting server does not list yet waits until it does; the
// views alerts ask for open from the message loop. Windows only; called on
// the main window's thread.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/host_event_router.h"
#include "app/layouts/layout.h"
#include "app/view_host.h"
#include "settings/server_list.h"

namespace app {

class CServerTree;
class ProgramCore;

struct ViewOpenerSetup {
  HINSTANCE instance = nullptr;
  std::string program_dir;  // the login dialog's skin is found there
  ViewFactory* factory = nullptr;
  ViewHost* host = nullptr;
  CServerTree* tree = nullptr;
  ProgramCore* core = nullptr;
  // A view just opened (its plan and its place in a layout follow it).
  std::function<void(const ViewRequest&, CameraView&)> opened;
};

class ViewOpener {
 public:
  explicit ViewOpener(ViewOpenerSetup setup) : setup_(std::move(setup)) {}

  // Posted to the main window when an alert asked for a view.
  static constexpr UINT kWmOpenAlertViews = WM_APP + 45;

  // The login dialog for `record`; false when the user cancelled.
  bool AskLogin(HWND parent, const settings::ServerRecord& record, std::string* user, std::string* password);
  // A camera entry opens a direct view (recording into `record_path` when
  // one is given); a hosting server's entry logs in to it.
  void ConnectEntry(const settings::ServerRecord& record, const std::string& user, const std::string& password,
                    const std::string& record_path = "");
  // Connects a camera entry with the login its plan or the user saved,
  // asking for one (parented to `parent`) only when `ask` and none is saved.
  void ConnectSaved(HWND parent, const settings::ServerRecord& record, bool ask);
  void Open(const ViewRequest& request);
  // One view per hosting server's camera.
  void OpenRelay(const std::string& camera_id);
  // One view per stored file: a second View brings the open one forward.
  void OpenFile(const std::string& camera_id, const std::string& file_name);
  // A layout's camera; one the hosting server does not list yet waits.
  void OpenLayoutView(HWND parent, const layouts::LayoutView& place);

  // Cameras of the hosting server waiting to be listed (start options and layouts).
  void AddPending(const std::vector<std::string>& camera_ids);
  // The cameras listed now under `host_key` open, each recording into
  // `record_path(camera)` when that is not empty.
  void OpenPending(ConnectionKey host_key, const std::function<std::string(const std::string&)>& record_path);

  // An alert asks for a view of its camera: opened from the message loop,
  // where the plan's link that alerted gives way to it (posted to `window`).
  void QueueAlertView(HWND window, const std::string& camera_id, const std::string& name);
  void OpenAlertViews();

 private:
  bool DirectViewOpen(const std::string& name);

  ViewOpenerSetup setup_;
  std::vector<std::string> pending_;  // hosting server's cameras not listed yet
  std::vector<std::pair<std::string, std::string>> alert_opens_;  // camera id and name
};

}  // namespace app
