#include "codec/video/video_encoder.h"

#include "codec/video/bit_writer.h"

namespace codec {

const char VideoEncoder::kIdentification[] = "Vantreck MPEG-4 Video Encoder 3.5.14 (2002.11.17)";

namespace {

// aspect_ratio_info codes for the pixel aspect ratios the standard names.
int AspectRatioCode(int w, int h) {
  static const int kRatios[][2] = {{1, 1}, {12, 11}, {10, 11}, {16, 11}, {40, 33}};
  for (int i = 0; i < 5; ++i)
    if (w * kRatios[i][1] == h * kRatios[i][0]) return i + 1;
  return 15;  // extended PAR follows
}

void StartCode(BitWriter& bw, uint32_t code) { bw.Put(code, 32); }

}  // namespace

int VideoEncoder::Initialise(int width, int height) {
  Free();
  // The layer header holds 13-bit sizes; pictures are whole macroblocks.
  if (width < 16 || height < 16 || width > 8176 || height > 8176 || width % 16 || height % 16) return -1;
  if (m_timeIncrementResolution < 1 || m_timeIncrementResolution > 65535) return -1;
  if (m_parWidth < 1 || m_parWidth > 255 || m_parHeight < 1 || m_parHeight > 255) return -1;
  if (m_objectVersion < 1 || m_objectVersion > 2 || m_objectPriority < 0 || m_objectPriority > 7) return -1;
  if (m_resilienceMode < 0 || m_resilienceMode > 3 || m_profileAndLevel < 0 || m_profileAndLevel > 255) return -1;

  m_paddedWidth = width + 32;
  m_paddedHeight = height + 32;
  m_mbWidth = width / 16;
  m_mbHeight = height / 16;
  // Increments run from 0 to resolution - 1, so the field holds resolution - 1
  // (at least 1 bit); a bit more at a power-of-two resolution would shift
  // every later field for a decoder.
  m_timeIncrementBits = 1;
  while (m_timeIncrementBits < 16 && (1 << m_timeIncrementBits) < m_timeIncrementResolution) ++m_timeIncrementBits;
  m_mbNumberBits = 1;
  while (m_mbNumberBits < 14 && (1 << m_mbNumberBits) < MacroblockCount()) ++m_mbNumberBits;
  WriteHeaders(width, height);
  return 0;
}

void VideoEncoder::WriteHeaders(int width, int height) {
  BitWriter bw(&m_headers);
  StartCode(bw, 0x000001B0);
  bw.Put(static_cast<uint32_t>(m_profileAndLevel), 8);

  StartCode(bw, 0x000001B2);
  bw.PutBytes(reinterpret_cast<const uint8_t*>(kIdentification), sizeof kIdentification - 1);

  StartCode(bw, 0x000001B5);
  if (m_objectVersion == 1 && m_objectPriority == 0) {
    bw.Put(0, 1);
  } else {
    bw.Put(1, 1);
    bw.Put(static_cast<uint32_t>(m_objectVersion), 4);
    bw.Put(static_cast<uint32_t>(m_objectPriority), 3);
  }
  bw.Put(1, 4);  // video
  bw.Put(0, 1);  // no video_signal_type
  bw.Stuff();

  StartCode(bw, 0x00000100);

  StartCode(bw, 0x00000120);
  bw.Put(0, 1);  // random_accessible_vol
  bw.Put(1, 8);  // simple object
  bw.Put(0, 1);  // the layer takes the visual object's version
  const int aspect = AspectRatioCode(m_parWidth, m_parHeight);
  bw.Put(static_cast<uint32_t>(aspect), 4);
  if (aspect == 15) {
    bw.Put(static_cast<uint32_t>(m_parWidth), 8);
    bw.Put(static_cast<uint32_t>(m_parHeight), 8);
  }
  bw.Put(0, 1);  // vol_control_parameters
  bw.Put(0, 2);  // rectangular
  bw.Put(1, 1);
  bw.Put(static_cast<uint32_t>(m_timeIncrementResolution), 16);
  bw.Put(1, 1);
  // A fixed increment must fit its field and stay below the resolution;
  // one that does not (the recorder's 100 ticks at resolution 30) is not
  // claimed, since the recording's sample times carry the timing anyway.
  const bool fixedRate = m_ticksPerPicture > 0 && m_ticksPerPicture < m_timeIncrementResolution &&
                         m_ticksPerPicture < (1 << m_timeIncrementBits);
  bw.Put(fixedRate ? 1 : 0, 1);
  if (fixedRate) bw.Put(static_cast<uint32_t>(m_ticksPerPicture), m_timeIncrementBits);
  bw.Put(1, 1);
  bw.Put(static_cast<uint32_t>(width), 13);
  bw.Put(1, 1);
  bw.Put(static_cast<uint32_t>(height), 13);
  bw.Put(1, 1);
  bw.Put(0, 1);  // progressive
  bw.Put(1, 1);  // obmc_disable
  bw.Put(0, m_objectVersion == 1 ? 1 : 2);  // no sprites
  bw.Put(0, 1);  // 8-bit
  bw.Put(0, 1);  // H.263 quantisation
  if (m_objectVersion != 1) bw.Put(0, 1);  // no quarter-pel
  bw.Put(1, 1);  // complexity_estimation_disable
  bw.Put(m_resilienceMode == 0 ? 1 : 0, 1);  // resync_marker_disable
  const bool partitioned = m_resilienceMode >= 2;
  bw.Put(partitioned ? 1 : 0, 1);
  if (partitioned) bw.Put(m_resilienceMode == 3 ? 1 : 0, 1);  // reversible_vlc
  if (m_objectVersion != 1) {
    bw.Put(0, 1);  // newpred_enable
    bw.Put(0, 1);  // reduced_resolution_vop_enable
  }
  bw.Put(0, 1);  // scalability
  bw.Stuff();
  bw.Flush();
}

const uint8_t* VideoEncoder::Headers(size_t* length) const {
  *length = m_headers.size();
  return m_headers.empty() ? nullptr : m_headers.data();
}

void VideoEncoder::Free() {
  m_headers.clear();
  m_headers.shrink_to_fit();
}

}  // namespace codec
