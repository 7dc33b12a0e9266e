#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/debug_log.h"

namespace {

// The log is a text file: on Windows each line ends in CR LF. Compare lines, not line ends.
std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string s(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
  std::string out;
  for (size_t i = 0; i < s.size(); ++i)
    if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) out += s[i];
  return out;
}

class DebugLogFile : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(DebugLogPath().c_str()); }
  void TearDown() override {
    DebugLogEnable(false);
    std::remove(DebugLogPath().c_str());
  }
};

TEST_F(DebugLogFile, WritesNothingUntilEnabledThenAppendsLinesWhole) {
  EXPECT_NE(std::string::npos, DebugLogPath().find("VORIZIVO_DEBUG_VIDEO.txt"));
  DebugLog("before %d\n", 1);
  EXPECT_EQ("", ReadAll(DebugLogPath()));
  DebugLogEnable(true);
  DebugLog("line %d %s\n", 2, "two");
  DebugLog("line %d\n", 3);
  EXPECT_EQ("line 2 two\nline 3\n", ReadAll(DebugLogPath()));
  const std::string big(5000, 'x');
  DebugLog("%s\n", big.c_str());
  EXPECT_TRUE("line 2 two\nline 3\n" + big + "\n" == ReadAll(DebugLogPath())) << "a long line came back cut";
}

TEST_F(DebugLogFile, FileIsRemovedOncePastTenMegabytes) {
  {
    std::ofstream out(DebugLogPath(), std::ios::binary);
    std::string chunk(1 << 20, 'a');
    for (int i = 0; i < 10; ++i) out << chunk;  // exactly the limit: kept
  }
  DebugLogEnable(true);
  DebugLog("%s", "");
  EXPECT_EQ(static_cast<size_t>(kDebugLogLimitBytes), ReadAll(DebugLogPath()).size());
  DebugLog("one more byte\n");
  EXPECT_EQ("", ReadAll(DebugLogPath())) << "the log must be deleted past 10485760 bytes";
  DebugLog("fresh\n");
  EXPECT_EQ("fresh\n", ReadAll(DebugLogPath()));
}

TEST(DebugLogObserver, SeesEveryLineEvenWhenDisabled) {
  std::vector<std::string> lines;
  DebugLogObserve([&](const std::string& s) { lines.push_back(s); });
  DebugLog("a %d\n", 7);
  DebugLogObserve(nullptr);
  DebugLog("b\n");
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("a 7\n", lines[0]);
}

}  // namespace
