#pragma once
// Turns a checked layout and its bitmap files into skin file bytes, refusing
// whatever the viewer would refuse: a wrong item count, a missing bitmap, a
// file that is not a Windows bitmap the viewer can load, no bitmap at all.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "layout.h"

namespace skinpack {

// Reads a bitmap file named in the layout; false when it cannot be read.
using FileReader = std::function<bool(const std::string& name, std::vector<uint8_t>* bytes)>;

// Each distinct file becomes one bitmap, numbered in order of first use.
bool PackSkin(const Layout& layout, const FileReader& read, std::vector<uint8_t>* out, std::string* error);

}  // namespace skinpack
