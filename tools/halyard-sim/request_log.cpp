#include "request_log.h"

#include <cstring>

#include "net/byte_order.h"
#include "net/camera_setup_info.h"
#include "net/channel_messages.h"
#include "net/control_messages.h"
#include "net/ddns_messages.h"
#include "net/login_messages.h"
#include "net/media_data.h"
#include "net/packet_header.h"

namespace sim {

void RequestLog::Add(ReceivedRequest request) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A long demo run must not grow without bound.
  if (entries_.size() >= 100000) entries_.erase(entries_.begin(), entries_.begin() + 50000);
  entries_.push_back(std::move(request));
}

std::vector<std::string> RequestLog::Lines(const std::string& filter) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const auto& e : entries_) {
    std::string line = e.Line();
    if (filter.empty() || line.find(filter) != std::string::npos) out.push_back(line);
  }
  return out;
}

std::vector<ReceivedRequest> RequestLog::All() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_;
}

void RequestLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

std::string MessageName(uint32_t type) {
  switch (type) {
    case net::kRequestCameraInfo: return "RequestCameraInfo";
    case net::kRequestChannelSetup: return "RequestChannelSetup";
    case net::kRequestChannelCommand: return "RequestChannelCommand";
    case net::kMediaData: return "MediaData";
    case net::kRequestUserLogin: return "RequestUserLogin";
    case net::kRequestOnlineCameraList: return "RequestOnlineCameraList";
    case net::kRequestFileList: return "RequestFileList";
    case net::kRequestFilePlay: return "RequestFilePlay";
    case net::kRequestStreamingReset: return "RequeststreamingReset";
    case net::kRequestVideoInput: return "RequestVideoInput";
    case net::kRequestCameraSetupInfo: return "RequestCameraSetupInfo";
    case net::kKeepAlive: return "KeepAlive";
    case net::kDdnsQuery: return "DdnsQuery";
    case net::kRequestQuality: return "RequestQuality";
    case net::kRequestReboot: return "RequestReboot";
    case net::kRequestPresetCommand: return "RequestPresetCommand";
    case net::kSetValue: return "SetValue";
    case net::kAdvancedPtzControl: return "AdvancedPTZControl";
    case net::kPtzPosition: return "RequestPtzPosition";
    case net::kSetPtzPosition: return "SetPtzPosition";
    case net::kPresetEnable: return "PresetEnable";
    case net::kCameraWordSet: return "CameraWordSet";
    case net::kRequestPtzControl: return "RequestPTZControl";
    case net::kRequestLensControl: return "RequestLensControl";
    default: return "Type" + std::to_string(type);
  }
}

namespace {

std::string Ints(const char* const* names, size_t count, const net::DecodedControl& c) {
  std::string out;
  for (size_t i = 0; i < c.values.size(); ++i) {
    if (!out.empty()) out += ' ';
    if (i < count)
      out += names[i];
    else
      out.append("v").append(std::to_string(i));
    out.append("=").append(std::to_string(c.values[i]));
  }
  return out;
}

}  // namespace

std::string DecodeFields(uint32_t type, const uint8_t* body, uint32_t length) {
  switch (type) {
    case net::kRequestUserLogin: {
      std::string user, password;
      if (!net::DecodeLoginRequest(body, length, &user, &password)) return "malformed";
      return "user=" + user;  // the password stays out of every log
    }
    case net::kRequestChannelSetup: {
      net::ChannelSetupRecord r;
      if (!net::DecodeChannelSetup(body, length, &r)) return "malformed";
      return "kind=" + std::to_string(r.kind) + " direction=" + std::to_string(r.direction) + " camera=" +
             r.camera_id + " file=" + r.file_name;
    }
    case net::kRequestChannelCommand: {
      net::ChannelCommand c;
      if (!net::DecodeChannelCommand(body, length, &c)) return "malformed";
      return "channel=" + std::to_string(c.channel_ids[0]) + " command=" + std::to_string(c.command);
    }
    case net::kRequestFilePlay: {
      int32_t position = 0;
      std::string name;
      if (!net::DecodeFilePlay(body, length, &position, &name)) return "malformed";
      return "position=" + std::to_string(position) + " file=" + name;
    }
    case net::kRequestStreamingReset: {
      uint32_t channel = 0, position = 0;
      if (!net::DecodeStreamingReset(body, length, &channel, &position)) return "malformed";
      return "channel=" + std::to_string(channel) + " position=" + std::to_string(position);
    }
    case net::kRequestCameraSetupInfo: {
      net::CameraSetupInfo info = net::CameraSetupInfo::Defaults();
      std::memcpy(info.data(), body, length < info.size() ? length : info.size());
      return "length=" + std::to_string(length) + " presets=" + std::to_string(info.PresetCount());
    }
    case net::kDdnsQuery:
      return "name=" + net::DecodeDdnsQuery(body, length);
    case net::kRequestCameraInfo:
    case net::kRequestFileList:
      return "text=" + net::GetText(body, length);
    case net::kRequestOnlineCameraList:
    case net::kKeepAlive:
      return "";
    default:
      break;
  }
  net::DecodedControl c;
  if (!net::DecodeControl(type, body, length, &c)) return "length=" + std::to_string(length);
  static const char* const kPtz[] = {"pan", "tilt"};
  static const char* const kLens[] = {"operation", "speed"};
  static const char* const kRect[] = {"x1", "y1", "x2", "y2"};
  static const char* const kPreset[] = {"command", "number", "v2", "v3"};
  static const char* const kPosition[] = {"v0", "v1", "pan", "tilt", "zoom"};
  static const char* const kValue[] = {"value"};
  std::string prefix = c.camera_id.empty() ? "" : "camera=" + c.camera_id + " ";
  switch (type) {
    case net::kRequestPtzControl: return prefix + Ints(kPtz, 2, c);
    case net::kRequestLensControl: return Ints(kLens, 2, c);
    case net::kAdvancedPtzControl: return Ints(kRect, 4, c);
    case net::kRequestPresetCommand: return Ints(kPreset, 4, c);
    case net::kPtzPosition:
    case net::kSetPtzPosition: return Ints(kPosition, 5, c);
    case net::kRequestQuality:
    case net::kRequestVideoInput:
    case net::kRequestReboot:
    case net::kSetValue: return Ints(kValue, 1, c);
    default: return Ints(nullptr, 0, c);
  }
}

}  // namespace sim
