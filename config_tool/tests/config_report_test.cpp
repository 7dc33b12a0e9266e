#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "config_tool/config_report.h"

namespace bollard {
namespace {

const char kEth0[] =
    "DEVICE=eth0\nONBOOT=yes\nBOOTPROTO=static\nIPADDR=192.168.0.5\nNETMASK=255.255.255.0\n"
    "GATEWAY=192.168.0.1\nMACADDR=00:1A:2B:3C:4D:5E\nHOSTNAME=cam1\n#\n";
const char kEth1[] = "DEVICE=eth1\nONBOOT=no\nBOOTPROTO=dhcp\nMACADDR=00:1A:2B:3C:4D:5F\nHOSTNAME=\n#\n";

int Parse(const Bytes& datagram, ConfigReport* report) {
  return ParseConfigReport(datagram.data(), datagram.size(), report, nullptr);
}

// An entry's fields in one line: device, on boot, protocol, addresses, MAC, host name @ address text.
std::string Describe(const InterfaceEntry& e) {
  return e.device + " " + e.on_boot + " " + e.boot_proto + " " + DottedQuad(e.ip) + " " + DottedQuad(e.netmask) + " " +
         DottedQuad(e.gateway) + " " + MacText(e.mac) + " " + e.host_name + " @" + e.address;
}

// Every entry carries the report's address text; a HOSTNAME without value
// is shown as NDEF.
TEST(ConfigReport, NewFormCarriesAddressTextAndBothInterfaces) {
  ConfigReport r;
  ASSERT_EQ(0, Parse(EncodeConfigReport(7, "10.0.0.9", 2, std::string(kEth0) + kEth1), &r));
  EXPECT_EQ(7u, r.value);
  EXPECT_FALSE(r.old_form);
  EXPECT_EQ("10.0.0.9", r.address);
  ASSERT_EQ(2u, r.entries.size());
  EXPECT_EQ(0xC0A80005u, r.entries[0].ip);
  EXPECT_EQ("eth0 yes static 192.168.0.5 255.255.255.0 192.168.0.1 00:1A:2B:3C:4D:5E cam1 @10.0.0.9",
            Describe(r.entries[0]));
  EXPECT_EQ("eth1 no dhcp 0.0.0.0 0.0.0.0 0.0.0.0 00:1A:2B:3C:4D:5F NDEF @10.0.0.9", Describe(r.entries[1]));
}

TEST(ConfigReport, OlderFormHasNoAddressText) {
  ConfigReport r;
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, "", 1, kEth0), &r));
  EXPECT_TRUE(r.old_form);
  EXPECT_EQ(1u, r.count);
  ASSERT_EQ(1u, r.entries.size());
  EXPECT_EQ("Unkown, OLD Version ^^", r.entries[0].address);
  EXPECT_EQ("cam1", r.entries[0].host_name);
}

TEST(ConfigReport, CountLimitsTheInterfacesRead) {
  ConfigReport r;
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, "", 1, std::string(kEth0) + kEth1), &r));
  ASSERT_EQ(1u, r.entries.size());
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, "", 0, kEth0), &r));
  EXPECT_TRUE(r.entries.empty());
}

TEST(ConfigReport, ValuesThatBreakTheRulesEndTheParseWithAnError) {
  const struct {
    uint32_t count;
    std::string text;
  } cases[] = {
      {1, "DEVICE=eth0\nIPADDR=10.1.2.256\n#\n"},
      {1, "IPADDR=10.1.x.3\n#\n"},
      {1, "NETMASK=1000.0.0.0\n#\n"},
      {1, "DEVICE=eth2\n#\n"},
      {1, "ONBOOT=maybe\n#\n"},
      {1, "BOOTPROTO=bootp\n#\n"},
      // The error ends the parse even after a good interface.
      {2, std::string(kEth0) + "GATEWAY=1.2.3.256\n#\n"},
      // A short MAC line must not take the keys below it as parts, nor merge
      // two interfaces into one.
      {1, "MACADDR=00:1A:2B\nHOSTNAME=cam1\n#\n"},
      {2, "DEVICE=eth0\nMACADDR=00:1A:2B:3C\n#\nDEVICE=eth1\n#\n"},
  };
  for (const auto& c : cases) {
    ConfigReport r;
    EXPECT_EQ(-1, Parse(EncodeConfigReport(0, "10.0.0.9", c.count, c.text), &r)) << c.text;
  }
  ConfigReport r;
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, "10.0.0.9", 1, "IPADDR=255.255.255.255\n#\n"), &r));
  EXPECT_EQ(0xFFFFFFFFu, r.entries[0].ip);
}

TEST(ConfigReport, TextWithoutFinalHashEndsTheReport) {
  ConfigReport r;
  std::string text(kEth0);
  text.resize(text.size() - 2);  // drop "#\n"
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, "10.0.0.9", 2, text), &r));
  ASSERT_EQ(1u, r.entries.size()) << "the interface read so far counts, the missing second one does not";
  EXPECT_EQ("cam1", r.entries[0].host_name);
  // Cut in the middle of an address: still no error, the report simply ends.
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, "10.0.0.9", 1, "DEVICE=eth0\nIPADDR=10.1"), &r));
  ASSERT_EQ(1u, r.entries.size());
  EXPECT_EQ("eth0", r.entries[0].device);
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, "10.0.0.9", 2, ""), &r));
  EXPECT_TRUE(r.entries.empty());
}

TEST(ConfigReport, UnknownTokensAreSkippedAndKeysTraced) {
  ConfigReport r;
  FILE* f = std::tmpfile();
  ASSERT_NE(nullptr, f) << "no temporary file for the trace";
  Bytes d = EncodeConfigReport(0, "10.0.0.9", 1, "TYPE=Ethernet\nDEVICE=eth1\n#\n");
  ASSERT_EQ(0, ParseConfigReport(d.data(), d.size(), &r, f));
  std::rewind(f);
  char trace[512] = {};
  size_t n = std::fread(trace, 1, sizeof trace - 1, f);
  std::fclose(f);
  EXPECT_EQ("token = TYPE\ntoken = Ethernet\ntoken = DEVICE\ntoken = #\n", std::string(trace, n));
  ASSERT_EQ(1u, r.entries.size());
  EXPECT_EQ("eth1", r.entries[0].device);
}

// A host name goes back to the device as it came: dots and colons are part of it.
TEST(ConfigReport, HostNamesKeepTheirDotsAndColons) {
  for (const char* name : {"cam.local", "cam:2", "a.b.c", "cam.", "x"}) {
    ConfigReport r;
    ASSERT_EQ(0, Parse(EncodeConfigReport(0, "10.0.0.9", 1, std::string("DEVICE=eth0\nHOSTNAME=") + name +
                                                               "\nBOOTPROTO=dhcp\n#\n"), &r));
    ASSERT_EQ(1u, r.entries.size());
    EXPECT_EQ(std::string(name) == "cam." ? "cam" : name, r.entries[0].host_name);
    EXPECT_EQ("dhcp", r.entries[0].boot_proto) << "the keys after it are read as before";
  }
}

TEST(ConfigReport, FieldsNeverRunPastTheirWidth) {
  ConfigReport r;
  std::string long_name(80, 'h');
  ASSERT_EQ(0, Parse(EncodeConfigReport(0, std::string(40, '9'), 1,
                                        "MACADDR=001:2:3:4:5:6\nHOSTNAME=" + long_name + "\n#\n"), &r));
  const InterfaceEntry& e = r.entries.at(0);
  EXPECT_EQ(31u, e.host_name.size());
  EXPECT_EQ("00", e.mac[0]);
  EXPECT_EQ(31u, r.address.size()) << "the address text keeps its terminating NUL in 32 bytes";
}

TEST(ConfigReport, ShortOrForeignDatagramsAreRejected) {
  ConfigReport r;
  Bytes d = EncodeConfigReport(0, "10.0.0.9", 1, kEth0);
  EXPECT_EQ(-1, ParseConfigReport(d.data(), 12, &r, nullptr)) << "no room for the form word";
  EXPECT_EQ(-1, ParseConfigReport(d.data(), 20, &r, nullptr)) << "address text cut short";
  d[3] = 3;
  EXPECT_EQ(-1, ParseConfigReport(d.data(), d.size(), &r, nullptr)) << "not a report";
}

}  // namespace
}  // namespace bollard
