#include "app/start_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace app {
namespace {

void SetPasswordVariable(const char* value) {
#ifdef _WIN32
  _putenv_s(kPasswordVariable, value ? value : "");
#else
  if (value)
    setenv(kPasswordVariable, value, 1);
  else
    unsetenv(kPasswordVariable);
#endif
}

TEST(StartOptions, TheFullFormIsRead) {
  StartOptions o;
  std::string error;
  ASSERT_TRUE(ParseStartOptions({"--server", "Demo server", "--user", "demo", "--password", "pw", "--view", "CAM-1",
                                 "--view", "CAM-2", "--record", "C:\\rec", "--quit-after", "30", "--server",
                                 "Demo camera", "--layout", "Night shift", "--wall", "2:1+5", "--wall", "1"},
                                &o, &error))
      << error;
  EXPECT_EQ(o.servers, (std::vector<std::string>{"Demo server", "Demo camera"})) << "in the order given";
  EXPECT_TRUE(o.has_login);
  EXPECT_EQ(o.user, "demo");
  EXPECT_EQ(o.password, "pw");
  EXPECT_EQ(o.views, (std::vector<std::string>{"CAM-1", "CAM-2"}));
  EXPECT_EQ(o.record_folder, "C:\\rec");
  EXPECT_EQ(o.quit_after_seconds, 30);
  EXPECT_EQ(o.layout, "Night shift");
  ASSERT_EQ(o.walls.size(), 2u);
  EXPECT_EQ(o.walls[0].monitor, 2);
  EXPECT_EQ(o.walls[0].cells.size(), 6u);
  EXPECT_EQ(o.walls[1].pattern, (wall::WallPattern{2, 2}));
  EXPECT_FALSE(o.Empty());
  EXPECT_TRUE(StartOptions{}.Empty()) << "no option is an ordinary start";
}

// A password on the command line shows in process lists and shortcuts: it
// may come from the first line of a file or from the environment instead.
TEST(StartOptions, ThePasswordComesFromAFileOrTheEnvironment) {
  const std::string path = ::testing::TempDir() + "halyard-password.txt";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("s3cret pw\r\nsecond line\r\n", f);
  std::fclose(f);
  SetPasswordVariable("from-env");
  StartOptions o;
  std::string error;
  ASSERT_TRUE(ParseStartOptions({"--user", "demo", "--password-file", path}, &o, &error)) << error;
  EXPECT_TRUE(o.has_login);
  EXPECT_EQ(o.password, "s3cret pw") << "the first line, without its line end";
  ASSERT_TRUE(ParseStartOptions({"--user", "demo"}, &o, &error)) << error;
  EXPECT_EQ(o.password, "from-env");
  ASSERT_TRUE(ParseStartOptions({"--user", "demo", "--password", "pw"}, &o, &error)) << error;
  EXPECT_EQ(o.password, "pw") << "an option given wins over the environment";
  EXPECT_FALSE(ParseStartOptions({"--user", "demo", "--password", "pw", "--password-file", path}, &o, &error));
  EXPECT_FALSE(ParseStartOptions({"--user", "demo", "--password-file", path + ".missing"}, &o, &error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
  EXPECT_FALSE(ParseStartOptions({"--password-file", path}, &o, &error)) << "a password without a user";
  SetPasswordVariable(nullptr);
  EXPECT_FALSE(ParseStartOptions({"--user", "demo"}, &o, &error));
  EXPECT_NE(error.find("--password-file"), std::string::npos) << error;
  EXPECT_NE(StartUsage().find("process lists"), std::string::npos) << "the help says why";
  std::remove(path.c_str());
}

// The file (under a name outside the ANSI code page, saved with a byte-order
// mark) and the environment give the same UTF-8 password as the command line.
TEST(StartOptions, EverySourceGivesTheSameUtf8Password) {
  const std::string password = "p\xC3\xA4ss \xED\x95\x9C";  // "päss 한"
  const std::string path = ::testing::TempDir() + "halyard-\xEC\x95\x94\xED\x98\xB8.txt";
  for (const std::string& bom : {std::string("\xEF\xBB\xBF"), std::string()}) {
    FILE* f = os::OpenFile(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs((bom + password + "\r\n").c_str(), f);
    std::fclose(f);
    StartOptions o;
    std::string error;
    ASSERT_TRUE(ParseStartOptions({"--user", "demo", "--password-file", path}, &o, &error)) << error;
    EXPECT_EQ(o.password, password) << (bom.empty() ? "without" : "with") << " a byte-order mark";
  }
  os::RemoveFile(path);
#ifdef _WIN32
  SetEnvironmentVariableW(L"HALYARD_PASSWORD", L"p\u00E4ss \uD55C");
#else
  SetPasswordVariable(password.c_str());
#endif
  StartOptions o;
  std::string error;
  ASSERT_TRUE(ParseStartOptions({"--user", "demo"}, &o, &error)) << error;
  EXPECT_EQ(o.password, password) << "the environment's value, not its ANSI form";
  SetPasswordVariable(nullptr);
}

TEST(StartOptions, WrongFormsAreRefusedWithAReason) {
  SetPasswordVariable(nullptr);
  const std::vector<std::vector<std::string>> wrong = {
      {"--bogus"},
      {"Demo server"},
      {"--server"},
      {"--server", ""},
      {"--server", "a", "--server", "a"},
      {"--user", "demo"},
      {"--password", "pw"},
      {"--view"},
      {"--quit-after", "soon"},
      {"--quit-after", "-5"},
      {"--quit-after", "1234567890"},
      {"--record", "a", "--record", "b"},
      {"--layout"},
      {"--layout", "a", "--layout", "b"},
      {"--wall"},
      {"--wall", "0"},
      {"--wall", "1:9x9"},
      {"--wall", "2", "--wall", "2:3x3"},  // one wall per monitor
  };
  for (const auto& args : wrong) {
    StartOptions o;
    std::string error;
    EXPECT_FALSE(ParseStartOptions(args, &o, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
  EXPECT_NE(StartUsage().find("--quit-after SECONDS"), std::string::npos);
}

// The longest --quit-after (999999999 s, nearly 32 years) overflowed the
// timer's milliseconds; every wait goes in steps a timer can hold.
TEST(StartOptions, QuitAfterWaitsInStepsATimerCanHold) {
  const struct {
    uint64_t remaining_ms;
    uint32_t step_ms;
  } cases[] = {{0, 0}, {30000, 30000}, {86399999, 86399999}, {86400000, 86400000},
               {25ull * 86400000, 86400000}, {999999999ull * 1000, 86400000}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.step_ms, QuitTimerStepMs(c.remaining_ms)) << c.remaining_ms;
    EXPECT_LE(QuitTimerStepMs(c.remaining_ms), 0x7FFFFFFFu);
  }
  StartOptions o;
  std::string error;
  ASSERT_TRUE(ParseStartOptions({"--quit-after", "999999999"}, &o, &error)) << error;
  EXPECT_EQ(o.quit_after_seconds, 999999999);
}

TEST(StartOptions, RecordingsAreNamedByCameraAndStartTime) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 7;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 3;
  EXPECT_EQ(RecordingPath("C:\\rec", "CAM-DEMO-1", t), "C:\\rec\\CAM-DEMO-1_20240307_090503.mp4");
  EXPECT_EQ(RecordingPath("C:\\rec\\", "CAM-DEMO-1", t), "C:\\rec\\CAM-DEMO-1_20240307_090503.mp4");
  EXPECT_EQ(RecordingPath("D:", "yard/gate:2*?", t), "D:\\yard_gate_2___20240307_090503.mp4")
      << "characters a file name cannot hold";
}

}  // namespace
}  // namespace app
