// The server tree's drawing in the real main window: node texts and
// images, the menus and their greying, the label editor, the messages, and
// the server entries registered, modified and deleted through their
// dialogs, each in step with the server list file. The rules themselves are
// checked natively against the model (server_tree_model_test.cpp).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/tests/shell_fixture.h"
#include "dialogs/win32/dialog_ids.h"

namespace app::testing {
namespace {

using namespace dialogs::testing;

class TreeTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    OpenMain();
  }
  CServerTree& tree() { return main_->tree(); }
  HTREEITEM Group(int i) { return tree().Children(nullptr)[static_cast<size_t>(i)]; }
  std::vector<std::string> Groups() {
    std::vector<std::string> names;
    for (HTREEITEM g : tree().Children(nullptr)) names.push_back(TextOf(g));
    return names;
  }
  // Menu item states of the node's menu: "text:enabled" or "text:grey".
  std::vector<std::string> MenuOf(HTREEITEM item) {
    HMENU menu = tree().BuildMenu(item);
    std::vector<std::string> items;
    if (!menu) return items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[64] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
      if (!text[0]) continue;
      const bool grey = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED;
      items.push_back(win32::Narrow(text) + (grey ? ":grey" : ":on"));
    }
    DestroyMenu(menu);
    return items;
  }
  HWND Editor() { return TreeView_GetEditControl(tree().hwnd()); }
  // Types into the open label editor and closes it as Enter does.
  void Type(const std::string& text) {
    ASSERT_NE(Editor(), nullptr) << "no label editor open";
    SetText(Editor(), text);
    TreeView_EndEditLabelNow(tree().hwnd(), FALSE);
    PumpFor(30);
  }
  int ImageOf(HTREEITEM item) {
    TVITEMW tv{};
    tv.mask = TVIF_IMAGE;
    tv.hItem = item;
    TreeView_GetItem(tree().hwnd(), &tv);
    return tv.iImage;
  }
};

TEST_F(TreeTest, TheServerListLoadsAsGroupsOfOfflineServersWhoseMenusGreyWhatTheModelDisables) {
  EXPECT_EQ(Groups(), (std::vector<std::string>{"Host Server", "Cameras"}));
  EXPECT_EQ(ChildTexts(Group(0)), std::vector<std::string>{"Demo server (Offline)"});
  EXPECT_EQ(ChildTexts(Group(1)), (std::vector<std::string>{"Demo camera (Offline)", "Second camera (Offline)"}));
  EXPECT_TRUE(TreeView_GetItemState(tree().hwnd(), Group(0), TVIS_BOLD) & TVIS_BOLD);
  EXPECT_TRUE(TreeView_GetItemState(tree().hwnd(), Group(1), TVIS_EXPANDED) & TVIS_EXPANDED);
  EXPECT_EQ(ImageOf(Group(1)), kImageFolderOpen);
  EXPECT_EQ(ImageOf(Server("Demo server")), kImageHostOffline);
  EXPECT_EQ(ImageOf(Server("Demo camera")), kImageCameraOffline);
  tree().Click(Group(1));
  EXPECT_EQ(ImageOf(Group(1)), kImageFolderClosed) << "a click folds the group";

  // The menus grey what the model disables.
  tree().SetHostOnline("127.0.0.1", 1, 555);
  EXPECT_EQ(MenuOf(Server("Demo server")),
            (std::vector<std::string>{"Modify:on", "Delete:on", "Connect:grey", "Close:on"}));
}

// The label editor's wiring: a refused name reopens it with what was typed,
// a free one lands in the tree and the list, Escape leaves nothing behind.
// The naming rules themselves are the model's.
TEST_F(TreeTest, GroupsAreNamedInPlaceAndARefusalSaysWhy) {
  tree().Select(Group(0));
  tree().OnMenuCommand(kCmdDeleteGroup);
  EXPECT_EQ(sandbox_.messages.last(), "We cannot delete Host server group!");

  tree().Select(Group(1));
  tree().OnMenuCommand(kCmdRegisterGroup);
  EXPECT_EQ(Groups().back(), "new1");
  Type("Cameras");
  EXPECT_EQ(sandbox_.messages.last(), "Cameras already Exist");
  ASSERT_NE(Editor(), nullptr) << "the editor opens again";
  EXPECT_EQ(WindowText(Editor()), "Cameras") << "with what was typed";
  Type("Yard");
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"Host Server", "Cameras", "Yard"}));
  EXPECT_EQ(tree().store().GetGroups(), (std::vector<std::string>{"Host Server", "Cameras", "Yard"}));
  tree().Select(Group(2));
  tree().OnMenuCommand(kCmdDeleteGroup);
  EXPECT_EQ(Groups().size(), 2u);

  tree().OnMenuCommand(kCmdRegisterGroup);
  ASSERT_NE(Editor(), nullptr);
  TreeView_EndEditLabelNow(tree().hwnd(), TRUE);
  PumpFor(30);
  EXPECT_EQ(Groups().size(), 2u) << "a cancelled new group leaves no trace";
  EXPECT_EQ(tree().store().GetGroups().size(), 2u);
}

// The group's server type (and so its port) and the names taken reach the
// dialog from the model; the dialog's own rules are its tests'.
TEST_F(TreeTest, ServersAreRegisteredModifiedAndDeletedThroughTheirDialogs) {
  tree().Select(Group(1));
  std::string taken;
  {
    ModalDriver driver;
    driver.Then([&](HWND d) {
      SetText(GetDlgItem(d, IDC_SERVER_NAME), "Demo camera");
      SendDlgItemMessageW(d, IDC_SERVER_IP, IPM_SETADDRESS, 0, MAKEIPADDRESS(127, 0, 0, 9));
      Click(d, IDOK);
      taken = sandbox_.messages.last();
      SetText(GetDlgItem(d, IDC_SERVER_NAME), "Gate");
      Click(d, IDOK);
    });
    tree().OnMenuCommand(kCmdRegisterServer);
  }
  EXPECT_EQ(taken, "Server Name is not Unique");
  HTREEITEM gate = Server("Gate");
  ASSERT_NE(gate, nullptr);
  EXPECT_EQ(TextOf(gate), "Gate (Offline)");
  EXPECT_EQ(ImageOf(gate), kImageCameraOffline);
  const settings::ServerRecord stored = tree().store().GetServer("Gate");
  EXPECT_EQ(stored.ip, "127.0.0.9");
  EXPECT_EQ(stored.port, 20002) << "a camera in a camera group";
  EXPECT_EQ(stored.type, "Camera");

  tree().SetCameraServerOnline("", "127.0.0.9", 0, 777);
  tree().Select(gate);
  {
    ModalDriver driver;
    driver.Then([](HWND d) {
      SetText(GetDlgItem(d, IDC_SERVER_NAME), "Gate 2");
      Click(d, IDOK);
    });
    tree().OnMenuCommand(kCmdModifyServer);
  }
  EXPECT_EQ(TextOf(gate), "Gate 2 (Online)") << "the online word stays";
  EXPECT_EQ(tree().store().GetServers("Cameras").back().name, "Gate 2");
  EXPECT_FALSE(tree().store().Exists("Gate"));

  {
    ModalDriver driver;
    driver.Then([](HWND box) { Click(box, IDNO); });
    tree().OnMenuCommand(kCmdDeleteServer);
  }
  EXPECT_NE(Server("Gate 2"), nullptr) << "No keeps it";
  {
    ModalDriver driver;
    driver.Then([](HWND box) { Click(box, IDYES); });
    tree().OnMenuCommand(kCmdDeleteServer);
  }
  EXPECT_EQ(Server("Gate 2"), nullptr);
  EXPECT_FALSE(tree().store().Exists("Gate 2"));
}

}  // namespace
}  // namespace app::testing
