#pragma once
// Formats a user-visible message whose format string comes from the settings
// file. A translator may reorder, drop or mistype conversions, so the text is
// never handed to printf: each conversion is checked against the typed
// argument in its position and shown literally when the two do not match.
#include <string>
#include <string_view>
#include <vector>

#include "os/window_seam.h"

namespace settings {

// Supported conversions: %d %i (integer), %u %x %X (integer shown unsigned),
// %s (text) and %%, each with the usual flags (-+ #0), a width and a
// precision of at most kMaxFieldWidth, and the length modifiers h, hh, l, ll
// (accepted and ignored: every integer argument is a long long). The n-th
// conversion takes the n-th argument; a conversion whose argument is missing
// or of the other kind appears literally. Anything else after '%' (including
// '*' widths and %n) is copied as it stands and takes no argument.
//
// Integers are the program's 32-bit values: %u and %x show a negative value
// that fits in 32 bits as its 32-bit two's complement, as the original
// 32-bit printf did.
std::string FormatUserMessage(std::string_view format, const std::vector<os::MessageArg>& args);

inline constexpr int kMaxFieldWidth = 256;

}  // namespace settings
