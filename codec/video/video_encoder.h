// The MPEG-4 stream header writer a node carries: it writes the visual object
// sequence, user data, visual object, video object and video object layer
// headers that a recording can use as its video decoder configuration.
// It encodes no pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

class VideoEncoder {
 public:
  // Parameters, set before Initialise; the recorder sets the first five to
  // 0, 30, 1, 0, 0. Only the resilience mode and the time base reach the headers.
  int m_resilienceMode = 1;   // 0 none, 1 resync markers, 2 + data partitioning, 3 + reversible VLC
  int m_intraPeriod = -1;     // P pictures between I pictures; -1 one I picture only
  int m_pictureStep = 1;
  int m_targetBitRate = 0;
  int m_rateControlMode = 0;
  int m_timeIncrementResolution = 30;  // ticks per second
  int m_ticksPerPicture = 1;           // fixed_vop_time_increment; 0 no fixed rate
  int m_intraQuantiser = 10;
  int m_interQuantiser = 10;
  int m_writeHeadersFirst = 1;
  int m_profileAndLevel = 1;   // Simple Profile, level 1
  int m_objectVersion = 1;     // visual_object_verid, 1 or 2
  int m_objectPriority = 0;    // 0..7
  int m_parWidth = 1;          // pixel aspect ratio, 1..255 each
  int m_parHeight = 1;

  VideoEncoder() = default;
  virtual ~VideoEncoder() = default;

  // Frees earlier buffers, derives the geometry and writes the headers.
  // Returns 0, or -1 when a size or parameter cannot be written.
  int Initialise(int width, int height);
  // The header bytes written by Initialise (null and 0 before it).
  const uint8_t* Headers(size_t* length) const;
  void Free();

  // Derived at Initialise.
  int PaddedWidth() const { return m_paddedWidth; }
  int PaddedHeight() const { return m_paddedHeight; }
  int MacroblockCount() const { return m_mbWidth * m_mbHeight; }
  int TimeIncrementBits() const { return m_timeIncrementBits; }
  int MacroblockNumberBits() const { return m_mbNumberBits; }

  // The identification text written as user data.
  static const char kIdentification[];

 private:
  void WriteHeaders(int width, int height);

  std::vector<uint8_t> m_headers;
  int m_paddedWidth = 0, m_paddedHeight = 0;
  int m_mbWidth = 0, m_mbHeight = 0;
  int m_timeIncrementBits = 0;
  int m_mbNumberBits = 0;
};

}  // namespace codec
