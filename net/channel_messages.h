#pragma once
// Channel set-up, channel commands and stored-file playback requests. All of
// these bodies are little-endian (sent by the original peers as laid out in memory).
#include <array>
#include <cstdint>
#include <string>

namespace net {

constexpr uint32_t kChannelSetupSize = 368;
constexpr uint32_t kChannelCommandSize = 48;
constexpr uint32_t kFilePlaySize = 260;
constexpr uint32_t kStreamingResetSize = 12;
constexpr uint32_t kNodeParametersMinSize = 280;
constexpr uint32_t kChannelNotFound = 0xFFFFFFFF;

enum ChannelCommandCode : uint32_t { kCommandStart = 3, kCommandMenu = 4, kCommandRelease = 5 };

struct ChannelSetupRecord {
  uint32_t channel_id = 0;
  uint32_t kind = 0;
  uint32_t direction = 0;  // 1 for a speaker channel
  uint32_t reserved = 1;
  std::string file_name;   // stored file, kinds 4 and 5
  std::string camera_id;
};

// A request for `kind`: direction 1 for the speaker channel, camera IDs of live
// channels without line feeds (camera lists carry them at the end of the ID).
ChannelSetupRecord MakeChannelSetupRequest(uint32_t kind, const std::string& camera_id, const std::string& file_name);

std::array<uint8_t, kChannelSetupSize> EncodeChannelSetup(const ChannelSetupRecord& record);
bool DecodeChannelSetup(const uint8_t* body, uint32_t length, ChannelSetupRecord* out);

struct ChannelCommand {
  uint32_t count = 1;
  uint32_t channel_ids[10] = {};
  uint32_t command = 0;
};
std::array<uint8_t, kChannelCommandSize> EncodeChannelCommand(uint32_t channel_id, uint32_t command);
// Counts above 10 are cut to 10: the field holds no more.
bool DecodeChannelCommand(const uint8_t* body, uint32_t length, ChannelCommand* out);

// RequestFilePlay: start position (-1 = from the beginning) and file name.
std::array<uint8_t, kFilePlaySize> EncodeFilePlay(int32_t position, const std::string& file_name);
bool DecodeFilePlay(const uint8_t* body, uint32_t length, int32_t* position, std::string* file_name);

// RequeststreamingReset: seek a playing stored file.
std::array<uint8_t, kStreamingResetSize> EncodeStreamingReset(uint32_t channel_id, uint32_t position);
bool DecodeStreamingReset(const uint8_t* body, uint32_t length, uint32_t* channel_id, uint32_t* position);

// NodeParameters: six words from offset 256; the first is the channel ID they belong to.
struct NodeParameters {
  uint32_t words[6] = {};
  uint32_t channel_id() const { return words[0]; }
};
bool DecodeNodeParameters(const uint8_t* body, uint32_t length, NodeParameters* out);
std::array<uint8_t, kNodeParametersMinSize> EncodeNodeParameters(const NodeParameters& params);

}  // namespace net
