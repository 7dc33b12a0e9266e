#include "present/win32/wave_in_device.h"

#include "present/win32/direct_sound_output.h"

namespace present {

bool WaveInDevice::Probe() {
  WAVEFORMATEX format = PlaybackFormat();
  HWAVEIN probe = nullptr;
  if (waveInOpen(&probe, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  waveInClose(probe);
  return true;
}

bool WaveInDevice::Open(Client& client) {
  if (m_device) return true;
  WAVEFORMATEX format = PlaybackFormat();
  if (waveInOpen(&m_device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&Callback),
                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    m_device = nullptr;
    return false;
  }
  m_client = &client;
  m_headers.assign(kBuffers, WAVEHDR{});
  m_buffers.assign(kBuffers, std::vector<int16_t>(kBufferBytes / 2));
  for (int i = 0; i < kBuffers; ++i) {
    m_headers[i].lpData = reinterpret_cast<LPSTR>(m_buffers[i].data());
    m_headers[i].dwBufferLength = kBufferBytes;
    m_headers[i].dwLoops = 1;
  }
  return true;
}

bool WaveInDevice::Start() {
  if (!m_device) return false;
  m_running = true;
  for (WAVEHDR& h : m_headers) {
    h.dwFlags = 0;
    h.dwBytesRecorded = 0;
    if (waveInPrepareHeader(m_device, &h, sizeof h) != MMSYSERR_NOERROR ||
        waveInAddBuffer(m_device, &h, sizeof h) != MMSYSERR_NOERROR) {
      Stop();
      return false;
    }
  }
  if (waveInStart(m_device) == MMSYSERR_NOERROR) return true;
  Stop();
  return false;
}

// The callback checks the running flag under its mutex: once the flag is
// clear and the mutex has been passed, no callback touches a buffer or the
// client again. waveInReset is then called without the mutex, because it
// waits for the wave thread, which may be waiting for the mutex.
void WaveInDevice::Stop() {
  m_running = false;
  { std::lock_guard<std::mutex> fence(m_callbackMutex); }
  if (m_device) waveInReset(m_device);
}

void WaveInDevice::Close() {
  if (!m_device) return;
  m_running = false;
  { std::lock_guard<std::mutex> fence(m_callbackMutex); }
  waveInReset(m_device);
  UnprepareAll();
  waveInClose(m_device);
  m_device = nullptr;
  m_client = nullptr;
  m_headers.clear();
  m_buffers.clear();
}

void WaveInDevice::UnprepareAll() {
  for (WAVEHDR& h : m_headers)
    if (h.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(m_device, &h, sizeof h);
}

void CALLBACK WaveInDevice::Callback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  if (message != WIM_DATA) return;
  reinterpret_cast<WaveInDevice*>(instance)->OnData(reinterpret_cast<WAVEHDR*>(param1));
}

void WaveInDevice::OnData(WAVEHDR* header) {
  if (!m_running.load()) return;
  std::lock_guard<std::mutex> lock(m_callbackMutex);
  if (!m_running.load()) return;
  waveInUnprepareHeader(m_device, header, sizeof *header);
  m_client->OnWaveBlock(reinterpret_cast<const int16_t*>(header->lpData), int(header->dwBytesRecorded / 2));
  header->dwBytesRecorded = 0;
  waveInPrepareHeader(m_device, header, sizeof *header);
  waveInAddBuffer(m_device, header, sizeof *header);
}

}  // namespace present
