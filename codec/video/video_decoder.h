#pragma once
// MPEG-4 Visual (ISO/IEC 14496-2, simple profile tools) and H.263 baseline video decoder.
//
// One VideoDecoder per video stream. Units are fed one at a time (the stream
// headers as a configuration unit, then one unit per picture); each call
// parses and reconstructs in place into buffers owned by the decoder. Nothing
// is allocated per picture once the stream geometry is known.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace codec {

// Status of the last decode call (one byte).
enum class DecodeStatus : uint8_t {
  Ok = 0,
  Fatal = 1,             // unparsable header, sequence end, GOB number past the picture
  SkipUntilIntra = 2,    // P picture dropped while waiting for an I picture
  MacroblockError = 3,   // invalid code in the macroblock layer
  NewVopFromPacket = 4,  // a packet header started a new picture
  EndOfData = 5,         // the unit and its padding ran dry
};

// Result of VideoDecoder::Decode.
enum DecodeResult : int {
  kDecodeStarted = 0,    // an I picture header has been read since the stream start
  kDecodeFatal = 1,
  kDecodeNoPicture = 2,
};

// A planar YUV 4:2:0 picture in I420 order, owned by whoever supplied `data`:
// luma width*height at stride width, then Cb and Cr at (width/2)*(height/2).
struct DecodedPicture {
  uint8_t* data = nullptr;
  int width = 0;
  int height = 0;

  size_t Size() const { return size_t(width) * size_t(height) * 3 / 2; }
  uint8_t* Y() const { return data; }
  uint8_t* U() const { return data + size_t(width) * size_t(height); }
  uint8_t* V() const { return U() + size_t(width / 2) * size_t(height / 2); }
};

// What the stream headers of a unit say, for callers that only need to look.
struct VolInfo {
  bool shortVideoHeader = false;
  int width = 0;   // 0 when the unit has no layer header
  int height = 0;
  uint32_t timeIncrementResolution = 30;
  int timeIncrementBits = 5;
  bool fixedVopRate = false;
  uint32_t fixedVopTimeIncrement = 1;
  bool resyncMarkerDisable = true;
  bool dataPartitioned = false;
  bool reversibleVlc = false;
};

// Parses the stream headers at the start of a unit (visual object sequence,
// visual object, video object, video object layer, or a short-header picture).
// Returns 0 when a layer header or a short-header picture was found, -1 otherwise.
int ParseVolInfo(const uint8_t* data, size_t length, VolInfo* out);

// The picture size that the source format of a short-header (H.263) picture
// at the start of a unit names: sub-QCIF, QCIF, CIF, 4CIF or 16CIF. False for
// any other unit and for formats that name no standard size; then the sizes
// are left as they were.
bool ShortHeaderSourceSize(const uint8_t* data, size_t length, int* width, int* height);

namespace video {
struct DecoderContext;
}

// The abstract decoder a node owns; the operations in their slot order.
class VideoDecoderInterface {
 public:
  virtual ~VideoDecoderInterface() = default;
  virtual int Decode(const uint8_t* data, size_t length) = 0;
  virtual int ProducePicture(const DecodedPicture& dest) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual const uint8_t* NewestPaddedPicture() const { return nullptr; }
};

class VideoDecoder : public VideoDecoderInterface {
 public:
  enum class KernelChoice { Detect, Plain };
  explicit VideoDecoder(KernelChoice kernels = KernelChoice::Detect);
  ~VideoDecoder() override;
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  // The size of short-header pictures, and the fallback before a layer header.
  // The next decode call starts a new stream.
  void SetSize(int width, int height);
  void SetPostFilter(bool deblock, bool second);

  // Decodes one unit: returns kDecodeStarted, kDecodeFatal or kDecodeNoPicture.
  int Decode(const uint8_t* data, size_t length) override;

  // Writes the newest picture (Width() x Height(), I420) into dest, post-filtered
  // when a post-filter flag is set. Returns 0, or -1 when there is no picture
  // yet or dest does not have the decoder's size.
  int ProducePicture(const DecodedPicture& dest) override;
  // Same into the decoder's own output buffer; null when there is no picture.
  const uint8_t* ProducePicture();

  int Width() const override;
  int Height() const override;
  const uint8_t* NewestPaddedPicture() const override;

  // Frees the picture buffers; the next unit starts a new stream.
  void Release();

  DecodeStatus LastStatus() const;
  uint32_t FrameCounter() const;
  // Presentation time of the last picture header, in milliseconds.
  uint32_t CurrentTimeMs() const;

 private:
  std::unique_ptr<video::DecoderContext> ctx_;
};

}  // namespace codec
