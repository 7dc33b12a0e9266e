#include "net/login_messages.h"

#include "net/byte_order.h"

namespace net {

std::array<uint8_t, kLoginRequestSize> EncodeLoginRequest(const std::string& user, const std::string& password) {
  std::array<uint8_t, kLoginRequestSize> body{};
  PutText(body.data(), 16, user);
  PutText(body.data() + 16, 16, password);
  return body;
}

bool DecodeLoginRequest(const uint8_t* body, uint32_t length, std::string* user, std::string* password) {
  if (length < 32) return false;
  *user = GetText(body, 16);
  *password = GetText(body + 16, 16);
  return true;
}

uint32_t DecodeLoginReply(const uint8_t* body, uint32_t length) { return length >= 4 ? GetBE32(body) : 0; }

std::array<uint8_t, kCameraInfoRequestSize> EncodeCameraInfoRequest() {
  std::array<uint8_t, kCameraInfoRequestSize> body{};
  PutText(body.data(), body.size(), "ALL");
  return body;
}

std::array<uint8_t, kFileListRequestSize> EncodeFileListRequest() {
  std::array<uint8_t, kFileListRequestSize> body{};
  PutText(body.data(), body.size(), "ALL");
  return body;
}

}  // namespace net
