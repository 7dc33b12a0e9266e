#pragma once
// The main window's server tree ("TREE_SERVER"): the Win32 drawing of the
// server tree's model (app/server_tree_model.h). It mirrors each node of
// the model as a tree item, draws the labels, images and group colour,
// shows the info tips and pop-up menus, opens the label editor and the
// server dialogs, and hands the mouse's and the menus' requests to the
// model and the main window. It owns the server list file, whose store
// needs Windows, and gives the model its interface.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "app/host_event_router.h"
#include "app/server_tree_model.h"
#include "net/list_records.h"
#include "settings/win32/server_list_store.h"

namespace app {

// What the tree asks of the main window.
class ServerTreeOwner {
 public:
  virtual ~ServerTreeOwner() = default;
  virtual void ConnectSelected() = 0;                              // menu "Connect", double click on a server
  virtual void OpenRelayView(const std::string& camera_id) = 0;    // double click on a camera
  virtual void CloseHostServer() = 0;                              // menu "Close" on a hosting server
  // A camera's "Record by Plan" menu: a camera entry (its name) or a hosting server's camera (its id).
  virtual void SetPlan(bool /*hosted*/, const std::string& /*name*/, node::PlanMode /*mode*/) {}
  // Its "Recording Plan..." item: the plan dialog.
  virtual void EditPlan(bool /*hosted*/, const std::string& /*name*/) {}
  // A camera is dragged out of the tree (to a wall's cell): the owner takes the mouse.
  virtual void BeginCameraDrag(bool /*hosted*/, const std::string& /*name*/) {}
};

class CServerTree : private ServerTreeView {
 public:
  using Entry = ServerTreeEntry;

  CServerTree() { model_.SetView(this); }
  ~CServerTree() override;
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

  // The entries and their state; the control follows every change. The
  // hosting client's other events (cameras, their state, alarms, plans)
  // go to it directly.
  ServerTreeModel& model() { return model_; }
  const ServerTreeModel& model() const { return model_; }

  // ---- events that depend on the selected entry ----
  void SetHostOnline(const std::string& address, int port, ConnectionKey key);
  // The entry named `name` when there is one (the view knows its entry);
  // otherwise the selected server, else the first camera server in tree
  // order, whose IP (match_mode 0) or MAC (1) is `text`.
  void SetCameraServerOnline(const std::string& name, const std::string& text, int match_mode, ConnectionKey key);

  // ---- queries ----
  int Level(HTREEITEM item) const;
  HTREEITEM Selected() const;
  const Entry* EntryOf(HTREEITEM item) const;
  HTREEITEM FindServer(const std::string& name) const;
  HTREEITEM FindCamera(const std::string& camera_id) const;
  std::vector<HTREEITEM> Children(HTREEITEM parent) const;
  void Select(HTREEITEM item);
  // The keyboard's ways to what the mouse does: Enter acts as a double click
  // on the selected entry, the context-menu key opens its menu.
  void ActivateSelected();
  void ShowMenuOfSelected();
  // The items of the entry's menu (a wall's cell shows a camera's plan items).
  std::vector<TreeMenuItem> MenuOf(HTREEITEM item) const;

  // ---- user interface ----
  // The tree's notifications (from the owner window); true when handled.
  bool OnNotify(NMHDR* header, LRESULT* result);
  // The pop-up menu of a group or a server (null for other nodes), with
  // its items greyed as the node's state says. The caller destroys it.
  HMENU BuildMenu(HTREEITEM item) const;
  // A menu command on the selected node.
  void OnMenuCommand(int command);
  // A "Record by Plan" command on a camera, handed to the owner.
  void SetPlanOf(TreeNodeId node, int command);
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
  // ---- mirroring the model ----
  void NodeAdded(TreeNodeId id) override;
  void NodeChanged(TreeNodeId id) override;
  void NodeRemoving(TreeNodeId id) override;
  void NodeExpanded(TreeNodeId id) override;
  HTREEITEM ItemOf(TreeNodeId id) const;
  TreeNodeId IdOf(HTREEITEM item) const;
  void Refresh(HTREEITEM item);
  void Expand(HTREEITEM item);

  // At `at` (screen), else where the pointer is.
  void ShowMenu(HTREEITEM item, const POINT* at = nullptr);
  // The node under the pointer of the message being handled.
  HTREEITEM ItemAtMessage(UINT* flags) const;
  void DeleteGroup(TreeNodeId group);
  void RegisterServer(TreeNodeId group);
  void ModifyServer(TreeNodeId server);
  void DeleteServer(TreeNodeId server);
  void StartEditing(HTREEITEM item, const std::string& offered);
  void OnEndLabelEdit(const NMTVDISPINFOW& info);
  void OnCustomDraw(NMTVCUSTOMDRAW* draw, LRESULT* result) const;
  void OnInfoTip(NMTVGETINFOTIPW* tip) const;

  HWND tree_ = nullptr;
  HWND owner_window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  ServerTreeOwner* owner_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HIMAGELIST plan_images_ = nullptr;  // the state images: a camera's plan
  // Before the model, which keeps it in step.
  settings::ServerListStore store_;
  ServerTreeModel model_{store_};
  std::map<TreeNodeId, HTREEITEM> items_;
  std::map<HTREEITEM, TreeNodeId> ids_;
};

}  // namespace app
