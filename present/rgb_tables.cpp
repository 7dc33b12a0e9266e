#include "present/rgb_tables.h"

namespace present {

namespace {
RgbTables BuildTables() {
  RgbTables t{};
  for (int c = 0; c < 256; ++c) {
    t.rCr[c] = static_cast<int16_t>(ChromaTerm(kRFromCr, c));
    t.gCb[c] = static_cast<int16_t>(ChromaTerm(kGFromCb, c));
    t.gCr[c] = static_cast<int16_t>(ChromaTerm(kGFromCr, c));
    t.bCb[c] = static_cast<int16_t>(ChromaTerm(kBFromCb, c));
  }
  return t;
}
}  // namespace

const RgbTables& YuvToRgbTables() {
  static const RgbTables tables = BuildTables();
  return tables;
}

}  // namespace present
