// The server tree's rules without a window: which entry a connection
// belongs to, the cameras of a hosting server, alarms, the menus' enabled
// commands, group label editing and the servers registered, modified and
// deleted, each in step with the server list; and that a view hearing the
// model's changes always holds the model's tree.
#include "app/server_tree_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace app {
namespace {

using settings::ServerRecord;
namespace text = settings::text;

// The server list in memory, with the file store's rules: names are one
// name space and compare without regard to case.
class MemoryServerList : public settings::ServerList {
 public:
  struct Group {
    std::string name;
    std::vector<ServerRecord> servers;
  };
  std::vector<Group> groups;

  std::vector<std::string> GetGroups() const override {
    std::vector<std::string> names;
    for (const Group& g : groups) names.push_back(g.name);
    return names;
  }
  std::vector<ServerRecord> GetServers(const std::string& group) const override {
    const Group* g = Find(group);
    return g ? g->servers : std::vector<ServerRecord>{};
  }
  bool Exists(const std::string& name) const override {
    if (name.empty()) return false;
    for (const Group& g : groups)
      if (Same(g.name, name) || std::any_of(g.servers.begin(), g.servers.end(),
                                            [&](const ServerRecord& s) { return Same(s.name, name); }))
        return true;
    return false;
  }
  bool AddGroup(const std::string& name) override {
    if (Exists(name)) return false;
    groups.push_back({name, {}});
    return true;
  }
  bool RenameGroup(const std::string& old_name, const std::string& new_name) override {
    Group* g = Find(old_name);
    if (!g || (Exists(new_name) && !Same(old_name, new_name))) return false;
    g->name = new_name;
    return true;
  }
  bool DeleteGroup(const std::string& group) override {
    return std::erase_if(groups, [&](const Group& g) { return Same(g.name, group); }) > 0;
  }
  bool AddServer(const std::string& group, const ServerRecord& record) override {
    Group* g = Find(group);
    if (!g || record.name.empty()) return false;
    g->servers.push_back(record);
    return true;
  }
  bool ModifyServer(const std::string& group, const std::string& old_name, const ServerRecord& record) override {
    Group* g = Find(group);
    if (!g) return false;
    for (ServerRecord& s : g->servers)
      if (Same(s.name, old_name)) s = record;
    return true;
  }
  bool DeleteServer(const std::string& group, const std::string& name) override {
    Group* g = Find(group);
    return g && std::erase_if(g->servers, [&](const ServerRecord& s) { return Same(s.name, name); }) > 0;
  }

 private:
  static bool Same(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(x) == std::tolower(y); });
  }
  const Group* Find(const std::string& name) const {
    auto it = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return Same(g.name, name); });
    return it == groups.end() ? nullptr : &*it;
  }
  Group* Find(const std::string& name) { return const_cast<Group*>(std::as_const(*this).Find(name)); }
};

// Builds its own tree from the model's reports alone, as the window does.
class MirrorView : public ServerTreeView {
 public:
  explicit MirrorView(const ServerTreeModel& model) : model_(model) {}
  std::map<TreeNodeId, std::vector<TreeNodeId>> children;  // kNoNode: the groups
  std::vector<TreeNodeId> changed, expanded;

  void NodeAdded(TreeNodeId id) override {
    ASSERT_NE(model_.EntryOf(id), nullptr) << "reported before it exists";
    children[model_.ParentOf(id)].push_back(id);
  }
  void NodeChanged(TreeNodeId id) override { changed.push_back(id); }
  void NodeRemoving(TreeNodeId id) override {
    ASSERT_NE(model_.EntryOf(id), nullptr) << "reported after it went";
    EXPECT_TRUE(children[id].empty()) << "its children go first";
    children.erase(id);
    std::erase(children[model_.ParentOf(id)], id);
  }
  void NodeExpanded(TreeNodeId id) override { expanded.push_back(id); }

 private:
  const ServerTreeModel& model_;
};

const TreeStateWords kWords{"(Online)", "(Offline)", "(Reconnecting)"};

ServerRecord Record(const std::string& name, int port, const char* type, const std::string& mac = "") {
  return {name, "127.0.0.1", port, type, false, mac};
}

class ServerTreeModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list_.groups = {{"Host Server", {Record("Demo server", 1, settings::kHostServerType)}},
                    {"Cameras",
                     {Record("Demo camera", 2, settings::kCameraServerType, "00:11:22:33:44:55"),
                      Record("Second camera", 3, settings::kCameraServerType)}}};
    model_.SetView(&view_);
    model_.Load();
  }
  void TearDown() override { ExpectMirrored(kNoNode); }

  // The view's tree is the model's, node for node and in order.
  void ExpectMirrored(TreeNodeId parent) {
    EXPECT_EQ(view_.children[parent], model_.ChildrenOf(parent)) << "under node " << parent;
    for (TreeNodeId child : model_.ChildrenOf(parent)) ExpectMirrored(child);
  }

  TreeNodeId Group(size_t i) { return model_.ChildrenOf(kNoNode).at(i); }
  TreeNodeId Server(const std::string& name) { return model_.FindServer(name); }
  std::string Label(TreeNodeId id) {
    const ServerTreeEntry* e = model_.EntryOf(id);
    return e ? LabelOf(*e, kWords) : "(gone)";
  }
  std::vector<std::string> Labels(TreeNodeId parent) {
    std::vector<std::string> labels;
    for (TreeNodeId id : model_.ChildrenOf(parent)) labels.push_back(Label(id));
    return labels;
  }
  // Menu items as "text:on" or "text:grey", separators left out.
  std::vector<std::string> MenuOf(TreeNodeId id) {
    std::vector<std::string> items;
    for (const TreeMenuItem& item : model_.MenuOf(id))
      if (item.label)
        items.push_back(std::string(item.label->default_text) + (item.enabled ? ":on" : ":grey") +
                        (item.checked ? ":checked" : ""));
    return items;
  }
  // Types a name into the open editor of a group and closes it.
  LabelEditEnd Type(const std::string& name) { return model_.EndLabelEdit(model_.Editing(), &name); }
  // The reminder the view posted itself after a refused name arrives.
  std::string EditAgain() {
    std::string offered = "(nothing)";
    EXPECT_EQ(model_.EditAgain(&offered), model_.Editing());
    return offered;
  }
  static node::RecordingPlan Plan(node::PlanMode mode) {
    node::RecordingPlan plan;
    plan.mode = mode;
    return plan;
  }
  net::CameraRecord Camera(const std::string& id) {
    net::CameraRecord camera;
    camera.camera_id = id;
    return camera;
  }

  MemoryServerList list_;
  ServerTreeModel model_{list_};
  MirrorView view_{model_};
};

TEST_F(ServerTreeModelTest, TheServerListLoadsAsGroupsOfOfflineServersEachExpanded) {
  EXPECT_EQ(Labels(kNoNode), (std::vector<std::string>{"Host Server", "Cameras"}));
  EXPECT_EQ(Labels(Group(0)), std::vector<std::string>{"Demo server (Offline)"});
  EXPECT_EQ(Labels(Group(1)), (std::vector<std::string>{"Demo camera (Offline)", "Second camera (Offline)"}));
  EXPECT_EQ(model_.Level(Group(1)), 1);
  EXPECT_EQ(model_.Level(Server("Demo camera")), 2);
  EXPECT_EQ(model_.GroupOf(Server("Demo camera")), "Cameras");
  EXPECT_EQ(view_.expanded, (std::vector<TreeNodeId>{Group(0), Group(1)}));
  EXPECT_TRUE(model_.IsHostGroup(Group(0)));
  EXPECT_FALSE(model_.IsHostGroup(Group(1)));
  EXPECT_FALSE(model_.IsHostGroup(Server("Demo server")));
}

TEST_F(ServerTreeModelTest, MenusDisableWhatTheNodeCannotDo) {
  EXPECT_EQ(MenuOf(Group(0)), (std::vector<std::string>{"Register Group:on", "Modify Group:grey", "Delete Group:grey",
                                                         "Register Server:on"}));
  EXPECT_EQ(MenuOf(Group(1)), (std::vector<std::string>{"Register Group:on", "Modify Group:on", "Delete Group:on",
                                                         "Register Server:on"}));
  EXPECT_EQ(MenuOf(Server("Demo server")),
            (std::vector<std::string>{"Modify:on", "Delete:on", "Connect:on", "Close:grey"}));
  EXPECT_EQ(MenuOf(Server("Demo camera")),
            (std::vector<std::string>{"Modify:on", "Delete:on", "Connect:on", "Record by Plan: Off:on:checked",
                                      "Record by Plan: Continuous:on", "Record by Plan: On Motion:on",
                                      "Record by Plan: Continuous, Motion Marked:on", "Recording Plan...:on"}));
  model_.SetHostOnline("127.0.0.1", 1, 555, kNoNode);
  EXPECT_EQ(MenuOf(Server("Demo server")),
            (std::vector<std::string>{"Modify:on", "Delete:on", "Connect:grey", "Close:on"}));
  model_.AddCamera(555, Camera("CAM-A"));
  model_.SetPlan(true, "CAM-A", Plan(node::PlanMode::kMotion), node::PlanStateKind::kWaiting);
  EXPECT_EQ(MenuOf(model_.FindCamera("CAM-A")),
            (std::vector<std::string>{"Record by Plan: Off:on", "Record by Plan: Continuous:on",
                                      "Record by Plan: On Motion:on:checked",
                                      "Record by Plan: Continuous, Motion Marked:on", "Recording Plan...:on"}));
  node::RecordingPlan week = Plan(node::PlanMode::kOff);
  week.scheduled = true;
  week.week[0][9] = node::PlanMode::kMotion;
  model_.SetPlan(true, "CAM-A", week, node::PlanStateKind::kOff);
  EXPECT_EQ(MenuOf(model_.FindCamera("CAM-A")).back(), "Recording Plan...:on:checked") << "a schedule is no single mode";
  EXPECT_EQ(PlanImageOf(*model_.EntryOf(model_.FindCamera("CAM-A"))), kPlanImageWaiting);
  EXPECT_TRUE(model_.MenuOf(kNoNode).empty());
}

// The image beside a camera follows its plan's state; a plan set on a name
// no camera entry has (a hosting server's) marks nothing.
TEST_F(ServerTreeModelTest, APlansStateMarksItsCameraOnly) {
  model_.SetHostOnline("127.0.0.1", 1, 555, kNoNode);
  model_.AddCamera(555, Camera("Demo server"));
  const TreeNodeId camera = Server("Demo camera"), hosted = model_.FindCamera("Demo server");
  EXPECT_EQ(PlanImageOf(*model_.EntryOf(camera)), kPlanImageNone);
  const std::pair<node::PlanStateKind, PlanImage> states[] = {{node::PlanStateKind::kRecording, kPlanImageRecording},
                                                              {node::PlanStateKind::kWaiting, kPlanImageWaiting},
                                                              {node::PlanStateKind::kOff, kPlanImageWaiting},
                                                              {node::PlanStateKind::kFailed, kPlanImageFailed}};
  for (const auto& [state, image] : states) {
    view_.changed.clear();
    model_.SetPlan(false, "Demo camera", Plan(node::PlanMode::kContinuous), state);
    EXPECT_EQ(PlanImageOf(*model_.EntryOf(camera)), image);
    EXPECT_EQ(view_.changed, std::vector<TreeNodeId>{camera});
  }
  model_.SetPlan(false, "Demo server", Plan(node::PlanMode::kContinuous), node::PlanStateKind::kRecording);
  EXPECT_EQ(PlanImageOf(*model_.EntryOf(Server("Demo server"))), kPlanImageNone) << "a hosting server has no plan";
  EXPECT_EQ(PlanImageOf(*model_.EntryOf(hosted)), kPlanImageNone) << "the hosted camera of that name was marked";
  model_.SetPlan(false, "Demo camera", Plan(node::PlanMode::kOff), node::PlanStateKind::kOff);
  EXPECT_EQ(PlanImageOf(*model_.EntryOf(camera)), kPlanImageNone);
}

TEST_F(ServerTreeModelTest, GroupsAreDeletedOnlyWhenEmptyAndNeverTheFirst) {
  EXPECT_EQ(model_.DeleteGroup(Group(0)), &text::kTreeErrorDeleteServerGroup);
  EXPECT_EQ(model_.DeleteGroup(Group(1)), &text::kTreeErrorDeleteGroupNotEmpty);
  EXPECT_EQ(model_.ChildrenOf(kNoNode).size(), 2u);
  EXPECT_EQ(list_.GetGroups().size(), 2u);
  EXPECT_EQ(model_.DeleteGroup(Server("Demo camera")), nullptr) << "a server is no group";
  EXPECT_NE(Server("Demo camera"), kNoNode);
}

TEST_F(ServerTreeModelTest, ANewGroupIsNamedInPlaceUntilItsNameIsFree) {
  const TreeNodeId added = model_.RegisterGroup();
  EXPECT_EQ(Labels(kNoNode).back(), "new1");
  EXPECT_TRUE(model_.MayEditLabel(added));
  EXPECT_FALSE(model_.MayEditLabel(Group(1))) << "only the group the menu opened";

  LabelEditEnd end = Type("Cameras");
  EXPECT_TRUE(end.edit_again);
  EXPECT_EQ(end.message, &text::kTreeErrorGroupAlreadyExist);
  EXPECT_EQ(end.message_args, std::vector<std::string>{"Cameras"});
  EXPECT_EQ(EditAgain(), "Cameras") << "the editor opens again with what was typed";

  end = Type("");
  EXPECT_TRUE(end.edit_again) << "an empty name reopens the editor";
  EXPECT_EQ(end.message, nullptr);
  EditAgain();
  end = Type("Demo camera");
  EXPECT_EQ(end.message, &text::kTreeErrorGroupAlreadyExist) << "server names are taken too";
  EditAgain();
  end = Type("Yard");
  EXPECT_FALSE(end.edit_again);
  EXPECT_EQ(model_.Editing(), kNoNode);
  EXPECT_EQ(Labels(kNoNode), (std::vector<std::string>{"Host Server", "Cameras", "Yard"}));
  EXPECT_EQ(list_.GetGroups(), (std::vector<std::string>{"Host Server", "Cameras", "Yard"}));

  // Renamed, then deleted while empty.
  ASSERT_TRUE(model_.ModifyGroup(Group(2)));
  Type("Garden");
  EXPECT_EQ(list_.GetGroups(), (std::vector<std::string>{"Host Server", "Cameras", "Garden"}));
  EXPECT_EQ(model_.DeleteGroup(Group(2)), nullptr);
  EXPECT_EQ(list_.GetGroups(), (std::vector<std::string>{"Host Server", "Cameras"}));
  EXPECT_EQ(model_.ChildrenOf(kNoNode).size(), 2u);
}

// Closing an editor can report its end twice; the second report must not
// store a name or take a new group away while the editor is to reopen.
TEST_F(ServerTreeModelTest, OnlyTheFirstReportOfAnEditsEndCounts) {
  const TreeNodeId added = model_.RegisterGroup();
  Type("Cameras");
  const std::string yard = "Yard";
  EXPECT_FALSE(model_.EndLabelEdit(added, &yard).edit_again);
  EXPECT_FALSE(model_.EndLabelEdit(added, nullptr).edit_again);
  EXPECT_EQ(Label(added), "new1");
  EXPECT_EQ(list_.GetGroups().size(), 2u);
  EXPECT_EQ(EditAgain(), "Cameras");
  Type("Yard");
  EXPECT_EQ(Label(added), "Yard");
}

// Names the server list could not read back as typed are refused where they
// are typed; another case of a group's own name is a rename, not a clash.
TEST_F(ServerTreeModelTest, GroupNamesTheListCannotHoldAreRefusedAndCaseChangesAllowed) {
  model_.RegisterGroup();
  for (const char* name : {"a=b", "Yard]", " Yard", "Yard "}) {
    const LabelEditEnd end = Type(name);
    EXPECT_EQ(end.message, &text::kTreeErrorInvalidGroupName) << name;
    EXPECT_TRUE(end.edit_again) << name << ": the editor opens again";
    EditAgain();
  }
  Type("Yard");
  EXPECT_EQ(list_.GetGroups(), (std::vector<std::string>{"Host Server", "Cameras", "Yard"}));

  ASSERT_TRUE(model_.ModifyGroup(Group(1)));
  const LabelEditEnd end = Type("CAMERAS");
  EXPECT_EQ(end.message, nullptr);
  EXPECT_FALSE(end.edit_again);
  EXPECT_EQ(Labels(kNoNode), (std::vector<std::string>{"Host Server", "CAMERAS", "Yard"}));
  EXPECT_EQ(list_.GetGroups(), (std::vector<std::string>{"Host Server", "CAMERAS", "Yard"}));
  EXPECT_EQ(Labels(Group(1)), (std::vector<std::string>{"Demo camera (Offline)", "Second camera (Offline)"}));
  EXPECT_EQ(list_.GetServers("CAMERAS").size(), 2u) << "the group keeps its servers";
  EXPECT_FALSE(model_.ModifyGroup(Group(0))) << "the host group keeps its name";
}

TEST_F(ServerTreeModelTest, ACancelledNewGroupLeavesNoTraceAndACancelledRenameTheName) {
  const TreeNodeId added = model_.RegisterGroup();
  model_.EndLabelEdit(added, nullptr);
  EXPECT_EQ(model_.EntryOf(added), nullptr);
  EXPECT_EQ(model_.ChildrenOf(kNoNode).size(), 2u);
  EXPECT_EQ(list_.GetGroups().size(), 2u);

  ASSERT_TRUE(model_.ModifyGroup(Group(1)));
  model_.EndLabelEdit(Group(1), nullptr);
  EXPECT_EQ(Label(Group(1)), "Cameras");
  EXPECT_EQ(model_.Editing(), kNoNode);
}

TEST_F(ServerTreeModelTest, ServersAreRegisteredModifiedAndDeletedInStepWithTheList) {
  EXPECT_EQ(model_.NewServerType(Group(0)), settings::kHostServerType);
  EXPECT_EQ(model_.NewServerType(Group(1)), settings::kCameraServerType);
  EXPECT_TRUE(model_.NameTaken("demo CAMERA"));
  EXPECT_FALSE(model_.NameTaken("Gate"));

  ServerRecord gate{"Gate", "127.0.0.9", 20002, settings::kCameraServerType, false, ""};
  const TreeNodeId id = model_.RegisterServer(Group(1), gate);
  EXPECT_EQ(id, Server("Gate"));
  EXPECT_EQ(Label(id), "Gate (Offline)");
  EXPECT_EQ(list_.GetServers("Cameras").back(), gate);
  EXPECT_EQ(view_.expanded.back(), Group(1)) << "the group opens to show it";

  model_.SetCameraServerOnline("", "127.0.0.9", 0, 777, kNoNode);
  gate.name = "Gate 2";
  model_.ModifyServer(id, gate);
  EXPECT_EQ(Label(id), "Gate 2 (Online)") << "the online word stays";
  EXPECT_EQ(list_.GetServers("Cameras").back().name, "Gate 2");
  EXPECT_FALSE(list_.Exists("Gate"));

  model_.DeleteServer(id);
  EXPECT_EQ(Server("Gate 2"), kNoNode);
  EXPECT_FALSE(list_.Exists("Gate 2"));
  EXPECT_EQ(model_.RegisterServer(Server("Demo camera"), gate), kNoNode) << "servers go into groups";
}

TEST_F(ServerTreeModelTest, ClosingAHostingConnectionRemovesItsCameras) {
  model_.SetHostOnline("127.0.0.1", 1, 555, kNoNode);
  model_.AddCameras(555, {Camera("CAM-A"), Camera("CAM-B"), Camera("CAM-A")});
  EXPECT_EQ(Labels(Server("Demo server")), (std::vector<std::string>{"CAM-A", "CAM-B"}));
  EXPECT_EQ(model_.CameraIds(555), (std::vector<std::string>{"CAM-A", "CAM-B"}));
  EXPECT_EQ(view_.expanded.back(), Server("Demo server"));
  model_.SetCameraOnline("CAM-B");
  EXPECT_EQ(Label(model_.FindCamera("CAM-B")), "CAM-B (Online)");
  EXPECT_EQ(ImageOf(*model_.EntryOf(model_.FindCamera("CAM-B")), false), kImageCameraOnline);
  model_.RemoveCamera("CAM-A");
  EXPECT_EQ(model_.CameraIds(555), std::vector<std::string>{"CAM-B"});
  model_.SetServerOffline(555);
  EXPECT_TRUE(model_.ChildrenOf(Server("Demo server")).empty());
  EXPECT_EQ(Label(Server("Demo server")), "Demo server (Offline)");
  EXPECT_EQ(model_.FindCamera("CAM-B"), kNoNode);
  model_.AddCamera(555, Camera("CAM-C"));
  EXPECT_EQ(model_.FindCamera("CAM-C"), kNoNode) << "a closed connection lists nothing";
}

TEST_F(ServerTreeModelTest, AHostingServerIsFoundByAddressAndPortPreferringTheSelectedOne) {
  list_.groups[0].servers.push_back(Record("Twin server", 1, settings::kHostServerType));
  ServerTreeModel model(list_);
  model.Load();
  const TreeNodeId demo = model.FindServer("Demo server"), twin = model.FindServer("Twin server");
  model.SetHostOnline("127.0.0.1", 1, 10, twin);
  EXPECT_EQ(model.EntryOf(twin)->key, 10) << "the selected entry is the one connected";
  model.SetHostOnline("127.0.0.1", 1, 11, model.FindServer("Demo camera"));
  EXPECT_EQ(model.EntryOf(demo)->key, 11) << "else the first that matches";
  model.SetHostOnline("127.0.0.1", 9, 12, kNoNode);
  EXPECT_EQ(model.FindServerByKey(12), kNoNode) << "another port is another server";

  model.SetHostReconnecting("127.0.0.1", 1, true);
  EXPECT_EQ(LabelOf(*model.EntryOf(demo), kWords), "Demo server (Reconnecting)");
  model.SetHostReconnecting("127.0.0.1", 1, false);
  EXPECT_EQ(LabelOf(*model.EntryOf(demo), kWords), "Demo server (Online)");
}

TEST_F(ServerTreeModelTest, ACameraServerIsFoundByNameThenByItsAddressOrMac) {
  model_.SetCameraServerOnline("Second camera", "127.0.0.1", 0, 20, kNoNode);
  EXPECT_EQ(model_.FindServerByKey(20), Server("Second camera")) << "the named entry, whatever the address";
  model_.SetCameraServerOnline("", "127.0.0.1", 0, 21, Server("Second camera"));
  EXPECT_EQ(model_.FindServerByKey(21), Server("Second camera")) << "the selected entry when it matches";
  model_.SetCameraServerOnline("", "127.0.0.1", 0, 22, Server("Demo server"));
  EXPECT_EQ(model_.FindServerByKey(22), Server("Demo camera")) << "never a hosting server on the address";
  model_.SetCameraServerOnline("No such", "00:11:22:33:44:55", 1, 23, kNoNode);
  EXPECT_EQ(model_.FindServerByKey(23), Server("Demo camera")) << "by MAC";
  model_.SetCameraServerOnline("", "127.0.0.1", 1, 24, kNoNode);
  EXPECT_EQ(model_.FindServerByKey(24), kNoNode) << "an address is no MAC";
  EXPECT_EQ(model_.OnlineCameraServerKeys(), (std::vector<ConnectionKey>{23, 21}));
}

TEST_F(ServerTreeModelTest, AlarmsMarkTheNamedCamerasAndOnlineServersOnly) {
  model_.SetHostOnline("127.0.0.1", 1, 555, kNoNode);
  model_.AddCameras(555, {Camera("CAM-A"), Camera("CAM-B")});
  model_.SetCameraServerOnline("Demo camera", "", 0, 30, kNoNode);
  const TreeNodeId a = model_.FindCamera("CAM-A"), b = model_.FindCamera("CAM-B");
  const TreeNodeId demo = Server("Demo camera"), second = Server("Second camera");

  model_.SetAlarms({"CAM-A"}, {30, kNoKey});
  EXPECT_TRUE(model_.EntryOf(a)->alarm);
  EXPECT_FALSE(model_.EntryOf(b)->alarm);
  EXPECT_TRUE(model_.EntryOf(demo)->alarm);
  EXPECT_FALSE(model_.EntryOf(second)->alarm) << "an offline server is never alarmed";
  EXPECT_EQ(ImageOf(*model_.EntryOf(demo), false), kImageCameraAlarm);

  view_.changed.clear();
  model_.SetAlarms({"CAM-A"}, {30});
  EXPECT_TRUE(view_.changed.empty()) << "nothing to redraw";
  model_.SetAlarms({"CAM-B"}, {});
  EXPECT_FALSE(model_.EntryOf(a)->alarm);
  EXPECT_FALSE(model_.EntryOf(demo)->alarm);
  EXPECT_EQ(view_.changed.size(), 3u);

  model_.SetCameraOffline("CAM-B");
  EXPECT_FALSE(model_.EntryOf(b)->alarm) << "a closed view's alarm goes with it";
  model_.SetAlarms({}, {30});
  model_.SetServerOffline(30);
  EXPECT_FALSE(model_.EntryOf(demo)->alarm);
}

TEST_F(ServerTreeModelTest, TheInfoTipJoinsTheServersTextAndTheCamerasTexts) {
  model_.SetHostOnline("127.0.0.1", 1, 555, kNoNode);
  model_.SetCameraInfo(555, "Hall");
  EXPECT_EQ(InfoTipOf(*model_.EntryOf(Server("Demo server"))), "Hall");
  net::CameraRecord camera = Camera("CAM-A");
  camera.text36 = "Lobby";
  camera.text132 = "Door";
  model_.AddCamera(555, camera);
  EXPECT_EQ(InfoTipOf(*model_.EntryOf(model_.FindCamera("CAM-A"))), "Lobby\r\nDoor");
}

}  // namespace
}  // namespace app
