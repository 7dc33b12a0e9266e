#include "app/program_parts.h"

#include "app/view/node_speaker_links.h"
#include "settings/win32/viewer_registry.h"

namespace app {

LinkPolicy LinkPolicyFromSettings() {
  LinkPolicy policy;
  policy.keep_reconnecting = settings::LoadKeepReconnecting();
  policy.stall_ms = settings::LoadStallSeconds() * 1000;
  return policy;
}

ProgramDevices::ProgramDevices() = default;

ProgramDevices::~ProgramDevices() {
  StopMicrophone();
  microphone_.reset();
  speaker_links_.reset();
  CloseSound();
}

void ProgramDevices::OpenSound(HWND window) {
  if (sound_.Open(window) == 0) mixer_.Start();
}

void ProgramDevices::CloseSound() {
  mixer_.Stop();
  sound_.Close();
}

void ProgramDevices::StartMicrophone(hosting::HostingService& hosting) {
  speaker_links_ = std::make_unique<view::NodeSpeakerLinks>(hosting);
  microphone_ = std::make_unique<present::Microphone>(wave_in_, *speaker_links_);
  microphone_->On();
}

void ProgramDevices::StopMicrophone() {
  if (microphone_ && microphone_->IsOn()) microphone_->Off();
}

}  // namespace app
