#pragma once
// ChannelTable: the three channels a link holds (video, audio, speaker):
// the kind, the number the server gave it and whether it runs. The receive
// thread registers channels while the window's thread reads and toggles
// them, so every call takes the table's own lock.
#include <cstdint>
#include <mutex>

#include "net/channel_messages.h"
#include "net/media_data.h"

namespace node {

struct ChannelEntry {
  uint32_t kind = 0;
  uint32_t id = net::kChannelNotFound;
  bool active = false;
};

class ChannelTable {
 public:
  static constexpr int kVideo = 0, kAudio = 1, kSpeaker = 2;

  ChannelTable() {
    entries_[kVideo].kind = net::kChannelVideo;
    entries_[kAudio].kind = net::kChannelAudio;
    entries_[kSpeaker].kind = net::kChannelSpeaker;
  }
  // The slot a channel of `kind` fills (a stored file's channels take the
  // live ones' places); -1 for a kind a node does not hold.
  static int Slot(uint32_t kind) {
    return kind == net::kChannelVideo || kind == net::kChannelFileVideo   ? kVideo
           : kind == net::kChannelAudio || kind == net::kChannelFileAudio ? kAudio
           : kind == net::kChannelSpeaker                                 ? kSpeaker
                                                                          : -1;
  }
  ChannelEntry Get(int which) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_[which];
  }
  void Set(int which, const ChannelEntry& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[which] = entry;
  }
  void SetActive(int which, bool active) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[which].active = active;
  }
  // The server no longer holds the channel (its kind stays).
  void Forget(int which) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[which].id = net::kChannelNotFound;
    entries_[which].active = false;
  }
  void ForgetAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& e : entries_) {
      e.id = net::kChannelNotFound;
      e.active = false;
    }
  }

 private:
  mutable std::mutex mutex_;
  ChannelEntry entries_[3];
};

}  // namespace node
