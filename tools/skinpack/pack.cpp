#include "pack.h"

#include <map>

#include "skin/bmp_reader.h"
#include "skin/skin_file_writer.h"

namespace skinpack {
namespace {

const char* BmpProblem(skin::BmpStatus status) {
  switch (status) {
    case skin::BmpStatus::kOk: return nullptr;
    case skin::BmpStatus::kFileHeaderShort: return "too short for a bitmap file header";
    case skin::BmpStatus::kNotBm: return "not a Windows bitmap (no \"BM\")";
    case skin::BmpStatus::kInfoHeaderShort: return "too short for a bitmap information header";
    case skin::BmpStatus::kNotDib: return "not a 40-byte-header Windows DIB";
    case skin::BmpStatus::kColourTableShort: return "colour table cut short";
    case skin::BmpStatus::kOutOfMemory: return "too large";
    case skin::BmpStatus::kBitsShort: return "pixel data offset past the end";
    case skin::BmpStatus::kCannotCreate: return "a pixel format or size the viewer cannot show";
  }
  return "unreadable";
}

}  // namespace

bool PackSkin(const Layout& layout, const FileReader& read, std::vector<uint8_t>* out, std::string* error) {
  if (!CheckItems(layout, error)) return false;
  skin::SkinFileImage image;
  std::map<std::string, int32_t> index_of;
  for (const LayoutItem& item : layout.items) {
    skin::ItemRecord record;
    record.x = item.x;
    record.y = item.y;
    record.width = item.width;
    record.height = item.height;
    record.transparent = item.transparent;
    for (int slot = 0; slot < skin::kBitmapSlots; ++slot) {
      const std::string& file = item.files[slot];
      if (file.empty()) continue;
      auto found = index_of.find(file);
      if (found == index_of.end()) {
        std::vector<uint8_t> bytes;
        if (!read(file, &bytes)) {
          *error = "line " + std::to_string(item.line) + ": missing bitmap " + file;
          return false;
        }
        skin::MemorySource source(bytes);
        skin::DibImage dib;
        if (const char* problem = BmpProblem(skin::ReadBmp(source, &dib))) {
          *error = "line " + std::to_string(item.line) + ": " + file + ": " + problem;
          return false;
        }
        found = index_of.emplace(file, static_cast<int32_t>(image.bitmaps.size())).first;
        image.bitmaps.push_back(std::move(bytes));
      }
      record.bitmaps[slot] = found->second;
    }
    image.names.push_back(item.name);
    image.records.push_back(record);
  }
  if (image.bitmaps.empty()) {
    *error = layout.window + ": a skin needs at least one bitmap";
    return false;
  }
  *out = skin::WriteSkinFile(image);
  return true;
}

}  // namespace skinpack
