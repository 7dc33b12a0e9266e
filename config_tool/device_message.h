#pragma once
// Bollard's UDP messages to and from a device. Every datagram is a header of two
// big-endian 32-bit words, type then length, followed by the body. We write the
// length each type has always carried and ignore the length of what we receive,
// so decoders look only at the bytes that actually arrived.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/byte_order.h"

namespace bollard {

enum MessageType : uint32_t {
  kSetupRequest = 0,
  kConfigReport = 1,
  kConfigData = 2,
  kConfigResult = 3,
  kLoginRequest = 16,
  kLoginReply = 17,
  kUserListRequest = 18,
  kUserListReply = 19,
  kUserOperation = 20,
  kUserOperationReply = 21,
};

enum UserOp : uint32_t { kUserAdd = 1, kUserDelete = 2, kUserModify = 3 };

// Field widths of the messages, terminating NUL included.
constexpr size_t kDeviceField = 16;
constexpr size_t kUserIdField = 16;
constexpr size_t kUserNameField = 32;
constexpr size_t kPasswordField = 16;
constexpr size_t kUserRecordSize = 64;
constexpr uint32_t kMaxUsers = 200;
constexpr size_t kHeaderSize = 8;
// A full user list: header, value, count and 200 records.
constexpr size_t kUserListReplyMax = kHeaderSize + 8 + kMaxUsers * kUserRecordSize;

using Bytes = std::vector<uint8_t>;

// Appending writers over the field helpers of net/byte_order.h, which decode
// too (net::GetBE32, net::GetText); integers are appended with
// os::AppendBE32. Those headers stand alone, so sharing them links nothing
// of Halyard's into Bollard.
// Appends a fixed field of `width` bytes: text cut to width - 1, NUL-padded.
void PutText(Bytes& out, const std::string& text, size_t width);

Bytes EncodeSetupRequest();
Bytes EncodeConfigData(const std::string& device, const std::string& text);
Bytes EncodeLoginRequest(const std::string& user_id, const std::string& password);
Bytes EncodeUserListRequest();
Bytes EncodeUserOperation(uint32_t op, const std::string& user_id, const std::string& user_name,
                          const std::string& password);

// The type word of a datagram; -1 when it is shorter than a header.
int64_t MessageTypeOf(const uint8_t* data, size_t length);

// Replies that carry one result word (login status, configuration result,
// user operation result). Return 0 when the datagram is of `type` and holds the word.
int DecodeResultReply(const uint8_t* data, size_t length, uint32_t type, uint32_t* result);

struct UserRecord {
  std::string user_id;
  std::string user_name;
};

// A user list reply: a count above 200 yields no records; otherwise only the
// records that arrived whole are returned, however many the count promised.
int DecodeUserListReply(const uint8_t* data, size_t length, std::vector<UserRecord>* users);

// Requests as a device reads them (the simulated device and its tests).
struct ConfigData {
  std::string device;
  std::string text;
};
int DecodeConfigData(const uint8_t* data, size_t length, ConfigData* out);
struct LoginRequest {
  std::string user_id, password;
};
int DecodeLoginRequest(const uint8_t* data, size_t length, LoginRequest* out);
struct UserOperationRequest {
  uint32_t op = 0;
  std::string user_id, user_name, password;
};
int DecodeUserOperation(const uint8_t* data, size_t length, UserOperationRequest* out);

}  // namespace bollard
