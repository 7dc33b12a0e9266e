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
  uint32_t creationTime = 0;  // the movie header's, seconds since 1904 (0: none)
  std::vector<Mp4ReadTrack> tracks;
};

// False with a one-line reason when the file is not a whole MP4 file.
bool ReadMp4Index(Mp4Storage& file, Mp4Index* index, std::string* error);

// When a recording's pictures were taken, read without the rest of its
// tables: the movie header's creation time and the time-to-sample runs of
// its video track (of its sound track when it has no video). Thousands of
// files are read this way when a folder of recordings is first listed, so
// only those boxes are read, not the whole movie box (whose sizes, chunks
// and offsets make up nearly all of it).
struct Mp4TimeRun {
  uint32_t count = 0;
  uint32_t delta = 0;  // track timescale
};
struct Mp4Timing {
  uint32_t creationTime = 0;  // seconds since 1904 (0: none)
  bool video = false;         // the runs are the video track's
  uint32_t timescale = 0;
  uint32_t samples = 0;       // the runs' total count
  int64_t firstOffset = 0;    // the first sample's composition offset
  std::vector<Mp4TimeRun> runs;
};
// False with a one-line reason when the file is not a whole MP4 file or has
// neither a video nor a sound track.
bool ReadMp4Timing(Mp4Storage& file, Mp4Timing* timing, std::string* error);

}  // namespace record
