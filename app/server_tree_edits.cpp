// The user's changes to the server tree: its menus, groups and servers
// registered, renamed and deleted in step with the server list, and the
// label editor's states.
#include "app/server_tree_model.h"

#include "dialogs/server_info_rules.h"

namespace app {
namespace {

namespace text = settings::text;

constexpr char kNewGroupName[] = "new1";
constexpr TreeMenuItem kSeparator{};

}  // namespace

bool PlanModeOfCommand(int command, node::PlanMode* mode) {
  switch (command) {
    case kCmdPlanOff: *mode = node::PlanMode::kOff; return true;
    case kCmdPlanContinuous: *mode = node::PlanMode::kContinuous; return true;
    case kCmdPlanMotion: *mode = node::PlanMode::kMotion; return true;
    case kCmdPlanContinuousMotion: *mode = node::PlanMode::kContinuousMotion; return true;
    default: return false;
  }
}

namespace {

void AddPlanItems(const ServerTreeEntry& camera, std::vector<TreeMenuItem>* items) {
  if (!items->empty()) items->push_back(kSeparator);
  const std::pair<int, const settings::TextId*> plans[] = {{kCmdPlanOff, &text::kPlanMenuOff},
                                                           {kCmdPlanContinuous, &text::kPlanMenuContinuous},
                                                           {kCmdPlanMotion, &text::kPlanMenuMotion},
                                                           {kCmdPlanContinuousMotion, &text::kPlanMenuContinuousMotion}};
  for (const auto& [command, label] : plans) {
    node::PlanMode mode{};
    PlanModeOfCommand(command, &mode);
    items->push_back({command, label, true, !camera.plan_scheduled && camera.plan == mode});
  }
  items->push_back({kCmdPlanEdit, &text::kPlanMenuEdit, true, camera.plan_scheduled});
}

}  // namespace

std::vector<TreeMenuItem> ServerTreeModel::MenuOf(TreeNodeId id) const {
  const ServerTreeEntry* e = EntryOf(id);
  if (!e) return {};
  if (e->level == 3) {
    std::vector<TreeMenuItem> items;
    AddPlanItems(*e, &items);
    return items;
  }
  if (e->level == 1) {
    const bool renamable = !IsHostGroup(id);
    return {{kCmdRegisterGroup, &text::kGroupMenuRegister, true},
            {kCmdModifyGroup, &text::kGroupMenuModify, renamable},
            {kCmdDeleteGroup, &text::kGroupMenuDelete, renamable},
            kSeparator,
            {kCmdRegisterServer, &text::kGroupMenuRegisterServer, true}};
  }
  const bool online = e->key != kNoKey;
  std::vector<TreeMenuItem> items{{kCmdModifyServer, &text::kServerMenuModify, true},
                                  {kCmdDeleteServer, &text::kServerMenuDelete, true},
                                  kSeparator,
                                  {kCmdConnect, &text::kServerMenuConnect, !online}};
  if (!e->server.IsCamera()) items.push_back({kCmdCloseHost, &text::kServerMenuClose, online});
  if (e->server.IsCamera()) AddPlanItems(*e, &items);
  return items;
}

// ---- groups ---------------------------------------------------------------

TreeNodeId ServerTreeModel::RegisterGroup() {
  ServerTreeEntry group;
  group.level = 1;
  group.group = kNewGroupName;
  editing_ = Add(kNoNode, group);
  editing_new_ = true;
  return editing_;
}

bool ServerTreeModel::ModifyGroup(TreeNodeId group) {
  if (Level(group) != 1 || IsHostGroup(group)) return false;
  editing_ = group;
  editing_new_ = false;
  return true;
}

const settings::TextId* ServerTreeModel::DeleteGroup(TreeNodeId group) {
  if (Level(group) != 1) return nullptr;
  if (IsHostGroup(group)) return &text::kTreeErrorDeleteServerGroup;
  if (!ChildrenOf(group).empty()) return &text::kTreeErrorDeleteGroupNotEmpty;
  list_.DeleteGroup(EntryOf(group)->group);
  Remove(group);
  return nullptr;
}

// ---- servers --------------------------------------------------------------

std::string ServerTreeModel::NewServerType(TreeNodeId group) const {
  return IsHostGroup(group) ? settings::kHostServerType : settings::kCameraServerType;
}

TreeNodeId ServerTreeModel::RegisterServer(TreeNodeId group, const settings::ServerRecord& record) {
  const ServerTreeEntry* g = EntryOf(group);
  if (!g || g->level != 1) return kNoNode;
  list_.AddServer(g->group, record);
  ServerTreeEntry server;
  server.level = 2;
  server.server = record;
  const TreeNodeId id = Add(group, server);
  Expanded(group);
  return id;
}

void ServerTreeModel::ModifyServer(TreeNodeId server, const settings::ServerRecord& record) {
  ServerTreeEntry* e = MutableEntry(server);
  if (!e || e->level != 2) return;
  list_.ModifyServer(GroupOf(server), e->server.name, record);
  e->server = record;
  Changed(server);
}

void ServerTreeModel::DeleteServer(TreeNodeId server) {
  const ServerTreeEntry* e = EntryOf(server);
  if (!e || e->level != 2) return;
  list_.DeleteServer(GroupOf(server), e->server.name);
  Remove(server);
}

// ---- label editing --------------------------------------------------------

bool ServerTreeModel::StoreGroupName(const ServerTreeEntry& group, const std::string& typed) {
  if (typed.empty() || !dialogs::IsStorableListName(typed)) return false;
  if (editing_new_) return list_.AddGroup(typed);
  return typed == group.group || list_.RenameGroup(group.group, typed);
}

LabelEditEnd ServerTreeModel::EndLabelEdit(TreeNodeId id, const std::string* typed) {
  // Closing an editor can report its end twice (the editor loses the focus
  // while it is taken down); the first report decides.
  const ServerTreeEntry* e = EntryOf(id);
  if (!MayEditLabel(id) || !e || edit_again_pending_) return {};
  if (!typed) {
    // Cancelled: a new group that was never stored goes; a rename leaves the name.
    editing_ = kNoNode;
    if (editing_new_) Remove(id);
    return {};
  }
  if (!StoreGroupName(*e, *typed)) {
    LabelEditEnd end;
    end.edit_again = true;
    if (!dialogs::IsStorableListName(*typed)) {
      end.message = &text::kTreeErrorInvalidGroupName;
    } else if (!typed->empty()) {
      end.message = &text::kTreeErrorGroupAlreadyExist;
      end.message_args = {*typed};
    }
    edit_again_text_ = *typed;
    edit_again_pending_ = true;
    return end;
  }
  MutableEntry(id)->group = *typed;
  editing_ = kNoNode;
  editing_new_ = false;
  Changed(id);
  return {};
}

TreeNodeId ServerTreeModel::EditAgain(std::string* offered) {
  edit_again_pending_ = false;
  if (!EntryOf(editing_)) return kNoNode;
  *offered = edit_again_text_;
  return editing_;
}

}  // namespace app
