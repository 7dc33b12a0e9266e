// The server list file through the real private-profile functions (Wine's
// under test): the reading rules, the shared name space, rewrites that keep
// the order, and sections longer than any fixed buffer.
#include "settings/win32/server_list_store.h"

#include <gtest/gtest.h>

#include "settings/tests/registry_sandbox.h"
#include "settings/tests/settings_files.h"
#include "settings/win32/registry_key.h"
#include "settings/win32/viewer_registry.h"

namespace settings {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteAnsiFile;

class ServerListStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store_.SetPath(path_); }
  // The file as the program would write it, flushed from the profile cache.
  std::string FileText() {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, win32::Widen(path_).c_str());
    std::string bytes = ReadBytes(path_);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF) {
      std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
      return win32::Narrow(wide);
    }
    return bytes;
  }
  static std::vector<std::string> Names(const std::vector<ServerRecord>& servers) {
    std::vector<std::string> names;
    for (const auto& s : servers) names.push_back(s.name);
    return names;
  }

  TempFolder folder_;
  std::string path_ = folder_.File("ServerList.ini");
  ServerListStore store_;
};

ServerRecord Camera(const std::string& name, int port = 20002) {
  return {name, "127.0.0.1", port, kCameraServerType, false, ""};
}

TEST_F(ServerListStoreTest, WithoutAPathEveryOperationFailsAndNoFileAppears) {
  ServerListStore none;
  EXPECT_FALSE(none.AddGroup("G"));
  EXPECT_FALSE(none.AddServer("G", Camera("c")));
  EXPECT_FALSE(none.ModifyServer("G", "c", Camera("d")));
  EXPECT_FALSE(none.RenameGroup("G", "H"));
  EXPECT_FALSE(none.DeleteServer("G", "c"));
  EXPECT_FALSE(none.DeleteGroup("G"));
  EXPECT_FALSE(none.Exists("G"));
  EXPECT_TRUE(none.GetGroups().empty());
  EXPECT_TRUE(none.GetServers("G").empty());
}

TEST_F(ServerListStoreTest, EntriesReadAsThePartAfterTheFirstEquals) {
  WriteAnsiFile(path_,
                "[GROUP_LIST]\r\na=b\r\nHost Server=Host Server\r\nx=y=z\r\nnoequals\r\n"
                "[b]\r\nfirst=cam1\r\n[cam1]\r\nServerIP=10.0.0.1\r\n");
  EXPECT_EQ(store_.GetGroups(), (std::vector<std::string>{"b", "Host Server", "y=z"}));
  EXPECT_EQ(Names(store_.GetServers("b")), (std::vector<std::string>{"cam1"}));
  EXPECT_TRUE(store_.Exists("b")) << "the group shown as b owns that name";
  EXPECT_FALSE(store_.AddGroup("b"));
}

// Missing keys take their defaults; DDNS is on only for exactly TRUE.
TEST_F(ServerListStoreTest, MissingKeysTakeTheirDefaultsAndDdnsIsOnOnlyForExactlyTRUE) {
  for (const char* ddns : {"", "TRUE", "true", "True", "1", "FALSE"}) {
    WriteAnsiFile(path_, std::string("[GROUP_LIST]\r\nG=G\r\n[G]\r\nbare=bare\r\n[bare]\r\nServerIP=10.1.2.3\r\n") +
                             (*ddns ? "DDNS=" : "") + ddns + "\r\n");
    const ServerRecord want{"bare", "10.1.2.3", 8000, "", std::string(ddns) == "TRUE", ""};
    EXPECT_EQ(store_.GetServers("G"), std::vector<ServerRecord>{want}) << "DDNS=" << ddns;
  }
}

TEST_F(ServerListStoreTest, GroupsAndServersShareOneNameSpace) {
  ASSERT_TRUE(store_.AddGroup("Host Server"));
  ASSERT_TRUE(store_.AddGroup("Cameras"));
  ASSERT_TRUE(store_.AddServer("Cameras", Camera("Door")));
  EXPECT_TRUE(store_.Exists("Cameras"));
  EXPECT_TRUE(store_.Exists("Door"));
  EXPECT_TRUE(store_.Exists("door")) << "profile names ignore case";
  EXPECT_FALSE(store_.Exists("Yard"));
  EXPECT_FALSE(store_.AddGroup("Door")) << "a server's name is taken for groups";
  EXPECT_FALSE(store_.AddGroup("Cameras"));
  EXPECT_FALSE(store_.RenameGroup("Host Server", "Door")) << "renaming to a server's name";
  EXPECT_EQ(store_.GetGroups(), (std::vector<std::string>{"Host Server", "Cameras"}));
}

TEST_F(ServerListStoreTest, AServerIsWrittenWithAllFiveKeys) {
  ASSERT_TRUE(store_.AddGroup("Cameras"));
  const ServerRecord ddns{"Gate", "127.0.0.1", 8001, kCameraServerType, true, "00:11:22:33:44:55"};
  ASSERT_TRUE(store_.AddServer("Cameras", ddns));
  EXPECT_EQ(store_.GetServers("Cameras"), std::vector<ServerRecord>{ddns});
  const std::string text = FileText();
  for (const char* line : {"Gate=Gate", "ServerIP=127.0.0.1", "ServerPort=8001", "ServerType=Camera", "DDNS=TRUE",
                           "MACAddress=00:11:22:33:44:55"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST_F(ServerListStoreTest, RenamingAGroupKeepsItsPlaceAndMovesItsServers) {
  for (const char* g : {"A", "B", "C"}) ASSERT_TRUE(store_.AddGroup(g));
  ASSERT_TRUE(store_.AddServer("B", Camera("one")));
  ASSERT_TRUE(store_.AddServer("B", Camera("two")));
  ASSERT_TRUE(store_.RenameGroup("B", "D"));
  EXPECT_EQ(store_.GetGroups(), (std::vector<std::string>{"A", "D", "C"}));
  EXPECT_EQ(Names(store_.GetServers("D")), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(store_.GetServers("B").empty());
  EXPECT_EQ(FileText().find("[B]"), std::string::npos);
  ASSERT_TRUE(store_.RenameGroup("D", "d")) << "another case of its own name";
  EXPECT_EQ(store_.GetGroups(), (std::vector<std::string>{"A", "d", "C"}));
  EXPECT_EQ(Names(store_.GetServers("d")), (std::vector<std::string>{"one", "two"})) << FileText();
  EXPECT_FALSE(store_.RenameGroup("d", "a")) << "another group's name in another case";
}

TEST_F(ServerListStoreTest, DeletingAGroupRemovesItsServersAndAHandWrittenEntry) {
  WriteAnsiFile(path_,
                "[GROUP_LIST]\r\nHost Server=Host Server\r\nold=Yard\r\n[Yard]\r\nlamp=lamp\r\n"
                "[lamp]\r\nServerIP=10.0.0.9\r\n");
  ASSERT_TRUE(store_.DeleteGroup("Yard"));
  EXPECT_EQ(store_.GetGroups(), (std::vector<std::string>{"Host Server"}));
  EXPECT_FALSE(store_.Exists("Yard"));
  EXPECT_FALSE(store_.Exists("lamp"));
}

TEST_F(ServerListStoreTest, ModifyingAServerRenamesItInPlaceAndDeletingRemovesIt) {
  ASSERT_TRUE(store_.AddGroup("Cameras"));
  for (const char* s : {"one", "two", "three"}) ASSERT_TRUE(store_.AddServer("Cameras", Camera(s)));
  ASSERT_TRUE(store_.ModifyServer("Cameras", "two", Camera("deux", 20005)));
  EXPECT_EQ(Names(store_.GetServers("Cameras")), (std::vector<std::string>{"one", "deux", "three"}));
  EXPECT_EQ(store_.GetServer("deux").port, 20005);
  EXPECT_FALSE(store_.Exists("two"));
  // The same name: the record is written again in place.
  ASSERT_TRUE(store_.ModifyServer("Cameras", "one", Camera("one", 20009)));
  EXPECT_EQ(store_.GetServer("one").port, 20009);
  ASSERT_TRUE(store_.DeleteServer("Cameras", "one"));
  EXPECT_EQ(Names(store_.GetServers("Cameras")), (std::vector<std::string>{"deux", "three"}));
  EXPECT_FALSE(store_.Exists("one"));
  EXPECT_TRUE(store_.Exists("Cameras"));
}

// A group in a Unicode file with far more servers than a 2048-character
// section buffer holds: all are read, and a rewrite after a change keeps
// every one of them.
TEST_F(ServerListStoreTest, LongSectionsAreReadWholeAndSurviveARewrite) {
  std::string text = "[GROUP_LIST]\r\n카메라=카메라\r\n[카메라]\r\n";
  for (int i = 0; i < 300; ++i) text += "카메라 " + std::to_string(i) + "=카메라 " + std::to_string(i) + "\r\n";
  testing::WriteUnicodeFile(path_, text);
  ASSERT_EQ(store_.GetServers("카메라").size(), 300u);
  ASSERT_TRUE(store_.DeleteServer("카메라", "카메라 0"));
  const auto left = store_.GetServers("카메라");
  ASSERT_EQ(left.size(), 299u);
  EXPECT_EQ(left.back().name, "카메라 299");
}

TEST_F(ServerListStoreTest, ANewFileKeepsNamesOutsideAscii) {
  EXPECT_TRUE(store_.GetGroups().empty()) << "no file yet";
  ASSERT_TRUE(store_.AddGroup("카메라"));
  ASSERT_TRUE(store_.AddServer("카메라", Camera("정문")));
  EXPECT_EQ(store_.GetGroups(), std::vector<std::string>{"카메라"});
  EXPECT_EQ(Names(store_.GetServers("카메라")), std::vector<std::string>{"정문"});
  const std::string bytes = ReadBytes(path_);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF) << "created as UTF-16LE";
}

// A saved login belongs to its entry: deleting the entry forgets it (a new
// entry of that name starts without it), renaming takes it along.
TEST_F(ServerListStoreTest, AnEntrysSavedLoginGoesWithTheEntry) {
  testing::RegistrySandbox registry;
  ASSERT_TRUE(registry.active());
  store_.AddGroup("G");
  for (const char* name : {"Gate", "Yard", "Dock"}) {
    store_.AddServer("G", Camera(name));
    SaveLogin(name, {std::string(name) + "-user", "pw"});
  }
  store_.ModifyServer("G", "Gate", Camera("Front gate"));
  EXPECT_EQ(LoadSavedLogin("Front gate").user, "Gate-user");
  EXPECT_EQ(LoadSavedLogin("Front gate").password, "pw");
  store_.DeleteServer("G", "Yard");
  store_.AddServer("G", Camera("Gate"));
  store_.AddServer("G", Camera("Yard"));
  for (const char* name : {"Gate", "Yard"}) {
    EXPECT_EQ(LoadSavedLogin(name).user, "") << name;
    RegistryKey key;
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, ServerKeyPath(name))) << "nothing is left of " << name;
  }
  store_.DeleteGroup("G");
  EXPECT_EQ(LoadSavedLogin("Dock").user, "") << "a deleted group takes its entries' logins";
  EXPECT_EQ(LoadSavedLogin("Front gate").user, "");
  RegistryKey root;
  EXPECT_TRUE(root.Open(HKEY_CURRENT_USER, kRegistryKeyPath)) << "the program's own key stays";
}

}  // namespace
}  // namespace settings
