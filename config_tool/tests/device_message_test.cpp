#include <gtest/gtest.h>

#include <cstring>

#include "config_tool/device_message.h"
#include "os/byte_order.h"

namespace bollard {
namespace {

Bytes UserList(uint32_t count, size_t records) {
  Bytes out;
  os::AppendBE32(out, kUserListReply);
  os::AppendBE32(out, 0);
  os::AppendBE32(out, 0);
  os::AppendBE32(out, count);
  for (size_t i = 0; i < records; ++i) {
    PutText(out, "id" + std::to_string(i), kUserIdField);
    PutText(out, "name" + std::to_string(i), kUserNameField);
    PutText(out, "secret", 16);
  }
  return out;
}

std::string Hex(const Bytes& b) {
  std::string out;
  for (uint8_t v : b) out += "0123456789ABCDEF"[v >> 4], out += "0123456789ABCDEF"[v & 15];
  return out;
}

TEST(DeviceMessage, RequestsHaveTheirFixedLayouts) {
  EXPECT_EQ("00000000" "00000004" "00000000", Hex(EncodeSetupRequest()));
  EXPECT_EQ("00000012" "00000004" "00000000", Hex(EncodeUserListRequest()));

  // Golden: type, length, a zero word, then each text in its NUL-padded field.
  EXPECT_EQ("00000010" "00000024" "00000000" "61646D696E0000000000000000000000"
            "70770000000000000000000000000000",
            Hex(EncodeLoginRequest("admin", "pw")));
  EXPECT_EQ("00000014" "00000050" "00000000" "00000003" "75310000000000000000000000000000"
            "55736572204F6E650000000000000000" "00000000000000000000000000000000"
            "70773100000000000000000000000000",
            Hex(EncodeUserOperation(kUserModify, "u1", "User One", "pw1")));

  Bytes config = EncodeConfigData("eth0", "DEVICE=eth0\n");
  ASSERT_EQ(32u + 12u, config.size());
  EXPECT_EQ(136u, net::GetBE32(config.data() + 4));
  EXPECT_EQ(12u, net::GetBE32(config.data() + 28));
  ConfigData back;
  ASSERT_EQ(0, DecodeConfigData(config.data(), config.size(), &back));
  EXPECT_EQ("eth0", back.device);
  EXPECT_EQ("DEVICE=eth0\n", back.text);
}

TEST(DeviceMessage, TextLongerThanItsFieldIsCutAndKeepsItsNul) {
  EXPECT_EQ("00000010" "00000024" "00000000" "69696969696969696969696969696900"
            "70707070707070707070707070707000",
            Hex(EncodeLoginRequest(std::string(20, 'i'), std::string(20, 'p'))));
}

TEST(DeviceMessage, FieldFilledToTheBrimIsReadWholeAndNoFurther) {
  // The same rule as every other wire text: up to the first NUL or the end of
  // the field, never a byte short of it and never past it.
  Bytes list = UserList(1, 1);
  std::memset(&list[16], 'x', kUserIdField);
  std::vector<UserRecord> users;
  ASSERT_EQ(0, DecodeUserListReply(list.data(), list.size(), &users));
  ASSERT_EQ(1u, users.size());
  EXPECT_EQ(std::string(kUserIdField, 'x'), users[0].user_id);
  EXPECT_EQ("name0", users[0].user_name);
}

TEST(DeviceMessage, ResultRepliesNeedTheirTypeAndWord) {
  Bytes reply;
  os::AppendBE32(reply, kLoginReply);
  os::AppendBE32(reply, 4);
  os::AppendBE32(reply, 2);
  uint32_t status = 99;
  ASSERT_EQ(0, DecodeResultReply(reply.data(), reply.size(), kLoginReply, &status));
  EXPECT_EQ(2u, status);
  EXPECT_EQ(-1, DecodeResultReply(reply.data(), reply.size(), kConfigResult, &status));
  EXPECT_EQ(-1, DecodeResultReply(reply.data(), 11, kLoginReply, &status)) << "result word cut short";
  EXPECT_EQ(-1, MessageTypeOf(reply.data(), 7));
}

TEST(DeviceMessage, UserListTakesOnlyRecordsThatArrived) {
  std::vector<UserRecord> users;
  Bytes full = UserList(200, 200);
  ASSERT_EQ(kUserListReplyMax, full.size());
  ASSERT_EQ(0, DecodeUserListReply(full.data(), full.size(), &users));
  ASSERT_EQ(200u, users.size());
  EXPECT_EQ("id199", users[199].user_id);
  EXPECT_EQ("name199", users[199].user_name);

  Bytes over = UserList(201, 201);
  ASSERT_EQ(0, DecodeUserListReply(over.data(), over.size(), &users));
  EXPECT_TRUE(users.empty()) << "a count above 200 yields no records";

  // The count promises 10, the datagram holds 3 whole records and part of a fourth.
  Bytes cut = UserList(10, 4);
  cut.resize(cut.size() - 20);
  ASSERT_EQ(0, DecodeUserListReply(cut.data(), cut.size(), &users));
  ASSERT_EQ(3u, users.size());
  EXPECT_EQ("id2", users[2].user_id);

  Bytes fewer = UserList(2, 5);
  ASSERT_EQ(0, DecodeUserListReply(fewer.data(), fewer.size(), &users));
  EXPECT_EQ(2u, users.size()) << "records past the count are not users";
  EXPECT_EQ(-1, DecodeUserListReply(fewer.data(), 15, &users));
}

TEST(DeviceMessage, DeviceSideDecodersRefuseShortOrLyingDatagrams) {
  Bytes config = EncodeConfigData("eth0", "abc");
  ConfigData data;
  config[31] = 200;  // claims 200 bytes of text, 3 arrived
  EXPECT_EQ(-1, DecodeConfigData(config.data(), config.size(), &data));
  LoginRequest login;
  Bytes l = EncodeLoginRequest("a", "b");
  EXPECT_EQ(-1, DecodeLoginRequest(l.data(), l.size() - 1, &login));
  UserOperationRequest op;
  Bytes o = EncodeUserOperation(kUserAdd, "a", "b", "c");
  EXPECT_EQ(-1, DecodeUserOperation(o.data(), o.size() - 1, &op));
  ASSERT_EQ(0, DecodeUserOperation(o.data(), o.size(), &op));
  EXPECT_EQ(1u, op.op);
}

}  // namespace
}  // namespace bollard
