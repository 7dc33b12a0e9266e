#pragma once
// What the index of recordings knows of each file, and the small file in
// which it keeps that beside the recordings ("halyard-recordings.idx" in each
// root), so a folder of thousands of recordings opens without reading them:
// a file whose name, size and modification time are unchanged is taken from
// here, the others are read again.
//
// Layout (big-endian): magic "HLYDRIDX", version u16, entry count u32, the
// entries, then a CRC-32 of everything before it. An entry: path length u16
// and the path (UTF-8, '/' between folders, from the root), size u64,
// modified i64, state u8, creation u32, first time u32, pictures u32, span
// count u32 and per span begin and end (u32 ms each). A file that is damaged,
// of another version or whose counts run past it is not used (and rebuilt).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record/recording_track.h"

namespace record {

enum class FileState : uint8_t {
  kFinished = 0,    // read from its tables
  kUnfinished = 1,  // being written, or cut off and not yet repaired: read from its journal
  kUnreadable = 2,  // neither: no pictures known
};

struct FileFacts {
  std::string path;       // from the root, '/' between folders
  uint64_t size = 0;
  int64_t modified = 0;   // the file system's modification time, in its own units
  FileState state = FileState::kUnreadable;
  uint32_t creation = 0;  // seconds since 1970 UTC of the first picture (0: unknown)
  uint32_t firstTime = 0; // the first picture's time on the file's own clock (ms)
  uint32_t pictures = 0;
  std::vector<FileSpan> spans;  // ms from the first picture
};

// Reads a recording (with its journal, when it has one) for its facts; the
// path, size and time are the caller's.
void ReadFileFacts(Mp4Storage& media, Mp4Storage* journal, FileFacts* facts);

std::vector<uint8_t> EncodeIndexCache(const std::vector<FileFacts>& files);
// False for bytes that are not a whole cache of this version.
bool DecodeIndexCache(const uint8_t* data, size_t size, std::vector<FileFacts>* files);

constexpr char kIndexCacheName[] = "halyard-recordings.idx";

}  // namespace record
