#pragma once
// Recording fakes of the window seam and of a node, for HostingService tests.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "hosting/hosted_node.h"
#include "net/packet_header.h"
#include "os/clock.h"
#include "os/tests/eventually.h"
#include "os/tests/recording_poster.h"
#include "os/window_seam.h"

namespace hosting::testing {

using FakePoster = os::testing::RecordingPoster;

// Shows nothing: the tests read what the node logs and posts instead.
class FakeMessages : public os::UserMessages {
 public:
  void ShowMessage(const std::string&, const std::string&, const std::string&,
                   const std::vector<os::MessageArg>&) override {}
};

class FakeNode : public HostedNode, private net::MessageHandler {
 public:
  FakeNode(int index, bool relay, std::string key = "") : index_(index), relay_(relay), key_(std::move(key)) {}

  int Index() const override { return index_; }
  bool IsRelay() const override { return relay_; }
  os::WindowHandle Window() const override { return static_cast<os::WindowHandle>(1000 + index_); }
  os::UsageGuard& Guard() override { return guard_; }
  net::SocketChannel* VideoChannel() override { return relay_ ? nullptr : &video_; }
  net::SocketChannel* AudioChannel() override { return relay_ ? nullptr : &audio_; }
  void ParseMessage(os::SocketHandle socket) override {
    net::SocketChannel& c = socket == video_.socket() ? video_ : audio_;
    auto r = c.Receive(*this, index_);
    if (r == net::SocketChannel::ReceiveResult::kPeerClosed || r == net::SocketChannel::ReceiveResult::kError)
      c.Close();
  }
  void SetNoRetry() override { no_retry_ = true; }
  std::string Key() const override { return key_; }
  uint32_t VideoChannelId() const override { return video_id_; }
  uint32_t AudioChannelId() const override { return audio_id_; }
  void RegisterChannel(uint32_t channel_id, uint32_t kind) override {
    if (kind == net::kChannelVideo || kind == net::kChannelFileVideo) video_id_ = channel_id;
    if (kind == net::kChannelAudio || kind == net::kChannelFileAudio) audio_id_ = channel_id;
    ++registered_;
  }
  bool OnChannelNotFound(uint32_t) override {
    ++not_found_;
    return asked_;
  }
  void DeliverMedia(const net::MediaData& media) override {
    std::lock_guard<std::mutex> lock(mutex_);
    kinds_.push_back(media.kind);
    timestamps_.push_back(media.timestamp_ms);
  }
  void StoreNodeParameters(const net::NodeParameters& params) override {
    std::lock_guard<std::mutex> lock(mutex_);
    params_ = params;
  }

  std::vector<uint32_t> kinds() { return Locked(kinds_); }
  std::vector<uint64_t> timestamps() { return Locked(timestamps_); }
  net::NodeParameters params() { return Locked(params_); }

  net::SocketChannel video_, audio_;
  std::atomic<bool> no_retry_{false};
  std::atomic<int> registered_{0};
  std::atomic<int> not_found_{0};
  std::atomic<bool> asked_{true};  // what OnChannelNotFound answers

 private:
  // A copy of a field, taken under the lock the network threads write it under.
  template <class T>
  T Locked(const T& field) {
    std::lock_guard<std::mutex> lock(mutex_);
    return field;
  }
  bool OnMessage(const net::RawMessage&) override { return true; }

  int index_;
  bool relay_;
  std::string key_;
  os::UsageGuard guard_;
  std::atomic<uint32_t> video_id_{net::kChannelNotFound}, audio_id_{net::kChannelNotFound};
  std::mutex mutex_;
  std::vector<uint32_t> kinds_;
  std::vector<uint64_t> timestamps_;
  net::NodeParameters params_;
};

using os::testing::Eventually;

}  // namespace hosting::testing
