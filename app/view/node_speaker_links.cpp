#include "app/view/node_speaker_links.h"

#include "node/node_window.h"

namespace present {

namespace {

class NodeLink : public SpeakerLink {
 public:
  explicit NodeLink(node::CNodeWindow& node) : m_node(node) {}

  uint32_t CameraVersion() const override { return m_node.setup_info().Version(); }
  bool SpeakerOpen() const override {
    const node::ChannelEntry speaker = m_node.channel(node::CNodeWindow::kSpeaker);
    net::SocketChannel* audio = m_node.AudioChannel();
    return !m_node.IsRelay() && speaker.id != net::kChannelNotFound && speaker.active && audio && audio->IsOpen();
  }
  uint32_t SpeakerChannelId() const override { return m_node.channel(node::CNodeWindow::kSpeaker).id; }
  int SendMedia(const uint8_t* fixed, uint32_t fixedLength, const uint8_t* payload, uint32_t payloadLength) override {
    net::SocketChannel* audio = m_node.AudioChannel();
    return audio ? audio->QueueMedia(fixed, fixedLength, payload, payloadLength) : -1;
  }

 private:
  node::CNodeWindow& m_node;
};

}  // namespace

void NodeSpeakerLinks::ForEachLink(const std::function<void(SpeakerLink&)>& visit) {
  for (int i = 0; i < m_hosting.direct_nodes().Size(); ++i) {
    // The handle holds the node's guard until the visit is over.
    hosting::HeldNode held = m_hosting.GetDirectNode(i);
    if (!held) continue;
    if (auto* camera = dynamic_cast<node::CNodeWindow*>(held.get())) {
      NodeLink link(*camera);
      visit(link);
    }
  }
}

}  // namespace present
