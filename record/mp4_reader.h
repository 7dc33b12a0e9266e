#pragma once
// Reads an MP4 file's box layout and the sample tables of its tracks: what
// export needs to copy a recording, and what repair needs to tell a finished
// recording from a cut-off one. Every length is checked against what holds
// it; a file that is cut off, or whose tables disagree, is refused.
#include <cstdint>
#include <string>
#include <vector>

#include "record/mp4_output.h"

namespace record {

struct Mp4ReadSample {
  uint64_t offset = 0;
  uint32_t size = 0;
  uint64_t decodeTime = 0;         // track timescale
  int64_t compositionOffset = 0;   // presentation time minus decode time
  bool sync = true;
};

struct Mp4ReadTrack {
  uint32_t trackId = 0;
  std::string handler;      // "vide", "soun", "sdsm", "odsm", ...
  std::string sampleEntry;  // "mp4v", "mp4a", "mp4s", ...
  uint32_t timescale = 0;
  uint8_t objectType = 0;   // objectTypeIndication of the esds; 0 without one
  std::vector<uint8_t> decoderInfo;  // its DecoderSpecificInfo
  uint16_t width = 0, height = 0;    // visual sample entry
  uint16_t channels = 0;             // audio sample entry
  uint32_t sampleRate = 0;
  std::vector<Mp4ReadSample> samples;
};

struct Mp4Index {
  std::vector<std::string> topLevel;  // box types in file order
  uint64_t mdatStart = 0, mdatEnd = 0;  // first mdat, header included
  std::vector<Mp4ReadTrack> tracks;
};

// False with a one-line reason when the file is not a whole MP4 file.
bool ReadMp4Index(Mp4Storage& file, Mp4Index* index, std::string* error);

}  // namespace record
