#pragma once
// What the main window's server tree shows and its rules, without a window:
// the server list as groups (level 1) and servers (level 2), and under a
// connected hosting server its cameras (level 3); which servers and cameras
// are online, reconnecting or alarmed; the groups and servers the user
// registers, renames and deletes, kept in step with the server list; and
// the label editor's states. The nodes themselves and the lookups over them
// are ServerTreeNodes' (app/server_tree_nodes.h). A view (app/server_tree.h)
// draws it and hears of each change through ServerTreeView.
#include <string>
#include <vector>

#include "app/server_tree_nodes.h"
#include "node/storage/recording_plan.h"
#include "settings/server_list.h"
#include "settings/text_table.h"

namespace app {

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
  // A camera's recording plan, one mode each.
  kCmdPlanOff = 32790,
  kCmdPlanContinuous = 32791,
  kCmdPlanMotion = 32792,
  kCmdPlanContinuousMotion = 32793,
  kCmdPlanEdit = 32794,  // the plan dialog: a schedule, the files' length
};

// The plan mode a plan command sets; false for other commands.
bool PlanModeOfCommand(int command, node::PlanMode* mode);

// State images beside a camera whose plan is in force (0: none).
enum PlanImage : int { kPlanImageNone = 0, kPlanImageRecording, kPlanImageWaiting, kPlanImageFailed, kPlanImageCount };

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

// The words a server's label ends with, as the settings file words them.
struct TreeStateWords {
  std::string online, offline, reconnecting;
};

std::string LabelOf(const ServerTreeEntry& entry, const TreeStateWords& words);
TreeImage ImageOf(const ServerTreeEntry& entry, bool expanded);
PlanImage PlanImageOf(const ServerTreeEntry& entry);
// The info tip: the information text, and for a camera its record's texts, one a line.
std::string InfoTipOf(const ServerTreeEntry& entry);

// One line of a node's pop-up menu; a separator has no command.
struct TreeMenuItem {
  int command = 0;
  const settings::TextId* label = nullptr;
  bool enabled = true;
  bool checked = false;
  bool operator==(const TreeMenuItem&) const = default;
};

// How a label edit ended, for the view to act on.
struct LabelEditEnd {
  // The editor must open again (the name was refused); the view posts
  // itself a reminder, as an editor cannot reopen while it is closing.
  bool edit_again = false;
  const settings::TextId* message = nullptr;  // why the name was refused, if the user is told
  std::vector<std::string> message_args;
};

// The nodes and their lookups are ServerTreeNodes'; the model adds the
// rules of what the connections and the user change.
class ServerTreeModel : public ServerTreeNodes {
 public:
  // The list outlives the model; it is written at every change the user makes.
  explicit ServerTreeModel(settings::ServerList& list) : list_(list) {}
  // Each group of the list in order with its servers offline, expanded.
  void Load();

  // ---- connection events ----
  // `selected` is the node the user has selected: when it matches too, it
  // is the one meant (two entries may name one address).
  void SetHostOnline(const std::string& address, int port, ConnectionKey key, TreeNodeId selected);
  // The server loses its key, its alarm and its cameras.
  void SetServerOffline(ConnectionKey key);
  void SetHostReconnecting(const std::string& address, int port, bool reconnecting);
  // The entry named `name` when there is one (the view knows its entry);
  // otherwise the selected server, else the first camera server in tree
  // order, whose IP (match_mode 0) or MAC (1) is `text`.
  void SetCameraServerOnline(const std::string& name, const std::string& text, int match_mode, ConnectionKey key,
                             TreeNodeId selected);
  // Cameras already listed under the server are not listed twice.
  void AddCameras(ConnectionKey key, const std::vector<net::CameraRecord>& cameras);
  void AddCamera(ConnectionKey key, const net::CameraRecord& camera);
  void RemoveCamera(const std::string& camera_id);
  void SetCameraOnline(const std::string& camera_id);
  void SetCameraOffline(const std::string& camera_id);
  void SetCameraInfo(ConnectionKey key, const std::string& text);
  // Notices of open views: the entries named get the alarm, all others lose it.
  void SetAlarms(const std::vector<std::string>& camera_ids, const std::vector<ConnectionKey>& server_keys);
  // The recording plan of a camera entry (by its name) or a hosting
  // server's camera (by its id), and its state; nothing when none is listed.
  void SetPlan(bool hosted, const std::string& name, const node::RecordingPlan& plan, node::PlanStateKind state);

  // ---- the user's changes ----
  // The pop-up menu of a group, a server or a camera, with what the node
  // cannot do disabled; a camera's ends with its recording plans.
  std::vector<TreeMenuItem> MenuOf(TreeNodeId id) const;
  // Adds a group with a placeholder name and opens its label editor.
  TreeNodeId RegisterGroup();
  // Opens the label editor of a group that may be renamed; false otherwise.
  bool ModifyGroup(TreeNodeId group);
  // Null when the group went (with its entry in the list); otherwise why not.
  const settings::TextId* DeleteGroup(TreeNodeId group);
  // The server type a group's new entries take.
  std::string NewServerType(TreeNodeId group) const;
  bool NameTaken(const std::string& name) const { return list_.Exists(name); }
  TreeNodeId RegisterServer(TreeNodeId group, const settings::ServerRecord& record);
  void ModifyServer(TreeNodeId server, const settings::ServerRecord& record);
  void DeleteServer(TreeNodeId server);

  // ---- label editing ----
  // Only the node whose editor the model opened may be edited: a click on
  // a selected server never renames it.
  bool MayEditLabel(TreeNodeId id) const { return id != kNoNode && id == editing_; }
  TreeNodeId Editing() const { return editing_; }
  // `typed` is null when the edit was cancelled.
  LabelEditEnd EndLabelEdit(TreeNodeId id, const std::string* typed);
  // After a refused name: the node to edit again (kNoNode if it went) and the text to offer.
  TreeNodeId EditAgain(std::string* offered);

 private:
  template <typename Match>
  TreeNodeId SelectedOrFirst(TreeNodeId selected, const Match& match) const;
  void SetOnline(TreeNodeId server, ConnectionKey key);
  // Stores a group name typed in the editor; false when the list refuses it.
  bool StoreGroupName(const ServerTreeEntry& group, const std::string& typed);

  settings::ServerList& list_;

  // Label editing of a group: which node, whether it is new (a cancelled
  // new group goes), and the text to offer when the editor opens again.
  TreeNodeId editing_ = kNoNode;
  bool editing_new_ = false;
  std::string edit_again_text_;
  bool edit_again_pending_ = false;
};

}  // namespace app
