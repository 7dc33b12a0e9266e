#include "present/speaker_sender.h"

#include "os/clock.h"
#include "os/thread_name.h"

namespace present {

SpeakerSender::SpeakerSender(SpeakerQueue& queue, SpeakerLinks& links) : m_queue(queue), m_links(links) {}

SpeakerSender::~SpeakerSender() { Stop(); }

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
  m_links.ForEachLink(
      [&](SpeakerLink& link) { link.SendSpeakerAudio(block.data.data(), uint32_t(block.data.size())); });
  return true;
}

}  // namespace present
