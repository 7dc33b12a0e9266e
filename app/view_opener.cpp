#include "app/view_opener.h"

#include <algorithm>

#include "app/program_core.h"
#include "app/server_tree.h"
#include "app/storage/win32/plan_registry.h"
#include "app/view_list.h"
#include "dialogs/win32/login_dialog.h"
#include "hosting/hosting_service.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app {
namespace {

using settings::IniHandler;
namespace text = settings::text;

bool Contains(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

bool ViewOpener::AskLogin(HWND parent, const settings::ServerRecord& record, std::string* user,
                          std::string* password) {
  dialogs::LoginDialog login(setup_.instance, record, parent, setup_.program_dir);
  if (login.DoModal(parent) != IDOK) return false;
  *user = login.user();
  *password = login.password();
  return true;
}

void ViewOpener::ConnectEntry(const settings::ServerRecord& record, const std::string& user,
                              const std::string& password, const std::string& record_path) {
  if (record.IsCamera()) {
    ViewRequest request;
    request.kind = ViewRequest::Kind::kDirect;
    request.display_name = record.name;
    request.record_path = record_path;
    request.mac = record.mac;
    request.login = {record.ip, static_cast<uint16_t>(record.port), record.ddns, record.mac, user, password};
    Open(request);
    return;
  }
  hosting::HostingService& hosting = setup_.core->hosting();
  if (hosting.HostConnected()) {
    IniHandler::Instance().ShowMessage(text::kErrorHostAlreadyConnected);
    return;
  }
  // The client refuses a second connect while one is still under way (its
  // proxy handshake may take 20 s): that is not a connection.
  if (hosting.Connect({record.ip, static_cast<uint16_t>(record.port), user, password}) != 0)
    IniHandler::Instance().ShowMessage(text::kErrorHostConnectNotStarted);
}

void ViewOpener::ConnectSaved(HWND parent, const settings::ServerRecord& record, bool ask) {
  std::string user, password;
  if (!storage::LoadPlanLogin(record.name, &user, &password)) {
    const settings::SavedLogin saved = settings::LoadSavedLogin(record.name);
    user = saved.user;
    password = saved.password;
    if (ask && user.empty() && !AskLogin(parent, record, &user, &password)) return;
  }
  ConnectEntry(record, user, password);
}

void ViewOpener::Open(const ViewRequest& request) {
  if (!setup_.factory) return;
  CameraView* view = setup_.factory->Open(*setup_.host, request);
  if (view && setup_.opened) setup_.opened(request, *view);
}

void ViewOpener::OpenRelay(const std::string& camera_id) {
  if (setup_.host->OpenViews().HasRelayView(camera_id)) return;
  ViewRequest request;
  request.kind = ViewRequest::Kind::kRelay;
  request.camera_id = camera_id;
  Open(request);
}

void ViewOpener::OpenFile(const std::string& camera_id, const std::string& file_name) {
  ViewList& views = setup_.host->OpenViews();
  for (CameraView* view : views.Snapshot()) {
    const ViewRequest open = views.RequestOf(view);
    if (open.kind == ViewRequest::Kind::kFile && open.file_name == file_name) {
      SetForegroundWindow(view->Window());
      return;
    }
  }
  ViewRequest request;
  request.kind = ViewRequest::Kind::kFile;
  request.camera_id = camera_id;
  request.file_name = file_name;
  Open(request);
}

void ViewOpener::OpenLayoutView(HWND parent, const layouts::LayoutView& place) {
  if (place.hosted) {
    if (setup_.tree->FindCamera(place.camera))
      OpenRelay(place.camera);
    else
      AddPending({place.camera});
    return;
  }
  const CServerTree::Entry* e = setup_.tree->EntryOf(setup_.tree->FindServer(place.camera));
  if (e && e->server.IsCamera()) ConnectSaved(parent, e->server, true);
}

void ViewOpener::AddPending(const std::vector<std::string>& camera_ids) {
  for (const std::string& camera : camera_ids)
    if (!Contains(pending_, camera)) pending_.push_back(camera);
}

void ViewOpener::OpenPending(ConnectionKey host_key,
                             const std::function<std::string(const std::string&)>& record_path) {
  if (pending_.empty()) return;
  const std::vector<std::string> listed = setup_.tree->model().CameraIds(host_key);
  std::vector<std::string> waiting;
  for (const std::string& camera : pending_) {
    if (!Contains(listed, camera) || setup_.host->OpenViews().HasRelayView(camera)) {
      waiting.push_back(camera);
      continue;
    }
    ViewRequest request;
    request.kind = ViewRequest::Kind::kRelay;
    request.camera_id = camera;
    request.record_path = record_path(camera);
    Open(request);
  }
  pending_ = std::move(waiting);
}

void ViewOpener::QueueAlertView(HWND window, const std::string& camera_id, const std::string& name) {
  alert_opens_.emplace_back(camera_id, name);
  PostMessageW(window, kWmOpenAlertViews, 0, 0);
}

bool ViewOpener::DirectViewOpen(const std::string& name) {
  ViewList& views = setup_.host->OpenViews();
  for (CameraView* view : views.Snapshot()) {
    const ViewRequest open = views.RequestOf(view);
    if (open.kind == ViewRequest::Kind::kDirect && open.display_name == name) return true;
  }
  return false;
}

// Nobody may be there to log in: a camera entry opens with the login its
// plan or the user saved.
void ViewOpener::OpenAlertViews() {
  std::vector<std::pair<std::string, std::string>> opens;
  opens.swap(alert_opens_);
  for (const auto& [camera_id, name] : opens) {
    if (name == camera_id && setup_.tree->FindCamera(camera_id)) {
      OpenRelay(camera_id);
      continue;
    }
    const CServerTree::Entry* e = setup_.tree->EntryOf(setup_.tree->FindServer(name));
    if (!e || !e->server.IsCamera() || DirectViewOpen(name)) continue;
    ConnectSaved(nullptr, e->server, false);
  }
}

}  // namespace app
