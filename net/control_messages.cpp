#include "net/control_messages.h"

#include <algorithm>

#include "net/byte_order.h"
#include "net/packet_header.h"

namespace net {
namespace {

ControlMessage Words(uint32_t type, std::initializer_list<int32_t> words) {
  ControlMessage m;
  m.type = type;
  m.body.resize(4 * words.size());
  uint8_t* p = m.body.data();
  for (int32_t w : words) {
    PutBE32(p, static_cast<uint32_t>(w));
    p += 4;
  }
  return m;
}

}  // namespace

std::optional<ControlMessage> EncodePtzStep(int pan, int tilt) {
  if (pan == 0 && tilt == 0) return std::nullopt;
  return Words(kRequestPtzControl, {pan, -tilt});
}

std::optional<ControlMessage> EncodePtzStepForCamera(const std::string& camera_id, int pan, int tilt) {
  if (pan == 0 && tilt == 0) return std::nullopt;
  pan = std::clamp(pan, -kPtzStepLimit, kPtzStepLimit);
  tilt = std::clamp(tilt, -kPtzStepLimit, kPtzStepLimit);
  ControlMessage m;
  m.type = kRequestPtzControl;
  m.body.resize(40);
  PutText(m.body.data(), 32, camera_id);
  PutBE32(&m.body[32], static_cast<uint32_t>(pan));
  PutBE32(&m.body[36], static_cast<uint32_t>(-tilt));
  return m;
}

ControlMessage EncodeLensControl(uint32_t operation, uint32_t speed) {
  return Words(kRequestLensControl, {static_cast<int32_t>(operation),
                                     static_cast<int32_t>(std::min<uint32_t>(speed, kLensSpeedLimit))});
}

std::optional<ControlMessage> EncodeAdvancedPtz(int x1, int y1, int x2, int y2) {
  if (x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0) return std::nullopt;
  return Words(kAdvancedPtzControl, {x1, y1, x2, y2});
}

ControlMessage EncodePresetCommand(uint32_t command, uint32_t number) {
  return Words(kRequestPresetCommand, {static_cast<int32_t>(command), static_cast<int32_t>(number), 0, 0});
}

std::optional<ControlMessage> EncodeQuality(uint32_t level) {
  if (std::find(std::begin(kQualityLevels), std::end(kQualityLevels), level) == std::end(kQualityLevels))
    return std::nullopt;
  return Words(kRequestQuality, {static_cast<int32_t>(level)});
}

std::optional<ControlMessage> EncodeVideoInput(uint32_t input) {
  if (input > 2) return std::nullopt;
  return Words(kRequestVideoInput, {static_cast<int32_t>(input)});
}

ControlMessage EncodeReboot() { return Words(kRequestReboot, {20}); }
ControlMessage EncodePtzPositionQuery() { return Words(kPtzPosition, {1, 255, 0, 0, 0}); }
ControlMessage EncodeSetPtzPosition(int32_t pan, int32_t tilt, int32_t zoom) {
  return Words(kSetPtzPosition, {1, 255, pan, tilt, zoom});
}

ControlMessage EncodePresetEnable() {
  ControlMessage m;
  m.type = kPresetEnable;
  m.body.resize(8);
  PutLE32(&m.body[0], 1);
  PutLE32(&m.body[4], 1);
  return m;
}

bool DecodePtzPositionReply(const uint8_t* body, uint32_t length, PtzPosition* out) {
  if (length < 20 || GetBE32(body) != 255 || GetBE32(body + 4) != 1) return false;
  out->pan = static_cast<int32_t>(GetBE32(body + 8));
  out->tilt = static_cast<int32_t>(GetBE32(body + 12));
  out->zoom = static_cast<int32_t>(GetBE32(body + 16));
  return true;
}

std::vector<uint8_t> EncodePtzPositionReply(const PtzPosition& p) {
  return Words(kPtzPosition, {255, 1, p.pan, p.tilt, p.zoom}).body;
}

bool DecodeWord(const uint8_t* body, uint32_t length, uint32_t* value) {
  if (length < 4) return false;
  *value = GetBE32(body);
  return true;
}

std::vector<uint8_t> EncodeWord(uint32_t value) { return Words(0, {static_cast<int32_t>(value)}).body; }

bool DecodeControl(uint32_t type, const uint8_t* body, uint32_t length, DecodedControl* out) {
  out->type = type;
  out->camera_id.clear();
  out->values.clear();
  uint32_t offset = 0;
  if (type == kRequestPtzControl && length == 40) {
    out->camera_id = GetText(body, 32);
    offset = 32;
  }
  bool little = type == kPresetEnable || type == kCameraWordSet;
  // Integer control bodies are short; anything longer is not one of them.
  if (length > 64 || (length - offset) % 4 != 0) return false;
  for (uint32_t i = offset; i + 4 <= length; i += 4)
    out->values.push_back(static_cast<int32_t>(little ? GetLE32(body + i) : GetBE32(body + i)));
  return true;
}

}  // namespace net
