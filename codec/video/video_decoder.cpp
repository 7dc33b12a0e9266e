// VideoDecoder: stream start rules, picture buffers, the current/reference
// swap and the output copy.
#include "codec/video/video_decoder.h"

#include <algorithm>
#include <cstring>

#include "codec/video/decoder_context.h"

namespace codec {

using video::DecoderContext;
using video::HeaderContext;

namespace {

// Pictures larger than this are refused: far above any camera size, and it
// keeps a hostile layer header from asking for gigabytes.
constexpr int kMaxDimension = 2048;

void ClearPictures(DecoderContext& d) {
  for (auto& p : d.pictures) {
    std::memset(p.data(), 0, d.lumaPlane);
    std::memset(p.data() + d.lumaPlane, 128, p.size() - d.lumaPlane);
  }
  for (auto& info : d.mbInfo) std::memset(info.data(), 0, info.size() * sizeof(video::MacroblockInfo));
  std::fill(d.sameInBoth.begin(), d.sameInBoth.end(), 1);
  d.mbInfo[d.cur][d.mbCount - 1].quant = 15;
  d.quant = 15;
}

bool SetupGeometry(DecoderContext& d, int w, int h) {
  if (w <= 0 || h <= 0 || w > kMaxDimension || h > kMaxDimension || w % 16 || h % 16) return false;
  if (w != d.width || h != d.height || d.pictures[0].empty()) {
    d.width = w;
    d.height = h;
    d.mbWidth = w / 16;
    d.mbHeight = h / 16;
    d.mbCount = d.mbWidth * d.mbHeight;
    d.lumaStride = w + 32;
    d.chromaStride = d.lumaStride / 2;
    d.lumaPlane = size_t(w + 32) * size_t(h + 32);
    d.lumaOrigin = size_t(w + 33) * 16;
    d.uOrigin = d.lumaPlane + size_t(d.chromaStride) * 8 + 8;
    d.vOrigin = d.uOrigin + d.lumaPlane / 4;
    for (auto& p : d.pictures) p.assign(d.lumaPlane * 3 / 2 + 768, 0);
    d.output.assign(size_t(w) * size_t(h) * 3 / 2, 0);
    for (auto& info : d.mbInfo) info.assign(size_t(d.mbCount) + 1, video::MacroblockInfo{});
    d.mbQuant.assign(size_t(d.mbCount), 0);
    d.partitionDc.assign(size_t(d.mbCount) * 6, 0);
    d.sameInBoth.assign(size_t(d.mbCount), 0);
    d.mbPlace.resize(size_t(d.mbCount));
    for (int mb = 0; mb < d.mbCount; ++mb)
      d.mbPlace[mb] = {static_cast<uint16_t>(mb % d.mbWidth), static_cast<uint16_t>(mb / d.mbWidth)};
  }
  d.cur = 0;
  d.hc.mbCount = d.mbCount;
  ClearPictures(d);
  return true;
}

void FreeGeometry(DecoderContext& d) {
  for (auto& p : d.pictures) std::vector<uint8_t>().swap(p);
  for (auto& m : d.mbInfo) std::vector<video::MacroblockInfo>().swap(m);
  std::vector<uint8_t>().swap(d.output);
  std::vector<uint8_t>().swap(d.mbQuant);
  std::vector<int16_t>().swap(d.partitionDc);
  std::vector<uint8_t>().swap(d.sameInBoth);
  std::vector<DecoderContext::MbPlace>().swap(d.mbPlace);
  d.width = d.height = d.mbCount = 0;
}

// Parses the stream headers of the first unit of a stream and sets up the
// buffers for the size they give.
void StartStream(DecoderContext& d, const uint8_t* data, size_t length) {
  HeaderContext& c = d.hc;
  c.prevStatus = DecodeStatus::SkipUntilIntra;
  d.pendingPacket = false;
  video::LoadHeaderDefaults(c);
  video::ParseStreamHeaders(c);
  if (c.Stopped()) return;
  if (c.h.shortVideoHeader) {
    // Re-bind so that the padding is the short header's picture start codes.
    uint64_t at = c.br.Position();
    c.br.Bind(data, length, true);
    for (; at >= 32; at -= 32) c.br.Skip(32);
    if (at) c.br.Skip(static_cast<int>(at));
    c.br.AlignOnly();
  } else {
    c.br.AlignStuffing();
  }
  if (!SetupGeometry(d, c.h.width, c.h.height)) c.Fail(DecodeStatus::Fatal);
}

void SwapIfKept(DecoderContext& d) {
  DecodeStatus s = d.hc.status;
  if (s == DecodeStatus::Ok || s == DecodeStatus::NewVopFromPacket) d.cur = 1 - d.cur;
}

// A packet header with differing extension fields ended the previous picture:
// the picture it starts is decoded from the same data, right away.
void ContinueFromPacket(DecoderContext& d) {
  HeaderContext& c = d.hc;
  video::HeaderState& h = c.h;
  const video::PacketHeaderValues v = d.pending;
  d.pendingPacket = false;
  c.status = DecodeStatus::Ok;
  h.vopCodingType = v.codingType;
  h.intraDcVlcThr = v.dcThr;
  h.fcode = v.fcode;
  h.moduloCount = v.moduloCount;
  video::UpdateTime(h, v.moduloCount, v.timeIncrement);
  h.vopCoded = true;
  if (v.codingType == video::kVopI) {
    h.intraSeen = true;
    h.roundingType = 0;
  }
  h.vopQuant = static_cast<uint8_t>(v.quant);
  video::ExtendReference(d);
  video::DecodePictureData(d, v.mbNumber);
  SwapIfKept(d);
}

// Moves to the next picture header. Stream headers repeated inside the stream
// (many encoders send them before every I picture) are parsed again rather than
// taken for a picture header; a new size restarts the buffers. Unknown start
// codes are stepped over.
bool FindPictureStart(DecoderContext& d) {
  HeaderContext& c = d.hc;
  for (;;) {
    video::NextStartCode(c);
    if (c.Stopped()) return false;
    if (c.h.shortVideoHeader) return true;
    const uint32_t code = c.br.Show(32);
    if (code == 0x1B6 || code == 0x1B3) return true;
    if (code == 0x1B0 || code == 0x1B5 || (code >= 0x100 && code <= 0x12F)) {
      video::ParseStreamHeaders(c);
      if (c.Stopped()) return false;
      if (c.h.shortVideoHeader) return false;
      c.br.AlignStuffing();
      if (c.h.width != d.width || c.h.height != d.height) {
        if (!SetupGeometry(d, c.h.width, c.h.height)) {
          c.Fail(DecodeStatus::Fatal);
          return false;
        }
        c.prevStatus = DecodeStatus::SkipUntilIntra;
      }
      continue;
    }
    c.br.Skip(32);
  }
}

void DecodeOnePicture(DecoderContext& d) {
  HeaderContext& c = d.hc;
  if (!FindPictureStart(d)) return;
  if (c.h.shortVideoHeader) {
    video::ParseShortPictureHeader(c);
  } else {
    video::ParseVopHeader(c);
  }
  if (c.status != DecodeStatus::Ok || !c.h.vopCoded) return;
  // I pictures too: concealment inside them predicts from the reference.
  video::ExtendReference(d);
  video::DecodePictureData(d, 0);
  SwapIfKept(d);
  // Bounded: every round consumes a packet header of the unit.
  while (d.pendingPacket && c.status == DecodeStatus::NewVopFromPacket) ContinueFromPacket(d);
  d.pendingPacket = false;
}

}  // namespace

VideoDecoder::VideoDecoder(KernelChoice kernels) : ctx_(std::make_unique<DecoderContext>()) {
  ctx_->vlc = &video::GetVlcTables();
  if (kernels == KernelChoice::Plain) {
    video::InitPlainKernels(ctx_->k);
  } else {
    video::SelectKernels(ctx_->k, os::DetectCpuFeatures());
  }
}

VideoDecoder::~VideoDecoder() = default;

void VideoDecoder::SetSize(int width, int height) {
  ctx_->hc.configuredWidth = width;
  ctx_->hc.configuredHeight = height;
  ctx_->frameCounter = 0;
}

void VideoDecoder::SetPostFilter(bool deblock, bool second) {
  ctx_->deblock = deblock;
  ctx_->secondFlag = second;
}

int VideoDecoder::Decode(const uint8_t* data, size_t length) {
  DecoderContext& d = *ctx_;
  HeaderContext& c = d.hc;
  if (!data) length = 0;
  c.status = DecodeStatus::Ok;
  if (d.frameCounter == 0) {
    c.br.Bind(data, length, false);
    StartStream(d, data, length);
  } else {
    c.br.Bind(data, length, c.h.shortVideoHeader);
  }
  if (!c.Stopped() && d.mbCount > 0) DecodeOnePicture(d);
  c.prevStatus = c.status;
  if (c.status == DecodeStatus::Fatal) return kDecodeFatal;
  if (!c.h.intraSeen || d.mbCount == 0) return kDecodeNoPicture;
  ++d.frameCounter;
  return kDecodeStarted;
}

int VideoDecoder::ProducePicture(const DecodedPicture& dest) {
  DecoderContext& d = *ctx_;
  if (d.mbCount == 0 || !dest.data || dest.width != d.width || dest.height != d.height) return -1;
  const int newest = 1 - d.cur;
  if (d.deblock || d.secondFlag) {
    const video::MacroblockInfo* info = d.mbInfo[newest].data();
    for (int i = 0; i < d.mbCount; ++i) d.mbQuant[i] = info[i].quant ? info[i].quant : 1;
    video::PostFilterArgs a{};
    a.planes[0] = d.Y(newest);
    a.planes[1] = d.U(newest);
    a.planes[2] = d.V(newest);
    a.strides[0] = d.lumaStride;
    a.strides[1] = a.strides[2] = d.chromaStride;
    a.out = dest.data;
    a.width = d.width;
    a.height = d.height;
    a.mbQuant = d.mbQuant.data();
    a.mbWidth = d.mbWidth;
    d.k.postFilter(a);
    return 0;
  }
  const int w = d.width, h = d.height;
  for (int y = 0; y < h; ++y) std::memcpy(dest.Y() + y * w, d.Y(newest) + y * d.lumaStride, w);
  for (int y = 0; y < h / 2; ++y) {
    std::memcpy(dest.U() + y * (w / 2), d.U(newest) + y * d.chromaStride, w / 2);
    std::memcpy(dest.V() + y * (w / 2), d.V(newest) + y * d.chromaStride, w / 2);
  }
  return 0;
}

const uint8_t* VideoDecoder::ProducePicture() {
  DecoderContext& d = *ctx_;
  if (d.mbCount == 0) return nullptr;
  DecodedPicture p;
  p.data = d.output.data();
  p.width = d.width;
  p.height = d.height;
  return ProducePicture(p) == 0 ? d.output.data() : nullptr;
}

int VideoDecoder::Width() const { return ctx_->mbCount ? ctx_->width : ctx_->hc.h.width ? ctx_->hc.h.width : ctx_->hc.configuredWidth; }

int VideoDecoder::Height() const { return ctx_->mbCount ? ctx_->height : ctx_->hc.h.height ? ctx_->hc.h.height : ctx_->hc.configuredHeight; }

const uint8_t* VideoDecoder::NewestPaddedPicture() const {
  return ctx_->mbCount ? ctx_->pictures[1 - ctx_->cur].data() : nullptr;
}

void VideoDecoder::Release() {
  ctx_->frameCounter = 0;
  FreeGeometry(*ctx_);
}

DecodeStatus VideoDecoder::LastStatus() const { return ctx_->hc.status; }
uint32_t VideoDecoder::FrameCounter() const { return ctx_->frameCounter; }
uint32_t VideoDecoder::CurrentTimeMs() const { return ctx_->hc.h.currentTimeMs; }

}  // namespace codec
