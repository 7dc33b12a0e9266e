// adpcm encode IN OUT   IN: WAV (16-bit mono 8 kHz PCM) or raw 16-bit
//                       little-endian mono 8 kHz PCM; OUT: 3-bit ADPCM
// adpcm decode IN OUT   IN: 3-bit ADPCM; OUT: raw 16-bit little-endian PCM
// Works in the units the program uses: 512-sample (1024-byte) blocks in,
// 192-byte frames out, with the codec state carried from one to the next.
#include <cstdio>
#include <cstring>
#include <vector>

#include "codec/audio/adpcm.h"
#include "codec/audio/wav_reader.h"
#include "os/file.h"

namespace {

int Encode(const std::vector<uint8_t>& in, std::vector<uint8_t>* out) {
  std::vector<int16_t> pcm;
  codec::WavInfo info;
  switch (codec::ReadVoicePcm(in.data(), in.size(), true, &pcm, &info)) {
    case codec::VoicePcmStatus::kUnreadableWav:
      std::fprintf(stderr, "adpcm: not a readable WAV file\n");
      return 1;
    case codec::VoicePcmStatus::kWrongFormat:
      std::fprintf(stderr, "adpcm: need 16-bit mono 8000 Hz PCM (have format %d, %d channels, %u Hz, %d bits)\n",
                   info.formatTag, info.channels, info.sampleRate, info.bitsPerSample);
      return 1;
    case codec::VoicePcmStatus::kOk:
      break;
  }
  codec::AdpcmEncoder enc;
  uint8_t frame[192];
  for (size_t at = 0; at < pcm.size(); at += 512) {
    const int samples = static_cast<int>(pcm.size() - at < 512 ? pcm.size() - at : 512);
    const int n = enc.Encode(&pcm[at], samples * 2, frame);
    out->insert(out->end(), frame, frame + n);
  }
  return 0;
}

void Decode(const std::vector<uint8_t>& in, std::vector<uint8_t>* out) {
  codec::AdpcmDecoder dec;
  int16_t block[512];
  for (size_t at = 0; at < in.size(); at += 192) {
    const int length = static_cast<int>(in.size() - at < 192 ? in.size() - at : 192);
    const int bytes = dec.Decode(&in[at], length, block);
    for (int i = 0; i < bytes / 2; ++i) {
      out->push_back(static_cast<uint8_t>(block[i]));
      out->push_back(static_cast<uint8_t>(static_cast<uint16_t>(block[i]) >> 8));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[1], "encode") && std::strcmp(argv[1], "decode"))) {
    std::fprintf(stderr, "usage: adpcm encode|decode IN OUT\n");
    return 2;
  }
  std::vector<uint8_t> in, out;
  if (!os::ReadWholeFile(argv[2], &in)) {
    std::fprintf(stderr, "adpcm: cannot read %s\n", argv[2]);
    return 1;
  }
  if (!std::strcmp(argv[1], "encode")) {
    if (const int rc = Encode(in, &out)) return rc;
  } else {
    Decode(in, &out);
  }
  if (!os::WriteWholeFile(argv[3], out.data(), out.size())) {
    std::fprintf(stderr, "adpcm: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
