#pragma once
// The speaker sender: a thread that takes each encoded microphone block off
// the `SpeakerQueue` and sends it as speaker `MediaData` (kind 3, timestamp
// 0) to every camera link with an open speaker channel, in the long form
// (24-byte fixed part) for cameras newer than version 1.0.0 and in the short
// form (16 bytes) for the others.
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "present/speaker_queue.h"

namespace present {

// One camera link as the sender sees it.
class SpeakerLink {
 public:
  virtual ~SpeakerLink() = default;
  // The camera's version, major * 65536 + minor * 256 + build.
  virtual uint32_t CameraVersion() const = 0;
  // A speaker channel is set up and switched on, and there is a socket to send on.
  virtual bool SpeakerOpen() const = 0;
  virtual uint32_t SpeakerChannelId() const = 0;
  // Queues one MediaData message (header added by the link) for sending.
  virtual int SendMedia(const uint8_t* fixed, uint32_t fixedLength, const uint8_t* payload,
                        uint32_t payloadLength) = 0;
};

// The program's camera links. ForEachLink keeps each link alive (and the
// list consistent) while `visit` runs.
class SpeakerLinks {
 public:
  virtual ~SpeakerLinks() = default;
  virtual void ForEachLink(const std::function<void(SpeakerLink&)>& visit) = 0;
};

class SpeakerSender {
 public:
  static constexpr int kPassSleepMs = 5;

  SpeakerSender(SpeakerQueue& queue, SpeakerLinks& links);
  ~SpeakerSender();
  SpeakerSender(const SpeakerSender&) = delete;
  SpeakerSender& operator=(const SpeakerSender&) = delete;

  void Start();
  // Clears the running flag and waits for the thread.
  void Stop();
  bool Running() const { return m_running.load(); }

  // One pass: the oldest block to every open link. False when the queue was empty.
  bool SendOne();
  static bool UsesLongForm(uint32_t cameraVersion);

 private:
  void ThreadLoop();

  SpeakerQueue& m_queue;
  SpeakerLinks& m_links;
  std::atomic<bool> m_running{false};
  std::thread m_thread;
};

}  // namespace present
