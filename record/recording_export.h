#pragma once
// Writes a copy of a recording that common players play with sound: the
// video samples unchanged, the ADPCM sound decoded to 16-bit PCM at 8000 Hz,
// each sample at the time it has in the recording, in a Matroska file.
//
// Why Matroska: every block carries its own time in milliseconds, the unit
// the recording's tables use, so the copy keeps the recording's timing
// exactly, gaps in the sound included, where MP4 and MOV would describe PCM
// as one run of evenly spaced samples; and both codecs have standard IDs
// there ("V_MPEG4/ISO/ASP" with the VOS/VOL headers as codec private data,
// "A_PCM/INT/LIT") that ffmpeg, VLC, mpv and the Windows 10 film player read.
#include <cstdint>
#include <string>

#include "record/mp4_output.h"

namespace record {

struct ExportSummary {
  uint32_t pictures = 0;
  uint32_t soundFrames = 0;
  uint64_t pcmSamples = 0;  // decoded sound samples
  uint64_t durationMs = 0;
};

// Reads the recording in `in` and writes the copy into `out`; false with a
// one-line reason when `in` is no finished recording or `out` fails.
bool ExportRecording(Mp4Storage& in, Mp4Output& out, ExportSummary* summary, std::string* error);
// The same between files named in UTF-8. An output that is the recording
// itself (by any name: the path, a hard or symbolic link) is refused. The
// copy is written beside the output under a name of its own and replaces the
// output only once it is whole, so a failed export changes no file.
bool ExportRecordingFile(const std::string& in_path, const std::string& out_path, ExportSummary* summary,
                         std::string* error);

}  // namespace record
