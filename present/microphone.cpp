#include "present/microphone.h"

#include "os/debug_log.h"

namespace present {

Microphone::Microphone(WaveInput& device, SpeakerLinks& links)
    : m_capture(device, m_queue), m_sender(m_queue, links) {}

Microphone::~Microphone() { Off(); }

int Microphone::On() {
  if (m_on) return 0;
  m_encoder.Reset();
  m_queue.Clear();
  if (m_capture.Open() != 0) {
    if (!m_failureLogged) DebugLog("Microphone : no sound capture device\n");
    m_failureLogged = true;
    return -1;
  }
  m_capture.SetEncoder(&m_encoder);
  if (m_capture.Start() != 0) {
    m_capture.Close();
    if (!m_failureLogged) DebugLog("Microphone : sound capture does not start\n");
    m_failureLogged = true;
    return -1;
  }
  m_sender.Start();
  m_on = true;
  return 0;
}

void Microphone::Off() {
  if (!m_on) return;
  m_sender.Stop();
  m_capture.Stop();
  m_capture.Close();
  m_on = false;
}

}  // namespace present
