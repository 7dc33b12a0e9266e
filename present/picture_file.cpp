#include "present/picture_file.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "net/byte_order.h"
#include "present/i420_convert.h"

namespace present {
namespace {

bool Usable(const codec::DecodedPicture& p) { return p.data && p.width > 0 && p.height > 0; }

void Append(std::vector<uint8_t>* out, const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + length);
}

void AppendBE32(std::vector<uint8_t>* out, uint32_t value) {
  uint8_t b[4];
  net::PutBE32(b, value);
  Append(out, b, 4);
}

void AppendChunk(std::vector<uint8_t>* out, const char type[4], const std::vector<uint8_t>& data) {
  AppendBE32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out->size();
  Append(out, type, 4);
  Append(out, data.data(), data.size());
  AppendBE32(out, Crc32(out->data() + start, out->size() - start));
}

// RGB rows top-down from the renderers' bottom-up BGR.
std::vector<uint8_t> RgbRows(const codec::DecodedPicture& p) {
  const int stride = (p.width * 3 + 3) & ~3;
  std::vector<uint8_t> bgr(size_t(stride) * size_t(p.height));
  I420ToBgr24BottomUp(p.Y(), p.U(), p.V(), p.width, p.height, bgr.data(), stride);
  std::vector<uint8_t> rgb(size_t(p.width) * 3 * size_t(p.height));
  uint8_t* out = rgb.data();
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* src = &bgr[size_t(p.height - 1 - y) * size_t(stride)];
    for (int x = 0; x < p.width; ++x, out += 3) {
      out[0] = src[3 * x + 2];
      out[1] = src[3 * x + 1];
      out[2] = src[3 * x];
    }
  }
  return rgb;
}

// A zlib stream of stored deflate blocks (at most 65535 bytes each).
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, data.size() - at);
    const bool last = at + n == data.size();
    z.push_back(last ? 1 : 0);
    z.push_back(uint8_t(n & 0xFF));
    z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n & 0xFF));
    z.push_back(uint8_t((~n >> 8) & 0xFF));
    Append(&z, data.data() + at, n);
    at += n;
  } while (at < data.size());
  AppendBE32(&z, Adler32(data.data(), data.size()));
  return z;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t length, uint32_t adler) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  for (size_t i = 0; i < length; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::vector<uint8_t> EncodeBmp(const codec::DecodedPicture& p) {
  if (!Usable(p)) return {};
  const int stride = (p.width * 3 + 3) & ~3;  // BMP rows are padded to four bytes
  const uint32_t pixels = static_cast<uint32_t>(stride) * static_cast<uint32_t>(p.height);
  std::vector<uint8_t> bmp(54 + pixels, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  net::PutLE32(&bmp[2], static_cast<uint32_t>(bmp.size()));
  net::PutLE32(&bmp[10], 54);
  net::PutLE32(&bmp[14], 40);
  net::PutLE32(&bmp[18], static_cast<uint32_t>(p.width));
  net::PutLE32(&bmp[22], static_cast<uint32_t>(p.height));  // positive: rows bottom-up
  net::PutLE16(&bmp[26], 1);
  net::PutLE16(&bmp[28], 24);
  net::PutLE32(&bmp[34], pixels);
  I420ToBgr24BottomUp(p.Y(), p.U(), p.V(), p.width, p.height, &bmp[54], stride);
  return bmp;
}

std::vector<uint8_t> EncodePng(const codec::DecodedPicture& p) {
  if (!Usable(p)) return {};
  const std::vector<uint8_t> rgb = RgbRows(p);
  return EncodePngRgb(rgb.data(), p.width, p.height);
}

std::vector<uint8_t> EncodePngRgb(const uint8_t* rgb, int width, int height) {
  if (!rgb || width <= 0 || height <= 0) return {};
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> png(kSignature, kSignature + 8);
  std::vector<uint8_t> header(13, 0);
  net::PutBE32(&header[0], static_cast<uint32_t>(width));
  net::PutBE32(&header[4], static_cast<uint32_t>(height));
  header[8] = 8;  // bits per sample
  header[9] = 2;  // RGB; compression, filter and interlace methods 0
  AppendChunk(&png, "IHDR", header);
  // Each row behind its filter byte (0, none).
  const size_t row = size_t(width) * 3;
  std::vector<uint8_t> filtered;
  filtered.reserve((row + 1) * size_t(height));
  for (int y = 0; y < height; ++y) {
    filtered.push_back(0);
    filtered.insert(filtered.end(), rgb + row * size_t(y), rgb + row * size_t(y + 1));
  }
  AppendChunk(&png, "IDAT", StoredZlib(filtered));
  AppendChunk(&png, "IEND", {});
  return png;
}

PictureFormat PictureFormatFor(const std::string& path) {
  if (path.size() < 4) return PictureFormat::kPng;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".bmp" ? PictureFormat::kBmp : PictureFormat::kPng;
}

}  // namespace present
