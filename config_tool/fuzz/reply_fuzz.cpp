// Every decoder of a datagram Bollard or the simulated device receives.
#include <cstdint>
#include <vector>

#include "config_tool/device_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> copy(data, data + size);
  const uint8_t* p = copy.data();
  uint32_t result = 0;
  for (uint32_t type : {bollard::kLoginReply, bollard::kConfigResult, bollard::kUserOperationReply})
    bollard::DecodeResultReply(p, size, type, &result);
  std::vector<bollard::UserRecord> users;
  bollard::DecodeUserListReply(p, size, &users);
  if (users.size() > bollard::kMaxUsers) __builtin_trap();
  bollard::ConfigData config;
  bollard::DecodeConfigData(p, size, &config);
  bollard::LoginRequest login;
  bollard::DecodeLoginRequest(p, size, &login);
  bollard::UserOperationRequest op;
  bollard::DecodeUserOperation(p, size, &op);
  return 0;
}
