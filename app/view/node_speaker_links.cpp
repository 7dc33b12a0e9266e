#include "app/view/node_speaker_links.h"

#include "node/link/node_window.h"

namespace app::view {

namespace {

class NodeLink : public present::SpeakerLink {
 public:
  explicit NodeLink(node::CNodeWindow& node) : node_(node) {}

  int SendSpeakerAudio(const uint8_t* data, uint32_t length) override { return node_.SendSpeakerAudio(data, length); }

 private:
  node::CNodeWindow& node_;
};

}  // namespace

void NodeSpeakerLinks::ForEachLink(const std::function<void(present::SpeakerLink&)>& visit) {
  for (int i = 0; i < hosting_.direct_nodes().Size(); ++i) {
    // The handle holds the node's guard until the visit is over.
    hosting::HeldNode held = hosting_.GetDirectNode(i);
    if (!held) continue;
    if (auto* camera = dynamic_cast<node::CNodeWindow*>(held.get())) {
      NodeLink link(*camera);
      visit(link);
    }
  }
}

}  // namespace app::view
