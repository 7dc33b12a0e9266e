#include "config_tool/device_message.h"

#include <algorithm>

#include "os/byte_order.h"

namespace bollard {

void PutText(Bytes& out, const std::string& text, size_t width) {
  out.resize(out.size() + width);
  net::PutText(&out[out.size() - width], width, text);
}

namespace {

Bytes Header(uint32_t type, uint32_t length) {
  Bytes out;
  os::AppendBE32(out, type);
  os::AppendBE32(out, length);
  return out;
}

}  // namespace

Bytes EncodeSetupRequest() {
  Bytes out = Header(kSetupRequest, 4);
  os::AppendBE32(out, 0);
  return out;
}

Bytes EncodeConfigData(const std::string& device, const std::string& text) {
  Bytes out = Header(kConfigData, 136);
  os::AppendBE32(out, 0);
  PutText(out, device, kDeviceField);
  os::AppendBE32(out, static_cast<uint32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

Bytes EncodeLoginRequest(const std::string& user_id, const std::string& password) {
  Bytes out = Header(kLoginRequest, 36);
  os::AppendBE32(out, 0);
  PutText(out, user_id, kUserIdField);
  PutText(out, password, kPasswordField);
  return out;
}

Bytes EncodeUserListRequest() {
  Bytes out = Header(kUserListRequest, 4);
  os::AppendBE32(out, 0);
  return out;
}

Bytes EncodeUserOperation(uint32_t op, const std::string& user_id, const std::string& user_name,
                          const std::string& password) {
  Bytes out = Header(kUserOperation, 80);
  os::AppendBE32(out, 0);
  os::AppendBE32(out, op);
  PutText(out, user_id, kUserIdField);
  PutText(out, user_name, kUserNameField);
  PutText(out, password, kPasswordField);
  return out;
}

int64_t MessageTypeOf(const uint8_t* data, size_t length) {
  if (!data || length < kHeaderSize) return -1;
  return net::GetBE32(data);
}

int DecodeResultReply(const uint8_t* data, size_t length, uint32_t type, uint32_t* result) {
  if (MessageTypeOf(data, length) != type || length < kHeaderSize + 4) return -1;
  *result = net::GetBE32(data + kHeaderSize);
  return 0;
}

int DecodeUserListReply(const uint8_t* data, size_t length, std::vector<UserRecord>* users) {
  users->clear();
  if (MessageTypeOf(data, length) != kUserListReply || length < kHeaderSize + 8) return -1;
  uint32_t count = net::GetBE32(data + kHeaderSize + 4);
  if (count > kMaxUsers) return 0;
  size_t arrived = (length - kHeaderSize - 8) / kUserRecordSize;
  size_t n = std::min<size_t>(count, arrived);
  const uint8_t* p = data + kHeaderSize + 8;
  for (size_t i = 0; i < n; ++i, p += kUserRecordSize)
    users->push_back({net::GetText(p, kUserIdField), net::GetText(p + kUserIdField, kUserNameField)});
  return 0;
}

int DecodeConfigData(const uint8_t* data, size_t length, ConfigData* out) {
  constexpr size_t kFixed = kHeaderSize + 4 + kDeviceField + 4;
  if (MessageTypeOf(data, length) != kConfigData || length < kFixed) return -1;
  out->device = net::GetText(data + kHeaderSize + 4, kDeviceField);
  uint32_t n = net::GetBE32(data + kFixed - 4);
  if (n > length - kFixed) return -1;
  out->text.assign(reinterpret_cast<const char*>(data + kFixed), n);
  return 0;
}

int DecodeLoginRequest(const uint8_t* data, size_t length, LoginRequest* out) {
  if (MessageTypeOf(data, length) != kLoginRequest || length < kHeaderSize + 4 + 32) return -1;
  out->user_id = net::GetText(data + kHeaderSize + 4, kUserIdField);
  out->password = net::GetText(data + kHeaderSize + 4 + kUserIdField, kPasswordField);
  return 0;
}

int DecodeUserOperation(const uint8_t* data, size_t length, UserOperationRequest* out) {
  if (MessageTypeOf(data, length) != kUserOperation || length < kHeaderSize + 8 + 64) return -1;
  const uint8_t* p = data + kHeaderSize + 4;
  out->op = net::GetBE32(p);
  p += 4;
  out->user_id = net::GetText(p, kUserIdField);
  out->user_name = net::GetText(p + kUserIdField, kUserNameField);
  out->password = net::GetText(p + kUserIdField + kUserNameField, kPasswordField);
  return 0;
}

}  // namespace bollard
