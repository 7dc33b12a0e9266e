#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "config_tool/interface_file.h"
#include "config_tool/tests/scratch_dir.h"

namespace bollard {
namespace {

NetworkSettings StaticEth0() {
  NetworkSettings s;
  s.device = "eth0";
  s.boot = kBootStatic;
  s.ip = 0x0A010203;       // 10.1.2.3
  s.netmask = 0xFFFFFF00;  // 255.255.255.0
  s.gateway = 0x0A010201;  // 10.1.2.1
  const char* mac[6] = {"00", "1A", "2B", "3C", "4D", "5E"};
  for (int i = 0; i < 6; ++i) s.page_mac[i] = s.entry_mac[i] = mac[i];
  s.static_host_name = "cam1";
  s.dhcp_host_name = "cam1-dhcp";
  return s;
}

std::string Dir() {
  static ScratchDir scratch("bollard-file");
  return scratch.path();
}

TEST(InterfaceFile, DhcpFileHasFiveLinesAndThePageMac) {
  NetworkSettings s = StaticEth0();
  s.boot = kBootDhcp;
  s.entry_mac[0] = "FF";  // the DHCP file takes the page's parts
  EXPECT_EQ("DEVICE=eth0\nONBOOT=yes\nBOOTPROTO=dhcp\nMACADDR=00:1A:2B:3C:4D:5E\nHOSTNAME=cam1-dhcp\n",
            FormatInterfaceFile(s));
  s.boot = kBootStatic;
  EXPECT_NE(std::string::npos, FormatInterfaceFile(s).find("MACADDR=FF:1A:"))
      << "the static file takes the chosen entry's parts";
}

TEST(InterfaceFile, OnBootGoesBackAsTheDeviceReportedIt) {
  NetworkSettings s = StaticEth0();
  s.on_boot = "no";
  EXPECT_EQ(0u, FormatInterfaceFile(s).find("DEVICE=eth0\nONBOOT=no\n"));
  s.on_boot.clear();
  EXPECT_EQ(0u, FormatInterfaceFile(s).find("DEVICE=eth0\nONBOOT=yes\n")) << "a device that named none";
}

TEST(InterfaceFile, HostNameOfTheBootChoiceIsRequired) {
  NetworkSettings s = StaticEth0();
  std::string path = InterfaceFilePath(Dir(), "bollard-none");
  s.static_host_name.clear();
  EXPECT_EQ(WriteOutcome::kNeedHostName, WriteInterfaceFile(s, path));
  s.boot = kBootDhcp;
  EXPECT_EQ(WriteOutcome::kWritten, WriteInterfaceFile(s, path)) << "only the chosen boot's host name counts";
  s.dhcp_host_name.clear();
  EXPECT_EQ(WriteOutcome::kNeedHostName, WriteInterfaceFile(s, path));
  std::remove(path.c_str());
}

TEST(InterfaceFile, PathIsTheDeviceNameInTheFolderAndNeverAPath) {
  EXPECT_EQ("c:\\eth1", InterfaceFilePath("c:\\", "eth1"));
  NetworkSettings s = StaticEth0();
  s.device = "../eth0";
  EXPECT_EQ(WriteOutcome::kOpenFailed, WriteInterfaceFile(s, InterfaceFilePath(Dir(), s.device)));
  s.device = "eth0";
  EXPECT_EQ(WriteOutcome::kOpenFailed, WriteInterfaceFile(s, Dir() + "no-such-folder/eth0"));
}

}  // namespace
}  // namespace bollard
