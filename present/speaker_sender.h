#pragma once
// The speaker sender: a thread that takes each encoded microphone block off
// the `SpeakerQueue` and hands it to every camera link; a link with an open
// speaker channel frames it as its camera's speaker audio and sends it.
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
  // Queues one block of encoded sound as speaker audio in the form the
  // camera's version asks for; negative when the link has no speaker
  // channel set up and switched on, or no socket to send it on.
  virtual int SendSpeakerAudio(const uint8_t* data, uint32_t length) = 0;
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
  bool Running() const { return running_.load(); }

  // One pass: the oldest block to every open link. False when the queue was empty.
  bool SendOne();

 private:
  void ThreadLoop();

  SpeakerQueue& queue_;
  SpeakerLinks& links_;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

}  // namespace present
