#pragma once
// Everything the simulated servers received, decoded, for tests and the control channel.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

struct ReceivedRequest {
  std::string server;  // "hosting", "ddns" or the camera ID
  uint32_t type = 0;
  std::string name;    // message name
  std::string fields;  // decoded values, "key=value" separated by spaces
  std::string Line() const { return server + " " + name + (fields.empty() ? "" : " " + fields); }
};

class RequestLog {
 public:
  void Add(ReceivedRequest request);
  // Lines containing `filter` (all when empty), oldest first.
  std::vector<std::string> Lines(const std::string& filter = "") const;
  std::vector<ReceivedRequest> All() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<ReceivedRequest> entries_;
};

// Names of the protocol's message types as the logs show them.
std::string MessageName(uint32_t type);
// Decodes a client request body into "key=value" fields.
std::string DecodeFields(uint32_t type, const uint8_t* body, uint32_t length);

}  // namespace sim
