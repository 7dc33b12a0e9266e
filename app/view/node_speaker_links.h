#pragma once
// The speaker sender's view of the hosting client's direct nodes: each
// direct CNodeWindow that has an audio socket and an active speaker channel
// is a link. A node is visited only while its UsageGuard is held, so it
// cannot be destroyed under the sender.
#include "hosting/hosting_service.h"
#include "present/speaker_sender.h"

namespace app::view {

class NodeSpeakerLinks : public present::SpeakerLinks {
 public:
  explicit NodeSpeakerLinks(hosting::HostingService& hosting) : hosting_(hosting) {}
  void ForEachLink(const std::function<void(present::SpeakerLink&)>& visit) override;

 private:
  hosting::HostingService& hosting_;
};

}  // namespace app::view
