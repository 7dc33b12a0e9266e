// The GOB loop of the short video header: GOB headers restart prediction and
// set the quantiser; after damage decoding resumes at the next GOB start.
#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {

void GobLoop(DecoderContext& d) {
  HeaderContext& c = d.hc;
  const int perGob = c.h.numMbInGob, gobs = c.h.numGobsInVop;
  int mb = 0;
  for (int gob = 0; gob < gobs && mb < d.mbCount; ++gob) {
    if (gob > 0 && GobStartFollows(c)) {
      const int lead = c.br.Show(17) == 1 ? 0 : c.br.BitsToAlign();
      if ((c.br.Show(lead + 22) & 0x3FFFFF) == 0x20) break;  // the next picture starts here
      int q = d.quant;
      int number = ParseGobHeader(c, &q);
      if (number == gobs) {
        c.status = DecodeStatus::Fatal;
        break;
      }
      if (number > gobs) break;  // end of sequence or an unknown code
      if (number >= gob) {
        ConcealRange(d, mb, number * perGob);
        gob = number;
        mb = number * perGob;
        d.packetStart = mb;
      }
      d.quant = q;
      if (mb >= d.mbCount) break;
    }
    const int end = (gob + 1) * perGob < d.mbCount ? (gob + 1) * perGob : d.mbCount;
    bool ok = true;
    for (; mb < end; ++mb) {
      if (!DecodeMacroblock(d, mb)) {
        ok = false;
        break;
      }
    }
    if (!ok || c.br.Exhausted()) {
      c.status = DecodeStatus::MacroblockError;
      SearchGobStart(c);
      if (c.Stopped() || c.br.Show(22) == 0x20) break;
      ConcealRange(d, mb, end);
      mb = end;
      c.status = DecodeStatus::Ok;
    }
  }
  ConcealRange(d, mb, d.mbCount);
  if (c.status != DecodeStatus::Fatal) c.status = DecodeStatus::Ok;
  EndShortPicture(c);
}

}  // namespace codec::video
