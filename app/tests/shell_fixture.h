#pragma once
// The main window's tests: a program folder of the test's own (the built
// skins, a server list naming the simulator's ports), the settings and
// registry of the test, halyard-sim in-process, and the main window made
// with a factory of test views.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/tests/test_views.h"
#include "dialogs/tests/win32_test_support.h"
#include "world.h"

namespace app::testing {

std::string DistFolder();
// Copies the four skin files into `dir`.
void CopySkins(const std::string& dir);
// Writes the server list: the hosting server "Demo server" and a group
// "Cameras" with "Demo camera" (CAM-1's port) and "Second camera" (CAM-2's),
// both on 127.0.0.1 as in the shipped list.
void WriteServerList(const std::string& path, int hosting_port, int camera1_port, int camera2_port);

class ShellTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // The simulator: a hosting server, CAM-1 and CAM-2 (and CAM-3 on, as many
  // as asked for), two stored files of CAM-1 in rec/cam1 (10 seconds, and 25
  // hours as listed), user demo/demo.
  void StartSim(int more_cameras = 0);
  std::vector<std::string> Sim(const std::string& command) { return world_->Execute(command); }
  // The main window, modeless, over the program folder.
  CMainWindow& OpenMain(StartOptions options = {});
  void CloseMain();
  std::string ProgramDir() const { return sandbox_.folder.File("program"); }

  // Tree helpers.
  HTREEITEM Server(const std::string& name) { return main_->tree().FindServer(name); }
  // What the tree control shows for `item`.
  std::string TextOf(HTREEITEM item);
  std::vector<std::string> ChildTexts(HTREEITEM item);
  // Selects the entry and connects it, answering the login dialog with demo/demo.
  void Connect(const std::string& entry, const char* user = "demo", const char* password = "demo");
  bool WaitHostOnline();
  void Command(int id);

  dialogs::testing::ShellSandbox sandbox_;
  std::unique_ptr<sim::World> world_;
  TestViewFactory factory_;
  ViewFactory* view_factory_ = nullptr;  // another factory than factory_ (the real views)
  // Made afresh for each main window, as the program makes them; they outlive it.
  std::unique_ptr<ProgramParts> parts_;
  std::unique_ptr<CMainWindow> main_;
  // A main window's setup on fresh program parts (the last main window closed first).
  MainWindowSetup FreshSetup();
};

}  // namespace app::testing
