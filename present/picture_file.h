#pragma once
// A decoded picture as the bytes of a picture file: 24-bit BMP (rows
// bottom-up, padded to four bytes) or 8-bit RGB PNG (deflate in stored
// blocks: larger than a compressed file, but needs no library and is read
// by every viewer). Colours come from the renderers' own conversion, so a
// file shows the picture as the window does.
#include <cstdint>
#include <string>
#include <vector>

#include "codec/video/video_decoder.h"

namespace present {

std::vector<uint8_t> EncodeBmp(const codec::DecodedPicture& picture);
std::vector<uint8_t> EncodePng(const codec::DecodedPicture& picture);
// A PNG of `width` x `height` RGB pixels, rows top-down without padding
// (screenshots).
std::vector<uint8_t> EncodePngRgb(const uint8_t* rgb, int width, int height);

enum class PictureFormat { kBmp, kPng };
// BMP for a name ending in ".bmp" (any case), else PNG.
PictureFormat PictureFormatFor(const std::string& path);

// The PNG check value (CRC-32 of ISO 3309) and the zlib one (Adler-32).
uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t length, uint32_t adler = 1);

}  // namespace present
