// skinpack: writes a .skn skin file from a layout description and bitmaps.
//   skinpack LAYOUT BITMAP_DIR OUTPUT.skn
// Bitmap file names in the layout are relative to BITMAP_DIR.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "layout.h"
#include "os/file.h"
#include "pack.h"

namespace {

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: skinpack LAYOUT BITMAP_DIR OUTPUT.skn\n");
    return 2;
  }
  std::vector<uint8_t> text;
  if (!os::ReadWholeFile(argv[1], &text)) {
    std::fprintf(stderr, "skinpack: cannot read %s\n", argv[1]);
    return 1;
  }
  skinpack::Layout layout;
  std::string error;
  std::vector<uint8_t> skin;
  const std::string dir = argv[2];
  auto read_bitmap = [&](const std::string& name, std::vector<uint8_t>* bytes) {
    return os::ReadWholeFile(dir + "/" + name, bytes);
  };
  if (!skinpack::ParseLayout(std::string(text.begin(), text.end()), &layout, &error) ||
      !skinpack::PackSkin(layout, read_bitmap, &skin, &error)) {
    std::fprintf(stderr, "skinpack: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(skin.data()), static_cast<std::streamsize>(skin.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "skinpack: cannot write %s\n", argv[3]);
    std::remove(argv[3]);
    return 1;
  }
  return 0;
}
