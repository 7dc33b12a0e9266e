#pragma once
// Camera control requests and the small integer replies. All integer-only
// bodies are big-endian; the preset-enable request alone is little-endian.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace net {

struct ControlMessage {
  uint32_t type = 0;
  std::vector<uint8_t> body;
};

constexpr int kPtzStepLimit = 10;
constexpr int kLensSpeedLimit = 10;

// RequestPTZControl: nothing to send when both steps are 0. The tilt is negated
// on the wire because screen y grows downwards and the camera's tilt upwards.
std::optional<ControlMessage> EncodePtzStep(int pan, int tilt);
// The relayed form names the camera and clamps both steps to -10..10.
std::optional<ControlMessage> EncodePtzStepForCamera(const std::string& camera_id, int pan, int tilt);
// Speeds of 10 and above are sent as 10.
ControlMessage EncodeLensControl(uint32_t operation, uint32_t speed);
// Sent only when all four corners are non-negative.
std::optional<ControlMessage> EncodeAdvancedPtz(int x1, int y1, int x2, int y2);

enum PresetCommand : uint32_t {
  kPresetSetup = 0,
  kPresetGoto = 2,
  kGroupSetup = 3,
  kGroupRun = 4,
  kGroupStop = 5,
};
ControlMessage EncodePresetCommand(uint32_t command, uint32_t number);

constexpr uint32_t kQualityLevels[] = {4, 8, 12, 16, 20};
// Only 4, 8, 12, 16 and 20 are quantiser levels the camera knows.
std::optional<ControlMessage> EncodeQuality(uint32_t level);
// Inputs 0 (internal), 1 (external), 2 (alternating); 3 and above are not sent.
std::optional<ControlMessage> EncodeVideoInput(uint32_t input);
ControlMessage EncodeReboot();
ControlMessage EncodePtzPositionQuery();
ControlMessage EncodeSetPtzPosition(int32_t pan, int32_t tilt, int32_t zoom);
ControlMessage EncodePresetEnable();

struct PtzPosition {
  int32_t pan = 0, tilt = 0, zoom = 0;
};
// ReplyPtzPosition counts only when its first two words are 255 and 1.
bool DecodePtzPositionReply(const uint8_t* body, uint32_t length, PtzPosition* out);
std::vector<uint8_t> EncodePtzPositionReply(const PtzPosition& position);

// EventNotice, UserNumber, ReplyPresetAck and similar one-word bodies.
bool DecodeWord(const uint8_t* body, uint32_t length, uint32_t* value);
std::vector<uint8_t> EncodeWord(uint32_t value);

// The decoded fields of a control request, for peers and for logging what arrived.
struct DecodedControl {
  uint32_t type = 0;
  std::string camera_id;          // 40-byte PTZ form only
  std::vector<int32_t> values;    // the body's integer words in order
};
bool DecodeControl(uint32_t type, const uint8_t* body, uint32_t length, DecodedControl* out);

}  // namespace net
