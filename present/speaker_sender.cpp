#include "present/speaker_sender.h"

#include "net/camera_setup_info.h"
#include "net/media_data.h"
#include "os/clock.h"
#include "os/thread_name.h"

namespace present {

SpeakerSender::SpeakerSender(SpeakerQueue& queue, SpeakerLinks& links) : m_queue(queue), m_links(links) {}

SpeakerSender::~SpeakerSender() { Stop(); }

bool SpeakerSender::UsesLongForm(uint32_t cameraVersion) { return cameraVersion > net::CameraVersion(1, 0, 0); }

void SpeakerSender::Start() {
  if (m_thread.joinable()) return;
  m_running = true;
  m_thread = std::thread([this] {
    os::NameCurrentThread("speaker");
    ThreadLoop();
  });
}

void SpeakerSender::Stop() {
  m_running = false;
  if (m_thread.joinable()) m_thread.join();
}

void SpeakerSender::ThreadLoop() {
  while (m_running.load()) {
    SendOne();
    os::SleepMs(kPassSleepMs);
  }
}

bool SpeakerSender::SendOne() {
  SpeakerBlock block;
  if (!m_queue.Pop(&block)) return false;
  m_links.ForEachLink([&](SpeakerLink& link) {
    if (!link.SpeakerOpen()) return;
    net::MediaData media;
    media.channel_id = link.SpeakerChannelId();
    media.kind = net::kMediaAudio;
    media.timestamp_ms = 0;
    media.payload_length = uint32_t(block.data.size());
    uint8_t fixed[net::kMediaLongFixedSize];
    const uint32_t fixedLength = net::EncodeMediaFixed(media, UsesLongForm(link.CameraVersion()), fixed);
    link.SendMedia(fixed, fixedLength, block.data.data(), media.payload_length);
  });
  return true;
}

}  // namespace present
