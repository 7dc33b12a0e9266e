#pragma once
// CameraControl: the requests a user sends to one camera through its node
// (the view translates its menu, mouse, keyboard and dialogs into these):
// pan/tilt steps and rectangles to zoom to, lens, presets and groups,
// quality, video input, reboot, the PTZ position, preset editing, the
// camera's configuration record and the seek of a stored file. It waits for
// the two replies that carry no number of their own; the node's parser hands
// them here.
//
// Who owns what (UI = the window's thread; receive = the hosting receive
// thread):
//   hosting_, relay_, link_       set at construction, read by every thread
//   quality_, video_input_        UI only (menu commands run there)
//   position_reply_, preset_ack_  ReplyWaiter: the asking thread (UI, or a
//                                 dialog's background wait) asks, receive answers
#include <cstdint>
#include <string>

#include "hosting/hosting_service.h"
#include "net/camera_setup_info.h"
#include "net/channel_messages.h"
#include "net/control_messages.h"
#include "node/link/reply_waiter.h"

namespace node {

// What the control requests need of the link they travel on. The node
// implements it; each call may come from any thread that sends a request.
class ControlLink {
 public:
  virtual ~ControlLink() = default;
  // The camera the link is set up for; empty while the link is down, when
  // requests that name the camera are not sent.
  virtual std::string camera_id() const = 0;
  // Where control requests go: the video socket, or the hosting socket for a relay node.
  virtual hosting::RequestTarget ControlChannel() = 0;
  // The camera's configuration record (the defaults until it sent its own):
  // its version and pan/tilt devices decide how a drag is sent.
  virtual net::CameraSetupInfo setup_info() const = 0;
  // The video channel of a stored file being played; kChannelNotFound on a live link.
  virtual uint32_t FileVideoChannel() const = 0;
  // The stored file's parameters; words[1] is its length in seek positions.
  virtual net::NodeParameters node_parameters() const = 0;
};

class CameraControl {
 public:
  // `hosting` may be null (nothing is sent); `relay`: the camera is reached
  // through the hosting server, which knows no rectangles.
  CameraControl(hosting::HostingService* hosting, bool relay, ControlLink& link)
      : hosting_(hosting), relay_(relay), link_(link) {}
  CameraControl(const CameraControl&) = delete;
  CameraControl& operator=(const CameraControl&) = delete;

  // Whether the camera zooms to a rectangle (AdvancedPTZControl): a direct
  // camera of version 1.1.8 or later with a pan/tilt device that does.
  bool ZoomsToRectangle() const;
  // The rectangle from (left, top) to (right, bottom) of a 320-pixel-wide
  // picture, in the order the user drew it; one point centres the camera
  // there. Nothing while the link names no camera.
  void ZoomToRectangle(int left, int top, int right, int bottom);
  void Lens(uint32_t operation, uint32_t speed);
  void PtzStep(int pan, int tilt);
  // Preset and group numbers as the user types them (1-based); false when out of range.
  bool PresetGoto(int number);
  bool GroupRun(int number);
  void PresetCommand(uint32_t command, uint32_t number);
  bool SetQuality(uint32_t level);
  bool SetVideoInput(uint32_t input);
  bool Reboot();
  // Waits up to kReplyWaitMs for the camera's answer; false on time-out.
  bool QueryPtzPosition(net::PtzPosition* position);
  bool SetPtzPosition(const net::PtzPosition& position);
  // Waits up to kReplyWaitMs for the camera's acknowledgement; false on time-out.
  bool EnablePresetEditing();
  int SendCameraSetupInfo(const net::CameraSetupInfo& info);
  // Stored-file playback: jump to `percent` of the file's length.
  int Seek(int percent);
  // The last quality and video input the user chose (the menu shows them checked).
  uint32_t quality() const { return quality_; }
  uint32_t video_input() const { return video_input_; }

  // Receive thread: the camera's answers to QueryPtzPosition and EnablePresetEditing.
  void OnPtzPosition(const net::PtzPosition& position) { position_reply_.Answer(position); }
  void OnPresetAck() { preset_ack_.Answer(true); }

  static constexpr int kPresetMaximum = 39;
  static constexpr int kGroupMaximum = 15;
  static constexpr int kReplyWaitMs = 5000;

 private:
  int Send(const net::ControlMessage& message);

  hosting::HostingService* const hosting_;
  const bool relay_;
  ControlLink& link_;
  uint32_t quality_ = 0, video_input_ = 0;
  ReplyWaiter<net::PtzPosition> position_reply_{kReplyWaitMs};
  ReplyWaiter<bool> preset_ack_{kReplyWaitMs};
};

}  // namespace node
