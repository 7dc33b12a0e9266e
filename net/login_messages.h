#pragma once
// Login (RequestUserLogin / ReplyUserLogin) and the small text requests sent right after it.
#include <array>
#include <cstdint>
#include <string>

namespace net {

constexpr uint32_t kLoginRequestSize = 72;
constexpr uint32_t kLoginAccepted = 1;

// User ID and password are cut to 15 characters so their NUL fits the 16-byte fields.
std::array<uint8_t, kLoginRequestSize> EncodeLoginRequest(const std::string& user, const std::string& password);
bool DecodeLoginRequest(const uint8_t* body, uint32_t length, std::string* user, std::string* password);

// ReplyUserLogin: a big-endian result word; a short body counts as a refusal.
uint32_t DecodeLoginReply(const uint8_t* body, uint32_t length);

constexpr uint32_t kCameraInfoRequestSize = 32;
constexpr uint32_t kFileListRequestSize = 256;
// RequestCameraInfo and RequestFileList both carry "ALL" in a zeroed field.
std::array<uint8_t, kCameraInfoRequestSize> EncodeCameraInfoRequest();
std::array<uint8_t, kFileListRequestSize> EncodeFileListRequest();

}  // namespace net
