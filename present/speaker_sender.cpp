#include "present/speaker_sender.h"

#include "os/clock.h"
#include "os/thread_name.h"

namespace present {

SpeakerSender::SpeakerSender(SpeakerQueue& queue, SpeakerLinks& links) : queue_(queue), links_(links) {}

SpeakerSender::~SpeakerSender() { Stop(); }

void SpeakerSender::Start() {
  if (thread_.joinable()) return;
  running_ = true;
  thread_ = std::thread([this] {
    os::NameCurrentThread("speaker");
    ThreadLoop();
  });
}

void SpeakerSender::Stop() {
  running_ = false;
  if (thread_.joinable()) thread_.join();
}

void SpeakerSender::ThreadLoop() {
  while (running_.load()) {
    SendOne();
    os::SleepMs(kPassSleepMs);
  }
}

bool SpeakerSender::SendOne() {
  SpeakerBlock block;
  if (!queue_.Pop(&block)) return false;
  links_.ForEachLink(
      [&](SpeakerLink& link) { link.SendSpeakerAudio(block.data.data(), uint32_t(block.data.size())); });
  return true;
}

}  // namespace present
