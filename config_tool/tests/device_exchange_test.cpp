// Bollard's exchanges against the simulated device on loopback.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "config_tool/device_actions.h"
#include "config_tool/tests/scratch_dir.h"
#include "os/clock.h"
#include "tools/bollard-device/sim_device.h"
#include "config_tool/tests/recording_sink.h"

namespace bollard {
namespace {


constexpr uint32_t kLoopback = 0x7F000001;
const std::vector<std::string> kSucceeded{"Network Configutation..........Successed"};
const std::vector<std::string> kFailed{"ERROR:: Network Configutation..........Failed"};

class Exchange : public ::testing::Test {
 protected:
  void StartDevice(const bollard_sim::SimConfig& config) {
    ASSERT_EQ(0, device_.Start(config));
    options_.discovery_ip = kLoopback;
    options_.discovery_port = device_.discovery_port();
    options_.device_port = device_.device_port();
    options_.local_port = 0;
    options_.wait_ms = 300;
    options_.login_delay_ms = 0;
    options_.apply_bound_ms = 1500;
    link_ = std::make_unique<DeviceLink>(options_);
    ASSERT_EQ(0, link_->Open(kLoopback));
  }
  template <typename F>
  void Change(F f) {
    device_.Update([](bollard_sim::SimConfig& c, void* p) { (*static_cast<F*>(p))(c); }, &f);
  }
  // Applies `s`, leaving in sink_.messages what this call alone showed.
  AddressField Apply(const NetworkSettings& s, const std::string& dir = "", const std::string& fallback = "",
                     FILE* trace = nullptr) {
    sink_.messages.clear();
    return ApplyNetworkSettings(s, dir.empty() ? scratch_.path() : dir, fallback, *link_, &entries_, sink_, trace);
  }

  bollard_sim::SimDevice device_;
  std::vector<InterfaceEntry> entries_;
  LinkOptions options_;
  std::unique_ptr<DeviceLink> link_;
  RecordingSink sink_;
  ScratchDir scratch_{"bollard-exchange"};
};

TEST_F(Exchange, DiscoveryListsEveryInterfaceWithItsSource) {
  StartDevice({});
  std::vector<DiscoveredDevice> rows;
  int error = 0;
  ASSERT_EQ(0, Discover(options_, [&](const DiscoveredDevice& d) { rows.push_back(d); }, &error, nullptr));
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ("eth0", rows[0].entry.device);
  EXPECT_EQ("simcam", rows[0].entry.host_name);
  EXPECT_EQ("eth1", rows[1].entry.device);
  EXPECT_EQ("127.0.0.1", rows[1].entry.address);
  EXPECT_EQ(kLoopback, rows[0].source_ip);
  EXPECT_EQ(device_.discovery_port(), rows[0].source_port);
  EXPECT_EQ(1, device_.setup_requests());
}

TEST_F(Exchange, LoginStatusesGiveTheDialogOrTheirMessage) {
  StartDevice({});
  const char* expected[] = {"", "Login Failed:: access denied", "Login Failed:: Wrong User ID",
                            "Login Failed:: Wrong Password"};
  for (int status = 0; status <= 3; ++status) {
    Change([&](bollard_sim::SimConfig& c) { c.login_status = status; });
    sink_.messages.clear();
    bool accepted = LoginAndReport(*link_, "admin", "admin", sink_);
    EXPECT_EQ(status == 0, accepted) << "status " << status;
    if (status == 0) {
      EXPECT_TRUE(sink_.messages.empty());
    } else {
      ASSERT_EQ(1u, sink_.messages.size()) << "status " << status;
      EXPECT_EQ(expected[status], sink_.messages[0]);
    }
  }
  ASSERT_EQ(4u, device_.received_logins().size());
  EXPECT_EQ("admin", device_.received_logins()[0].user_id);
}

TEST_F(Exchange, UserListOf200FillsAndOf201IsEmpty) {
  bollard_sim::SimConfig config;
  config.users.clear();
  for (int i = 0; i < 201; ++i) {
    std::string n = std::to_string(i);
    config.users.push_back({std::string("u").append(n), std::string("User ").append(n), "p"});
  }
  config.list_count = 200;
  StartDevice(config);
  UserAccounts accounts;
  accounts.Reload(*link_);
  ASSERT_EQ(200u, accounts.rows().size()) << "the whole reply must be read, records past the count ignored";
  EXPECT_EQ("u199", accounts.rows()[199].user_id);
  EXPECT_EQ("User 199", accounts.rows()[199].user_name);
  EXPECT_EQ("User 199", accounts.rows()[199].password) << "a listed row keeps its name as the third string";

  Change([](bollard_sim::SimConfig& c) { c.list_count = 201; });
  accounts.Reload(*link_);
  EXPECT_TRUE(accounts.rows().empty());
}

// Add gives a row or its message; Modify renames the row even when refused;
// Delete asks and removes only when done.
TEST_F(Exchange, UserOperationsChangeTheRowsAsTheDeviceAnswers) {
  StartDevice({});
  UserAccounts accounts;
  accounts.Reload(*link_);
  ASSERT_EQ(1u, accounts.rows().size());
  EXPECT_TRUE(accounts.Add(*link_, {"guest", "Guest", "g"}, sink_));
  EXPECT_FALSE(accounts.Add(*link_, {"guest", "Guest again", "g"}, sink_));
  Change([](bollard_sim::SimConfig& c) { c.op_result = 5; });
  EXPECT_FALSE(accounts.Add(*link_, {"third", "Third", "t"}, sink_));
  Change([](bollard_sim::SimConfig& c) { c.op_result = 7; });
  EXPECT_FALSE(accounts.Add(*link_, {"fourth", "Fourth", "f"}, sink_));
  EXPECT_EQ((std::vector<std::string>{"ERROR:: duplicated user account added", "ERROR:: Cannot add an user account"}),
            sink_.messages)
      << "other results show nothing";
  ASSERT_EQ(2u, accounts.rows().size());
  EXPECT_EQ("guest", accounts.rows()[1].user_id);
  EXPECT_EQ("Guest", accounts.rows()[1].user_name);

  sink_.messages.clear();
  Change([](bollard_sim::SimConfig& c) { c.op_result = -1; });
  accounts.Modify(*link_, -1, "x", "y", sink_);
  accounts.Modify(*link_, 0, "Boss", "newpw", sink_);
  EXPECT_EQ("newpw", device_.config().users[0].password);
  Change([](bollard_sim::SimConfig& c) { c.op_result = 1; });
  accounts.Modify(*link_, 0, "Refused name", "pw2", sink_);
  EXPECT_EQ((std::vector<std::string>{"Please select an user account", "Modification of anuser account......done",
                                      "ERROR:: Modification of an user account........Fail"}),
            sink_.messages);
  EXPECT_EQ("Refused name", accounts.rows()[0].user_name);
  EXPECT_EQ("pw2", accounts.rows()[0].password);
  EXPECT_EQ(static_cast<uint32_t>(kUserModify), device_.received_operations().back().op);
  EXPECT_EQ("admin", device_.received_operations().back().user_id);

  sink_.messages.clear();
  const size_t sent = device_.received_operations().size();
  EXPECT_FALSE(accounts.Delete(*link_, 3, sink_));
  sink_.answer = false;
  EXPECT_FALSE(accounts.Delete(*link_, 0, sink_));
  EXPECT_EQ(sent, device_.received_operations().size()) << "No sends nothing";
  sink_.answer = true;
  Change([](bollard_sim::SimConfig& c) { c.op_result = 2; });
  EXPECT_FALSE(accounts.Delete(*link_, 0, sink_));
  EXPECT_EQ(2u, accounts.rows().size());
  Change([](bollard_sim::SimConfig& c) { c.op_result = -1; });
  EXPECT_TRUE(accounts.Delete(*link_, 0, sink_));
  EXPECT_EQ(1u, accounts.rows().size());
  EXPECT_EQ((std::vector<std::string>{"Please select an user account", "ERROR:: Deleting user account..........Fail",
                                      "Deleting user account......done"}),
            sink_.messages);
  EXPECT_EQ(3u, sink_.questions.size());
  EXPECT_EQ("Are you sure to delete this user account?", sink_.questions[0]);
  EXPECT_EQ(1u, device_.config().users.size());
}

TEST_F(Exchange, SilentDeviceEndsEveryExchange) {
  StartDevice({});
  device_.Stop();
  EXPECT_FALSE(LoginAndReport(*link_, "admin", "admin", sink_));
  EXPECT_TRUE(sink_.messages.empty()) << "no reply ends the login without a message";
  UserAccounts accounts;
  accounts.Reload(*link_);
  EXPECT_TRUE(accounts.rows().empty());
  EXPECT_EQ(3u, link_->UserOperation(kUserAdd, "a", "b", "c"));
}

NetworkSettings StaticSettings() {
  NetworkSettings s;
  s.device = "eth0";
  s.ip = 0x7F000001;
  s.netmask = 0xFF000000;
  s.gateway = 0x7F0000FE;
  s.static_host_name = "simcam";
  for (auto& part : s.entry_mac) part = "0A";
  return s;
}

TEST_F(Exchange, ApplySendsTheFileAndWaitsForTheResult) {
  bollard_sim::SimConfig config;
  config.reports_before_result = 2;
  config.config_text = "DEVICE=eth1\nBOOTPROTO=dhcp\n#\n";
  config.interface_count = 1;
  StartDevice(config);
  Apply(StaticSettings());
  EXPECT_EQ(kSucceeded, sink_.messages);
  ASSERT_EQ(1u, device_.received_configs().size());
  EXPECT_EQ("eth0", device_.received_configs()[0].device);
  EXPECT_EQ(
      "DEVICE=eth0\nONBOOT=yes\nBOOTPROTO=static\nIPADDR=127.0.0.1\nNETMASK=255.0.0.0\nGATEWAY=127.0.0.254\n"
      "MACADDR=0A:0A:0A:0A:0A:0A\nHOSTNAME=simcam\n",
      device_.received_configs()[0].text);
  ASSERT_EQ(1u, entries_.size()) << "reports before the result replace the dialog's entries";
  EXPECT_EQ("eth1", entries_[0].device);

  Change([](bollard_sim::SimConfig& c) { c.apply_result = 1; });
  Apply(StaticSettings());
  EXPECT_EQ(kFailed, sink_.messages);
}

TEST_F(Exchange, ApplyFailuresAreReportedAndTheWaitEnds) {
  bollard_sim::SimConfig config;
  config.apply_silent = true;
  StartDevice(config);
  uint64_t start = os::MonotonicMs();
  Apply(StaticSettings());
  EXPECT_EQ(kFailed, sink_.messages);
  EXPECT_LT(os::MonotonicMs() - start, 10000u) << "the wait for a result must end";

  NetworkSettings nameless = StaticSettings();
  nameless.static_host_name.clear();
  Apply(nameless);
  EXPECT_EQ((std::vector<std::string>{"You should put Hostname"}), sink_.messages);
  EXPECT_EQ(1u, device_.received_configs().size()) << "nothing is sent without a host name";

  // A file longer than Apply sends is called too large, not unopenable.
  NetworkSettings huge = StaticSettings();
  huge.static_host_name.assign(9000, 'h');
  Apply(huge);
  EXPECT_EQ((std::vector<std::string>{"File too large for config data = " + scratch_.path() +
                                      "eth0 (more than 8192 bytes)"}),
            sink_.messages);
  EXPECT_EQ(1u, device_.received_configs().size());

  Apply(StaticSettings(), scratch_.path() + "no-such-folder/");
  EXPECT_EQ((std::vector<std::string>{"File open failed for config data = " + scratch_.path() + "no-such-folder/eth0"}),
            sink_.messages);
}

// A static interface whose addresses would take the device off its network
// is refused, naming the field, and nothing is written or sent.
TEST_F(Exchange, ApplyRefusesStaticAddressesThatWouldCutTheDeviceOff) {
  StartDevice(bollard_sim::SimConfig());
  struct Case {
    int ip_fields, mask_fields, gateway_fields;
    uint32_t ip, mask, gateway;
    AddressField field;
    const char* message;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0, 0, AddressField::kAddress, "Please enter the whole Address of a statically set interface"},
      {4, 3, 4, 0x0A010203, 0xFFFFFF00, 0x0A010201, AddressField::kNetmask,
       "Please enter the whole Subnet Mask of a statically set interface"},
      {4, 4, 0, 0x0A010203, 0xFFFFFF00, 0, AddressField::kGateway,
       "Please enter the whole Default Gateway Address of a statically set interface"},
      {4, 4, 4, 0x0A010203, 0xFF00FF00, 0x0A010201, AddressField::kNetmask,
       "The Subnet Mask 255.0.255.0 is not a subnet mask"},
      {4, 4, 4, 0x0A010203, 0, 0x0A010201, AddressField::kNetmask, "The Subnet Mask 0.0.0.0 is not a subnet mask"},
      {4, 4, 4, 0x0A0102FF, 0xFFFFFF00, 0x0A010201, AddressField::kAddress,
       "The Address 10.1.2.255 is not a host address of its subnet 10.1.2.0/24"},
      {4, 4, 4, 0x0A010203, 0xFFFFFF00, 0x0A020001, AddressField::kGateway,
       "The Default Gateway Address 10.2.0.1 is not a host of the Address's subnet 10.1.2.0/24"},
      {4, 4, 4, 0x0A010203, 0xFFFFFF00, 0x0A010203, AddressField::kGateway,
       "The Default Gateway Address cannot be the Address itself"},
  };
  for (const Case& c : cases) {
    NetworkSettings s = StaticSettings();
    s.ip_fields = c.ip_fields, s.netmask_fields = c.mask_fields, s.gateway_fields = c.gateway_fields;
    s.ip = c.ip, s.netmask = c.mask, s.gateway = c.gateway;
    EXPECT_EQ(c.field, Apply(s)) << c.message;
    EXPECT_EQ((std::vector<std::string>{c.message}), sink_.messages);
  }
  EXPECT_TRUE(device_.received_configs().empty());
  EXPECT_EQ("<missing>", ReadFileText(scratch_.path() + "eth0"));
  NetworkSettings dhcp = StaticSettings();
  dhcp.boot = kBootDhcp;
  dhcp.ip_fields = dhcp.netmask_fields = dhcp.gateway_fields = 0;
  dhcp.dhcp_host_name = "cam";
  EXPECT_EQ(AddressField::kNone, Apply(dhcp));
  EXPECT_EQ(kSucceeded, sink_.messages) << "DHCP needs no addresses";
}

// The file goes through a folder whose name the ANSI code page cannot spell;
// where it cannot be created (the root of drive C for a standard user), it
// goes to the fallback folder, and the trace says where.
TEST_F(Exchange, TheInterfaceFileGoesThroughAnyFolderOrFallsBackAndTheTraceSaysWhere) {
  StartDevice(bollard_sim::SimConfig());
  const std::string folder = scratch_.path() + "\xEC\x9E\xA5\xEC\xB9\x98/";  // "장치"
  std::error_code ignored;
  std::filesystem::create_directories(os::PathOf(folder), ignored);
  Apply(StaticSettings(), folder);
  EXPECT_EQ(kSucceeded, sink_.messages);
  ASSERT_EQ(1u, device_.received_configs().size());
  EXPECT_EQ(device_.received_configs()[0].text, ReadFileText(folder + "eth0"));

  const std::string trace_path = scratch_.path() + "trace.txt";
  FILE* trace = std::fopen(trace_path.c_str(), "w+b");
  ASSERT_NE(nullptr, trace);
  Apply(StaticSettings(), scratch_.path() + "no-such-folder/", scratch_.path(), trace);
  std::fclose(trace);
  EXPECT_EQ(kSucceeded, sink_.messages);
  ASSERT_EQ(2u, device_.received_configs().size());
  EXPECT_EQ(device_.received_configs()[1].text, ReadFileText(scratch_.path() + "eth0"))
      << "the file is in the fallback folder";
  const std::string text = ReadFileText(trace_path);
  EXPECT_NE(std::string::npos, text.find("Interface file written to " + scratch_.path() + "eth0")) << text;
}

}  // namespace
}  // namespace bollard
