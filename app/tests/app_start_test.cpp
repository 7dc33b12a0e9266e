// The application object and the start-up options: what the process is
// given back at exit, a wrong command line, the ready program folder, and a
// scripted run against halyard-sim that leaves a recording.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/halyard_app.h"
#include "app/resource.h"
#include "app/registry_open_recordings.h"
#include "app/tests/shell_fixture.h"
#include "halyard_version.h"
#include "record/mp4_file.h"
#include "record/mp4_reader.h"
#include "settings/win32/device_catalogue.h"
#include "settings/text_table.h"
#include "settings/win32/viewer_registry.h"

namespace app::testing {
namespace {

using namespace dialogs::testing;

class AppStartTest : public ShellTest {
 protected:
  std::vector<std::string> shown_;
  std::unique_ptr<CHalyardApp> MakeApp() {
    auto app = std::make_unique<CHalyardApp>(GetModuleHandleW(nullptr), ProgramDir());
    app->SetShow([this](const std::string& text) { shown_.push_back(text); });
    return app;
  }
};

// The version comes from the version resource, the settings from the
// program folder; the screen saver and the power state are given back; the
// manifest declares DPI awareness.
TEST_F(AppStartTest, TheRunReadsItsVersionAndFolderAndGivesTheScreenSaverBack) {
  BOOL original = FALSE;
  SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &original, 0);
  for (BOOL before : {TRUE, FALSE}) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(before), nullptr, 0);
    {
      auto app = MakeApp();
      ASSERT_EQ(app->InitInstance({}), 0);
      BOOL during = TRUE;
      SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &during, 0);
      EXPECT_FALSE(during) << "switched off while the program runs";
      EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED),
                static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_DISPLAY_REQUIRED));
      EXPECT_EQ(settings::IniHandler::Instance().Path(), ProgramDir() + "\\Halyard.ini");
      EXPECT_EQ(app->version().major, HALYARD_VERSION_MAJOR);
      EXPECT_EQ(app->version().minor, HALYARD_VERSION_MINOR);
      EXPECT_EQ(app->version().release, HALYARD_VERSION_PATCH);
      EXPECT_EQ(app->version().build, HALYARD_VERSION_BUILD);
      app->ExitInstance();
    }
    BOOL after = !before;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &after, 0);
    EXPECT_EQ(after, before) << "restored, also when it was off";
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
    EXPECT_FALSE(settings::IniHandler::Instance().IsInitialised());
  }
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(original), nullptr, 0);
  EXPECT_TRUE(shown_.empty());

  // Without DPI awareness Windows stretches every window above 96 DPI and
  // blurs its pictures; declared, the skins grow by whole pixels instead.
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string manifest(text, SizeofResource(nullptr, found));
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << manifest;
}

// A second start shows the first Halyard instead of running beside it.
TEST_F(AppStartTest, ASecondStartShowsTheFirstAndEnds) {
  std::unique_ptr<CHalyardApp> first = MakeApp();
  ASSERT_EQ(first->InitInstance({}), 0);
  CMainWindow& main = OpenMain();
  Command(IDC_BUTTON_MINIMIZE);
  ASSERT_FALSE(IsWindowVisible(main.hwnd())) << "hidden to the tray";
  std::unique_ptr<CHalyardApp> second = MakeApp();
  EXPECT_EQ(second->InitInstance({"--quit-after", "5"}), kAlreadyRunningExitCode);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main.hwnd()) != FALSE; }, 3000)) << "the first is shown";
  second.reset();
  CloseMain();
  first.reset();
  EXPECT_EQ(MakeApp()->InitInstance({}), 0) << "once the first has ended, a start runs";
}

TEST_F(AppStartTest, AWrongCommandLineShowsTheUsageOnceAndEndsWithCodeTwo) {
  const std::vector<std::vector<std::string>> wrong = {{"--bogus"}, {"--quit-after", "x"}, {"--server", "Nobody"}};
  for (const auto& args : wrong) {
    shown_.clear();
    auto app = MakeApp();
    EXPECT_EQ(app->InitInstance(args), kUsageExitCode) << args[0];
    ASSERT_EQ(shown_.size(), 1u) << args[0];
    EXPECT_NE(shown_[0].find("Halyard.exe [--server NAME]"), std::string::npos);
    app->ExitInstance();
  }
  EXPECT_NE(shown_[0].find("Nobody"), std::string::npos);
  shown_.clear();
  auto app = MakeApp();
  EXPECT_EQ(app->InitInstance({"--server", "Demo server", "--quit-after", "0"}), 0) << "an entry that exists";
  app->ExitInstance();
}

TEST_F(AppStartTest, TheProgramFolderHoldsEverythingTheProgramReads) {
  const std::string dist = DistFolder();
  for (const char* file : {"Halyard.exe", "voRizivoMain.skn", "Login.skn", "FileWindow.skn", "SeekSlider.skn",
                           "ServerList.ini", "Halyard.ini"})
    EXPECT_TRUE(std::filesystem::exists(dist + "/" + file)) << file;
  settings::IniHandler& ini = settings::IniHandler::Instance();
  ini.Initialise(dist + "/Halyard.ini");
  for (const settings::TextId& id : settings::AllTexts()) {
    const std::string def = id.default_text;
    if (std::all_of(def.begin(), def.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) continue;
    const std::string text = ini.GetText(id);
    EXPECT_NE(text, def) << id.section << "/" << id.key << " keeps its built-in text";
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        << id.section << "/" << id.key << ": " << text;
  }
  // What a user of the ready folder reads is English as written, whatever
  // the built-in texts say: menu items capitalised alike, no key names as
  // captions, no typing slips.
  for (const settings::TextId& id : settings::AllTexts()) {
    const std::string text = ini.GetText(id);
    EXPECT_NE(text, id.key) << id.section << "/" << id.key << " shows its own key";
    EXPECT_NE(text, id.section) << id.section << "/" << id.key << " shows its section's name";
    if (std::string(id.section) == "VIEWER_MENU" && !text.empty()) {
      EXPECT_FALSE(std::islower(static_cast<unsigned char>(text[0]))) << id.key << ": " << text;
    }
  }
  const auto vendors = settings::ReadPanTiltCatalogue(ini);
  ASSERT_FALSE(vendors.empty());
  for (const auto& vendor : vendors) {
    EXPECT_FALSE(vendor.name.empty());
    ASSERT_FALSE(vendor.devices.empty()) << vendor.name;
    for (const auto& device : vendor.devices) EXPECT_GE(device.code, 0) << vendor.name << "/" << device.name;
  }
}

// A recording as a crash leaves it: thirty pictures 40 ms apart (1.2 s), no
// index, its journal beside it.
void CutOff(const std::string& path) {
  record::Mp4File cut_off;
  ASSERT_TRUE(cut_off.Open(path));
  const uint8_t headers[] = {0, 0, 1, 0xB0, 1, 0, 0, 1, 0xB5, 0x89, 0x13, 0, 0, 1, 0, 0, 0, 1, 0x20, 0};
  ASSERT_TRUE(cut_off.WriteVideo(headers, sizeof headers, 0, 0));
  for (uint32_t i = 1; i <= 30; ++i) {
    std::vector<uint8_t> picture(4000, static_cast<uint8_t>(i));
    picture[0] = picture[1] = 0, picture[2] = 1, picture[3] = 0xB6, picture[4] = i == 1 ? 0x10 : 0x50;
    ASSERT_TRUE(cut_off.WriteVideo(picture.data(), static_cast<uint32_t>(picture.size()), i, 40 * i));
  }
  cut_off.Close();
  ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(path + ".journal")));
}

// The pictures of a finished recording; 0 for one that is not.
size_t PicturesIn(const std::string& path) {
  auto file = record::Mp4FileOutput::OpenExisting(path, false);
  record::Mp4Index index;
  std::string error;
  if (!file || !record::ReadMp4Index(*file, &index, &error)) return 0;
  for (const record::Mp4ReadTrack& track : index.tracks)
    if (track.handler == "vide") return track.samples.size();
  return 0;
}

// Recordings the last run left cut off (killed, power lost) are finished
// from their journals once the main window is up: the one the registry
// lists, one whose listing was lost, found in the folder of the latest
// recordings, and one in the --record folder. The user is told once, with
// the time each kept, and the list empties.
TEST_F(AppStartTest, RecordingsCutOffByTheLastRunAreRepairedOnceTheWindowIsUpAndTheUserIsTold) {
  const std::string folder = sandbox_.folder.File("recordings");
  const std::string record_folder = sandbox_.folder.File("scheduled");
  for (const std::string& f : {folder, record_folder}) std::filesystem::create_directories(std::filesystem::u8path(f));
  const std::string listed = folder + "\\\uB179\uD654 CAM-1.mp4";
  const std::string unlisted = folder + "\\CAM-2.mp4";
  const std::string scheduled = record_folder + "\\CAM-3.mp4";
  RegistryOpenRecordingList list;
  for (const std::string& old : list.Paths()) list.Remove(old);
  {
    // The writer keeps the list it found at Open: the list outlives it.
    record::SetOpenRecordingList(&list);
    struct Unlist {
      ~Unlist() { record::SetOpenRecordingList(nullptr); }
    } unlist;
    CutOff(listed);
    CutOff(unlisted);
  }
  CutOff(scheduled);
  list.Remove(unlisted);  // its listing never reached the disk
  ASSERT_EQ(list.Paths().size(), 1u);
  ASSERT_EQ(list.Folders(), std::vector<std::string>{folder});

  auto app = MakeApp();
  ASSERT_EQ(app->InitInstance({"--record", record_folder, "--quit-after", "3"}), 0);
  EXPECT_EQ(record::CurrentOpenRecordingList(), static_cast<record::OpenRecordingList*>(&app->open_recordings()))
      << "recordings opened from now on are not listed";
  EXPECT_EQ(PicturesIn(listed), 0u) << "repaired before the main window was up";
  app->Run(factory_);
  app->ExitInstance();
  EXPECT_EQ(record::CurrentOpenRecordingList(), nullptr);

  for (const std::string& path : {listed, unlisted, scheduled}) {
    EXPECT_EQ(PicturesIn(path), 30u) << path << " not repaired";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path + ".journal"))) << path;
  }
  EXPECT_TRUE(list.Paths().empty());
  const std::vector<std::string> shown = sandbox_.messages.shown();
  ASSERT_EQ(shown.size(), 1u) << "one message for all";
  EXPECT_EQ(shown[0].rfind("Recordings cut off when Halyard last ended:\r\n\r\n", 0), 0u) << shown[0];
  for (const std::string& path : {listed, unlisted, scheduled})
    EXPECT_NE(shown[0].find(path + ": repaired, 1.2 seconds of recording kept"), std::string::npos)
        << path << " missing in: " << shown[0];
}

// While the repair runs a status line under the tree counts the recordings
// left; a start with nothing to repair says nothing.
TEST_F(AppStartTest, TheRepairShowsWhatIsLeftAndSaysNothingWhenNothingWasCutOff) {
  RegistryOpenRecordingList list;
  for (const std::string& old : list.Paths()) list.Remove(old);
  MainWindowSetup setup = FreshSetup();
  setup.instance = GetModuleHandleW(nullptr);
  setup.program_dir = ProgramDir();
  setup.factory = &factory_;
  setup.open_recordings = &list;
  setup.repair_sources.folders = {sandbox_.folder.File("empty")};
  main_ = std::make_unique<CMainWindow>(std::move(setup));
  ASSERT_NE(main_->Create(nullptr), nullptr);
  HWND tree = main_->tree().hwnd();
  RECT before{};
  GetWindowRect(tree, &before);
  // Before the thread's own news is pumped: as it would post them.
  SendMessageW(main_->hwnd(), MainRepair::kWmRepairProgress, 3, 0);
  EXPECT_EQ(main_->repair().status(), "repairing 3 recordings");
  RECT during{};
  GetWindowRect(tree, &during);
  EXPECT_LT(during.bottom, before.bottom) << "the status line hides the tree's last line";
  SendMessageW(main_->hwnd(), MainRepair::kWmRepairProgress, 1, 0);
  EXPECT_EQ(main_->repair().status(), "repairing 1 recording");

  ASSERT_TRUE(PumpUntil([&] { return main_->repair().done(); }));
  EXPECT_EQ(main_->repair().status(), "");
  RECT after{};
  GetWindowRect(tree, &after);
  EXPECT_EQ(after.bottom, before.bottom) << "the tree did not get its line back";
  PumpFor(50);
  EXPECT_EQ(sandbox_.messages.shown(), std::vector<std::string>{}) << "news of nothing";
  CloseMain();  // before the list it repairs for goes
}

// --server with the login given, --view, --record and --quit-after against
// the simulator: the view opens once the hosting server lists its camera,
// records into the folder, and the run ends by itself with the recording
// closed. The recording is checked by ffprobe afterwards (a test of its own).
class StartOptionsRun : public ShellTest {};

TEST_F(StartOptionsRun, ServerViewRecordQuitAfterLeaveARecording) {
  const char* binary = std::getenv("HALYARD_BINARY_DIR");
  const std::string folder = std::string(binary ? binary : HALYARD_BINARY_DIR_FALLBACK) + "/app/tests/startup-recording";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  StartSim();
  StartOptions o;
  o.servers = {"Demo server", "Demo camera"};
  o.has_login = true;
  o.user = "demo";
  o.password = "demo";
  o.views = {"CAM-1", "CAM-9"};
  o.record_folder = folder;
  o.quit_after_seconds = 4;
  CMainWindow& main = OpenMain(o);
  ASSERT_TRUE(PumpUntil([&] { return main.ended(); }, 20000)) << sandbox_.messages.last();
  ASSERT_EQ(factory_.requests.size(), 2u) << "the camera entry and CAM-1; CAM-9 is never listed";
  // The camera entry opens at once; CAM-1 once the hosting server lists it.
  struct Expected {
    ViewRequest::Kind kind;
    std::string name;
  };
  const Expected expected[] = {{ViewRequest::Kind::kDirect, "Demo camera"}, {ViewRequest::Kind::kRelay, "CAM-1"}};
  for (size_t i = 0; i < 2; ++i) {
    const ViewRequest& r = factory_.requests[i];
    EXPECT_EQ(r.kind, expected[i].kind) << expected[i].name;
    const std::string file = std::filesystem::path(r.record_path).filename().string();
    EXPECT_EQ(file.rfind(expected[i].name + "_", 0), 0u) << r.record_path;
    EXPECT_EQ(file.size(), expected[i].name.size() + std::string("_yyyyMMdd_HHmmss.mp4").size()) << file;
    std::error_code error;
    EXPECT_GT(std::filesystem::file_size(folder + "/" + file, error), 10000u) << file << ": " << error.message();
  }
  EXPECT_EQ(factory_.requests[1].camera_id, "CAM-1");
  EXPECT_TRUE(main.views().empty()) << "the views closed before the window ended";
}

// Logoff and shutdown end the process right after WM_ENDSESSION: the
// recordings are finished and the position saved by then.
TEST_F(StartOptionsRun, LogoffFinishesTheRecordingsAndSavesThePosition) {
  const std::string folder = sandbox_.folder.File("logoff");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  StartSim();
  StartOptions o;
  o.servers = {"Demo camera"};
  o.has_login = true;
  o.user = o.password = "demo";
  o.record_folder = folder;
  CMainWindow& main = OpenMain(o);
  ASSERT_TRUE(PumpUntil([&] { return !factory_.opened.empty() && factory_.opened[0]->recording_started; }, 15000));
  PumpFor(1500);
  const std::string path = factory_.requests.at(0).record_path;
  ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(path + ".journal")));
  SetWindowPos(main.hwnd(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_NE(0, SendMessageW(main.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)) << "the session may end";
  SendMessageW(main.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(main.views().empty());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path + ".journal"))) << "finished, not left to repair";
  EXPECT_GT(PicturesIn(path), 0u) << path;
  EXPECT_EQ(settings::LoadWindowPosition().x, 123);
  EXPECT_EQ(settings::LoadWindowPosition().y, 45);
}

TEST_F(StartOptionsRun, ASavedLoginConnectsWithoutTheLoginDialog) {
  StartSim();
  settings::SaveLogin("Demo server", {"demo", "demo"});
  StartOptions o;
  o.servers = {"Demo server"};
  ModalDriver driver(true);
  driver.Then([](HWND d) { Click(d, IDCANCEL); });
  CMainWindow& main = OpenMain(o);
  EXPECT_TRUE(WaitHostOnline());
  EXPECT_EQ(driver.handled(), 0) << "no login dialog";
  EXPECT_EQ(main.tree().Selected(), Server("Demo server"));
}

}  // namespace
}  // namespace app::testing
