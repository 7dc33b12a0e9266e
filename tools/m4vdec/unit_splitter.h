#pragma once
// Splits an MPEG-4 or H.263 elementary stream into units the way a camera
// sends them: the headers before the first picture as one configuration unit,
// then one unit per picture.
#include <cstddef>
#include <cstdint>
#include <vector>

struct StreamUnit {
  size_t offset;
  size_t length;
  bool config;
};

// shortHeader is set when the stream starts with an H.263 picture start code.
std::vector<StreamUnit> SplitUnits(const uint8_t* data, size_t length, bool* shortHeader);

// Picture size coded in the first H.263 picture header (0 when not standard).
bool ShortHeaderSize(const uint8_t* data, size_t length, int* width, int* height);
