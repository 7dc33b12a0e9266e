#include <gtest/gtest.h>

#include "config_tool/command_line.h"

namespace bollard {
namespace {

TEST(CommandLine, LoopbackTrialOptions) {
  BollardOptions o;
  std::string error;
  ASSERT_EQ(0, ParseCommandLine({"--broadcast", "127.0.0.1", "--discovery-port", "14000", "--port", "14001",
                                 "--local-port", "0", "--file-dir", "C:\\temp"},
                                &o, &error))
      << error;
  EXPECT_EQ(0x7F000001u, o.link.discovery_ip);
  EXPECT_EQ(14000, o.link.discovery_port);
  EXPECT_EQ(14001, o.link.device_port);
  EXPECT_EQ(0, o.link.local_port);
  EXPECT_EQ("C:\\temp", o.file_dir);
}

TEST(CommandLine, BadValuesAreRefusedWithAReason) {
  BollardOptions o;
  std::string error;
  EXPECT_EQ(-1, ParseCommandLine({"--broadcast", "localhost"}, &o, &error));
  EXPECT_EQ("bad value for --broadcast: localhost", error);
  EXPECT_EQ(-1, ParseCommandLine({"--port", "0"}, &o, &error)) << "the device port cannot be 0";
  EXPECT_EQ(-1, ParseCommandLine({"--port", "65536"}, &o, &error));
  EXPECT_EQ(-1, ParseCommandLine({"--discovery-port", "12a"}, &o, &error));
  EXPECT_EQ(-1, ParseCommandLine({"--port"}, &o, &error));
  EXPECT_EQ("missing value after --port", error);
  EXPECT_EQ(-1, ParseCommandLine({"--verbose", "1"}, &o, &error));
  EXPECT_EQ("unknown option --verbose", error);
}

}  // namespace
}  // namespace bollard
