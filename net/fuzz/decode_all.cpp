#include "decode_all.h"

#include "net/camera_setup_info.h"
#include "net/channel_messages.h"
#include "net/control_messages.h"
#include "net/ddns_messages.h"
#include "net/list_records.h"
#include "net/login_messages.h"
#include "net/media_data.h"
#include "net/packet_header.h"

namespace net::fuzz {

void DecodeBody(uint32_t type, const uint8_t* body, uint32_t length) {
  switch (type) {
    case kMediaData: {
      MediaData m;
      if (DecodeMediaData(body, length, &m)) (void)m.payload_length;
      break;
    }
    case kReplyCameraList:
      DecodeCameraList(body, length);
      break;
    case kReplyFileList:
      DecodeFileList(body, length);
      break;
    case kReplyOnlineCameraUpdate: {
      uint32_t code;
      CameraRecord r;
      DecodeCameraUpdate(body, length, &code, &r);
      break;
    }
    case kReplyFileListUpdate: {
      uint32_t code;
      FileRecord r;
      DecodeFileUpdate(body, length, &code, &r);
      break;
    }
    case kRequestChannelSetup:
    case kReplyChannelSetup: {
      ChannelSetupRecord r;
      DecodeChannelSetup(body, length, &r);
      break;
    }
    case kRequestChannelCommand: {
      ChannelCommand c;
      DecodeChannelCommand(body, length, &c);
      break;
    }
    case kRequestUserLogin: {
      std::string u, p;
      DecodeLoginRequest(body, length, &u, &p);
      break;
    }
    case kReplyUserLogin:
      DecodeLoginReply(body, length);
      break;
    case kRequestFilePlay: {
      int32_t pos;
      std::string name;
      DecodeFilePlay(body, length, &pos, &name);
      break;
    }
    case kRequestStreamingReset: {
      uint32_t ch, pos;
      DecodeStreamingReset(body, length, &ch, &pos);
      break;
    }
    case kNodeParameters: {
      NodeParameters p;
      DecodeNodeParameters(body, length, &p);
      break;
    }
    case kReplyCameraSetupInfo: {
      CameraSetupReply reply;
      CameraSetupInfo info = CameraSetupInfo::Defaults();
      if (DecodeCameraSetupReply(body, length, &reply, &info)) {
        for (int i = 0; i < kPresetSlots; ++i) info.Preset(i);
        info.SendLength();
      }
      break;
    }
    case kPtzPosition: {
      PtzPosition p;
      DecodePtzPositionReply(body, length, &p);
      break;
    }
    case kDdnsQuery: {
      DdnsReply r;
      DecodeDdnsReply(body, length, &r);
      DecodeDdnsQuery(body, length);
      break;
    }
    default: {
      uint32_t word;
      DecodeWord(body, length, &word);
      DecodedControl c;
      DecodeControl(type, body, length, &c);
    }
  }
}

}  // namespace net::fuzz
