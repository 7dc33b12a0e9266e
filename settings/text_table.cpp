#include "settings/text_table.h"

namespace settings {
namespace {

constexpr TextId kAllTexts[] = {
#define HALYARD_TEXT(name, section, key, default_text) text::name,
#include "settings/text_table.inc"
#undef HALYARD_TEXT
};

}  // namespace

std::span<const TextId> AllTexts() { return kAllTexts; }

}  // namespace settings
