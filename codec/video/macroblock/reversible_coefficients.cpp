// Run/level events of the reversible code used with data partitioning. Only
// the forward direction is read: a damaged texture partition is concealed up
// to the next video packet like any other invalid code.
#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {
namespace {

// ESCAPE, a '1', last, run (6), marker, level (11), marker, ESCAPE again and
// the sign. The closing ESCAPE is what a backward reader would meet first, so
// both it and the markers must be intact; a zero level has no meaning.
bool ReadReversibleEscape(BitReader& br, int escape_length, int* last, int* run, int* level) {
  br.Skip(escape_length);
  if (!br.Get1()) return false;
  *last = static_cast<int>(br.Get1());
  *run = static_cast<int>(br.Get(6));
  if (!br.Get1()) return false;
  const int magnitude = static_cast<int>(br.Get(11));
  // The closing ESCAPE, like the opening one, is all zeros.
  if (!br.Get1() || br.Get(escape_length) != 0 || magnitude == 0) return false;
  *level = br.Get1() ? -magnitude : magnitude;
  return true;
}

}  // namespace

int ReadReversibleCoefficients(DecoderContext& d, int16_t* block, const uint8_t* scan, int pos,
                               bool intra) {
  BitReader& br = d.hc.br;
  const RvlcTable& t = intra ? d.vlc->rvlcIntra : d.vlc->rvlcInter;
  for (;;) {
    // The word and its sign bit in one look.
    const uint32_t bits = br.Show(RvlcTable::kBits + 1);
    const TcoefEntry e = t.entries[bits >> 1];
    if (!e.Len()) return -1;
    int last, run, level;
    if (e.Level()) {
      last = e.Last();
      run = e.Run();
      level = (bits >> (RvlcTable::kBits - e.Len())) & 1 ? -e.Level() : e.Level();
      br.Skip(e.Len() + 1);
    } else if (!ReadReversibleEscape(br, e.Len(), &last, &run, &level)) {
      return -1;
    }
    if (!PlaceEvent(block, scan, &pos, run, level)) return -1;
    if (last) return pos;
  }
}

}  // namespace codec::video
