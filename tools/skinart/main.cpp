// skinart: draws the bitmaps of the viewer's skins.
//   skinart OUT_DIR LAYOUT...
// Writes every bitmap file the layouts name into OUT_DIR. The drawing is
// deterministic, so the same sources always give the same bytes.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "artwork.h"
#include "layout.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: skinart OUT_DIR LAYOUT...\n");
    return 2;
  }
  const std::string out_dir = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    skinpack::Layout layout;
    skinart::Bitmaps bitmaps;
    std::string error;
    if (!in.good() && !in.eof()) error = "cannot read the file";
    if (!error.empty() || !skinpack::ParseLayout(text, &layout, &error) || !skinpack::CheckItems(layout, &error) ||
        !skinart::DrawSkinArt(layout, &bitmaps, &error)) {
      std::fprintf(stderr, "skinart: %s: %s\n", argv[i], error.c_str());
      return 1;
    }
    for (const auto& [name, bytes] : bitmaps) {
      std::ofstream out(out_dir + "/" + name, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out) {
        std::fprintf(stderr, "skinart: cannot write %s/%s\n", out_dir.c_str(), name.c_str());
        return 1;
      }
    }
  }
  return 0;
}
