#pragma once
// The main window's server tree ("TREE_SERVER"): the server list as groups
// (level 1) and servers (level 2), and under a connected hosting server its
// cameras (level 3). It is also the live status display: servers and
// cameras are marked online and offline as connections come and go. The
// tree and the server list file change together.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/host_event_router.h"
#include "net/list_records.h"
#include "settings/server_list_store.h"

namespace app {

// What the tree asks of the main window.
class ServerTreeOwner {
 public:
  virtual ~ServerTreeOwner() = default;
  virtual void ConnectSelected() = 0;                              // menu "Connect", double click on a server
  virtual void OpenRelayView(const std::string& camera_id) = 0;    // double click on a camera
  virtual void CloseHostServer() = 0;                              // menu "Close" on a hosting server
};

// Menu commands of the tree's pop-up menus.
enum TreeCommand : int {
  kCmdConnect = 1002,
  kCmdCloseHost = 32778,
  kCmdRegisterGroup = 32780,
  kCmdModifyGroup = 32781,
  kCmdDeleteGroup = 32782,
  kCmdRegisterServer = 32783,
  kCmdModifyServer = 32785,
  kCmdDeleteServer = 32786,
};

// Images of the tree's image list, one per role.
enum TreeImage : int {
  kImageFolderClosed = 0,
  kImageFolderOpen,
  kImageHostOffline,
  kImageHostOnline,
  kImageCameraOffline,
  kImageCameraOnline,
  kImageCameraAlarm,
  kImageCount
};

class CServerTree {
 public:
  struct Entry {
    int level = 0;             // 1 group, 2 server, 3 camera
    std::string group;         // groups: the name
    settings::ServerRecord server;  // servers: their copy of the entry
    int reserved = 0;
    ConnectionKey key = kNoKey;     // servers: the connection while online
    net::CameraRecord camera;       // cameras under a hosting server
    bool view_open = false;         // cameras: a view of it is open
    bool alarm = false;             // a view of it reports a notice
    std::string info;               // the camera information text
    bool reconnecting = false;      // servers: the lost hosting connection is being restored
  };

  CServerTree() = default;
  ~CServerTree();
  CServerTree(const CServerTree&) = delete;
  CServerTree& operator=(const CServerTree&) = delete;

  // `tree` is the control; `owner_window` receives the tree's notifications
  // and the posted message that reopens a label editor.
  void Attach(HWND tree, HWND owner_window, HINSTANCE instance, ServerTreeOwner* owner);
  // The server list beside the program: each group in order with its
  // servers offline, expanded.
  void Load(const std::string& program_dir);
  HWND hwnd() const { return tree_; }
  settings::ServerListStore& store() { return store_; }

  // ---- events ----
  void SetHostOnline(const std::string& address, int port, ConnectionKey key);
  void SetServerOffline(ConnectionKey key);
  // The hosting server entry at `address`:`port` shows "(Reconnecting)" while its lost connection is restored.
  void SetHostReconnecting(const std::string& address, int port, bool reconnecting);
  // The entry named `name` when there is one (the view knows its entry);
  // otherwise the selected server, else the first camera server in tree
  // order, whose IP (match_mode 0) or MAC (1) is `text`.
  void SetCameraServerOnline(const std::string& name, const std::string& text, int match_mode, ConnectionKey key);
  void AddCameras(ConnectionKey key, const std::vector<net::CameraRecord>& cameras);
  void AddCamera(ConnectionKey key, const net::CameraRecord& camera);
  void RemoveCamera(const std::string& camera_id);
  void SetCameraOnline(const std::string& camera_id);
  void SetCameraOffline(const std::string& camera_id);
  void SetCameraInfo(ConnectionKey key, const std::string& text);
  // Notices of open views: the entries named get the alarm image, all others lose it.
  void SetAlarms(const std::vector<std::string>& camera_ids, const std::vector<ConnectionKey>& server_keys);

  // ---- queries ----
  int Level(HTREEITEM item) const;
  HTREEITEM Selected() const;
  const Entry* EntryOf(HTREEITEM item) const;
  HTREEITEM FindServer(const std::string& name) const;
  HTREEITEM FindServerByKey(ConnectionKey key) const;
  HTREEITEM FindCamera(const std::string& camera_id) const;
  // The group a server sits in.
  std::string GroupOf(HTREEITEM server) const;
  std::vector<HTREEITEM> Children(HTREEITEM parent) const;
  std::string Text(HTREEITEM item) const;
  // Online camera servers and their keys.
  std::vector<ConnectionKey> OnlineCameraServerKeys() const;
  // The cameras listed under the server of `key`.
  std::vector<std::string> CameraIds(ConnectionKey key) const;
  bool IsHostGroup(HTREEITEM group) const;
  void Select(HTREEITEM item);

  // ---- user interface ----
  // The tree's notifications (from the owner window); true when handled.
  bool OnNotify(NMHDR* header, LRESULT* result);
  // The pop-up menu of a group or a server (null for other nodes), with
  // its items greyed as the node's state says. The caller destroys it.
  HMENU BuildMenu(HTREEITEM item) const;
  // A menu command on the selected node.
  void OnMenuCommand(int command);
  // What the mouse does on a node: a click on a group or server toggles
  // its expansion; a double click connects a server or opens a camera; the
  // right button selects the node, then shows its menu.
  void Click(HTREEITEM item);
  void DoubleClick(HTREEITEM item);
  void RightClick(HTREEITEM item);
  // The posted message that reopens a label editor.
  static constexpr UINT kWmEditAgain = WM_APP + 40;
  void EditAgain();

 private:
  HTREEITEM Insert(HTREEITEM parent, Entry entry);
  void Refresh(HTREEITEM item);
  void SetOnline(HTREEITEM server, ConnectionKey key);
  void DeleteChildren(HTREEITEM item);
  void Expand(HTREEITEM item);
  std::vector<HTREEITEM> AllServers() const;
  HTREEITEM ServerWhere(const std::function<bool(const Entry&)>& match) const;

  void ShowMenu(HTREEITEM item);
  // The node under the pointer of the message being handled.
  HTREEITEM ItemAtMessage(UINT* flags) const;
  void RegisterGroup();
  void ModifyGroup(HTREEITEM group);
  void DeleteGroup(HTREEITEM group);
  void RegisterServer(HTREEITEM group);
  void ModifyServer(HTREEITEM server);
  void DeleteServer(HTREEITEM server);
  void StartEditing(HTREEITEM item, const std::string& text);
  bool OnBeginLabelEdit(const NMTVDISPINFOW& info);
  void OnEndLabelEdit(const NMTVDISPINFOW& info);
  void OnCustomDraw(NMTVCUSTOMDRAW* draw, LRESULT* result) const;
  void OnClick(bool double_click);
  void OnInfoTip(NMTVGETINFOTIPW* tip) const;

  HWND tree_ = nullptr;
  HWND owner_window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  ServerTreeOwner* owner_ = nullptr;
  HIMAGELIST images_ = nullptr;
  settings::ServerListStore store_;
  std::map<HTREEITEM, Entry> entries_;

  // Label editing of a group: which node, whether it is new, its old name,
  // and the text to offer when the editor opens again.
  HTREEITEM editing_ = nullptr;
  bool editing_new_ = false;
  std::string edit_again_text_;
  bool edit_again_pending_ = false;
};

}  // namespace app
