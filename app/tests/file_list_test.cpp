// The camera and file list window in-process under Wine: the folder tree
// and the table built from file records, the table's order and search, and
// Refresh and View against halyard-sim.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/resource.h"
#include "app/tests/shell_fixture.h"

namespace app::testing {
namespace {

using namespace dialogs::testing;

net::FileRecord Record(const std::string& name, net::RecordTime start, net::RecordTime end) {
  net::FileRecord r;
  r.file_name = name;
  r.camera_id = "CAM-9";
  r.start = start;
  r.end = end;
  return r;
}

std::vector<std::string> Column(win32::ListView& table, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < table.RowCount(); ++row) texts.push_back(table.Text(row, column));
  return texts;
}

void ClickHeader(CFileListWindow& list, int column) {
  NMLISTVIEW click = {};
  click.hdr.hwndFrom = list.table().hwnd();
  click.hdr.idFrom = IDC_FILE_LIST;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageW(list.hwnd(), WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
}

TEST_F(ShellTest, FilesFormATwoLevelTreeAndTheChosenFolderFillsTheTable) {
  CMainWindow& main = OpenMain();
  CFileListWindow& list = main.file_list();
  win32::ListView& table = list.table();

  main.core().events().Push(hosting::HostFileList{});  // an empty list is no harm
  list.AddFiles({Record("rec/cam1/day.mp4", {6, 12, 2026, 20, 0, 0}, {7, 12, 2026, 21, 0, 0}),
                 Record("rec/cam1/hour.mp4", {6, 12, 2026, 20, 0, 0}, {6, 12, 2026, 20, 59, 0}),
                 Record("rec\\cam2\\odd.mp4", {91, 99, 7295, 77, 88, 99}, {6, 12, 2026, 20, 0, 0})});
  PumpFor(50);
  ASSERT_NE(list.RootItem(0), nullptr);
  EXPECT_EQ(list.ItemText(list.RootItem(0)), "rec");
  EXPECT_EQ(list.RootItem(1), nullptr) << "rec/cam1 and rec\\cam2 share their root";
  EXPECT_EQ(list.ItemText(list.ChildItem(0, 0)), "cam1");
  EXPECT_EQ(list.ItemText(list.ChildItem(0, 1)), "cam2");

  list.SelectItem(list.RootItem(0));
  EXPECT_EQ(table.RowCount(), 0) << "a root lists nothing";
  list.SelectItem(list.ChildItem(0, 0));
  EXPECT_EQ(Column(table, 0), (std::vector<std::string>{"day.mp4", "hour.mp4"}));
  EXPECT_EQ(Column(table, 1), (std::vector<std::string>{"1 - 01 : 00 : 00", "00 : 59 : 00"}));
  EXPECT_EQ(table.Text(0, 2), "2026-12-06 20:00:00");
  list.SelectItem(list.RootItem(0));
  EXPECT_EQ(table.RowCount(), 2) << "selecting a root leaves the table as it was";

  // A header click sorts by that column (each column's order is FileTableOrder's); a second click reverses.
  ClickHeader(list, 1);
  EXPECT_EQ(Column(table, 0), (std::vector<std::string>{"hour.mp4", "day.mp4"}));
  ClickHeader(list, 1);
  EXPECT_EQ(Column(table, 0), (std::vector<std::string>{"day.mp4", "hour.mp4"}));
  list.AddFiles({Record("rec/cam1/early.mp4", {6, 12, 2026, 8, 0, 0}, {6, 12, 2026, 8, 0, 1})});
  EXPECT_EQ(Column(table, 0), (std::vector<std::string>{"day.mp4", "hour.mp4", "early.mp4"}))
      << "a new file takes its place in the chosen order";
  ClickHeader(list, 2);
  EXPECT_EQ(Column(table, 0), (std::vector<std::string>{"early.mp4", "day.mp4", "hour.mp4"}));

  // Typing in the table goes to the first file whose name starts so.
  SetFocus(table.hwnd());
  SendMessageW(table.hwnd(), WM_CHAR, 'h', 1);  // lParam: a repeat count of one
  ASSERT_GE(table.SelectedRow(), 0);
  EXPECT_EQ(table.Text(table.SelectedRow(), 0), "hour.mp4");
  table.Select(-1);

  // Updates: code 0 joins the folder on show; other codes change nothing.
  list.SelectItem(list.ChildItem(0, 1));
  main.file_list().UpdateFile(1, Record("rec/cam2/gone.mp4", {}, {}));
  EXPECT_EQ(table.RowCount(), 1);
  main.core().events().Push(hosting::HostFileUpdate{0, Record("rec/cam2/new.mp4", {1, 1, 2026, 0, 0, 0}, {1, 1, 2026, 0, 0, 1})});
  EXPECT_TRUE(PumpUntil([&] { return table.RowCount() == 2; }));
  EXPECT_EQ(table.Text(0, 0), "new.mp4") << "by start, before the file listed as now";

  // View with no row chosen asks for one.
  table.Select(-1);
  Click(list.hwnd(), IDC_BUTTON_VIEW);
  EXPECT_EQ(sandbox_.messages.last(), "Please Select a File in File List");
  EXPECT_TRUE(factory_.requests.empty());

  main.core().events().Push(hosting::HostClosed{});  // the hosting server went away
  EXPECT_TRUE(PumpUntil([&] { return list.FileCount() == 0; }));
  EXPECT_EQ(list.RootItem(0), nullptr);
  EXPECT_EQ(TreeView_GetCount(list.tree_control()), 0u);
  EXPECT_EQ(table.RowCount(), 0);
}

TEST_F(ShellTest, RefreshAsksTheServerAgainAndViewPlaysTheChosenFile) {
  StartSim();
  CMainWindow& main = OpenMain();
  CFileListWindow& list = main.file_list();
  Connect("Demo server");
  ASSERT_TRUE(WaitHostOnline()) << sandbox_.messages.last();
  ASSERT_TRUE(PumpUntil([&] { return list.FileCount() == 2; }));

  Sim("clear-received");
  Click(list.hwnd(), IDC_BUTTON_REFRESH);
  EXPECT_EQ(list.FileCount(), 0u) << "Refresh empties the list first";
  EXPECT_TRUE(PumpUntil([&] { return list.FileCount() == 2; })) << "the reply fills it again";
  EXPECT_EQ(Sim("received RequestFileList").size(), 2u) << "one request, then the end line";
  ASSERT_EQ(list.tree().roots().size(), 1u);
  EXPECT_EQ(list.ItemText(list.RootItem(0)), "rec");
  EXPECT_EQ(list.ItemText(list.ChildItem(0, 0)), "cam1");

  list.SelectItem(list.ChildItem(0, 0));
  win32::ListView& table = list.table();
  ASSERT_EQ(Column(table, 0), (std::vector<std::string>{"CAM-1_0800.mp4", "CAM-1_0900.mp4"}));
  table.Select(0);
  Click(list.hwnd(), IDC_BUTTON_VIEW);
  ASSERT_EQ(factory_.requests.size(), 1u);
  EXPECT_EQ(factory_.requests[0].kind, ViewRequest::Kind::kFile);
  EXPECT_EQ(factory_.requests[0].camera_id, "CAM-1");
  EXPECT_EQ(factory_.requests[0].file_name, "rec/cam1/CAM-1_0800.mp4");
  ASSERT_EQ(factory_.opened.size(), 1u);
  TestView* view = factory_.opened[0];
  EXPECT_TRUE(PumpUntil([&] { return view->media().path().FramesShown() >= 5; }, 10000)) << "the file's pictures";
  EXPECT_TRUE(PumpUntil([&] { return view->media().path().EndOfFile(); }, 30000)) << "and its end";
  Click(list.hwnd(), IDC_BUTTON_VIEW);
  EXPECT_EQ(factory_.requests.size(), 1u) << "one view per file";

  Command(IDC_BUTTON_CLOSE);  // Log out empties the list
  EXPECT_EQ(list.FileCount(), 0u);
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_TRUE(PumpUntil([&] { return main.views().empty(); }));
}

}  // namespace
}  // namespace app::testing
