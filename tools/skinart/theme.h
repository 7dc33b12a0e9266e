#pragma once
// The colours and shapes of the skin artwork: a dark slate panel, a darker
// title bar, one calm blue accent, light text.
#include "canvas.h"

namespace skinart::theme {

inline constexpr Colour kTransparent = Hex(0xFF00FF);  // magenta: red equals blue, as the cutter wants

inline constexpr Colour kBody = Hex(0x22262C);
inline constexpr Colour kTitleBar = Hex(0x191C21);
inline constexpr Colour kTitleRule = Hex(0x2F353D);
inline constexpr Colour kOutline = Hex(0x454C57);
inline constexpr Colour kAccent = Hex(0x4AA3DF);
inline constexpr Colour kText = Hex(0xE6E9ED);
inline constexpr Colour kTextDim = Hex(0x98A1AC);
inline constexpr Colour kTextOff = Hex(0x5C6470);
inline constexpr Colour kWell = Hex(0x1A1D21);       // behind framed standard controls
inline constexpr Colour kWellFrame = Hex(0x363C45);

struct Face {
  Colour fill, border, text;
};
inline constexpr Face kButtonNormal{Hex(0x2E343C), Hex(0x3D444F), kText};
inline constexpr Face kButtonOver{Hex(0x39414B), Hex(0x56606C), Hex(0xFFFFFF)};
inline constexpr Face kButtonPressed{Hex(0x28699A), kAccent, Hex(0xFFFFFF)};
inline constexpr Face kButtonDisabled{Hex(0x262A30), Hex(0x2F343B), kTextOff};
inline constexpr Face kPrimaryNormal{Hex(0x2F77AD), Hex(0x3F8BC4), Hex(0xFFFFFF)};
inline constexpr Face kPrimaryOver{Hex(0x3A88C0), Hex(0x5BA5DB), Hex(0xFFFFFF)};
inline constexpr Face kPrimaryPressed{Hex(0x245E8A), kAccent, Hex(0xDDEBF6)};

// Round buttons: only their glyph at rest, a disc under the pointer or pressed.
inline constexpr Face kRoundNormal{kTitleBar, kTitleBar, kTextDim};
inline constexpr Face kRoundOver{Hex(0x343A43), Hex(0x343A43), kText};
inline constexpr Face kRoundPressed{Hex(0x28699A), Hex(0x28699A), Hex(0xFFFFFF)};
inline constexpr Face kRoundDisabled{kTitleBar, kTitleBar, Hex(0x464D57)};
inline constexpr Face kCloseOver{Hex(0xC44C4C), Hex(0xC44C4C), Hex(0xFFFFFF)};
inline constexpr Face kClosePressed{Hex(0x9E3939), Hex(0x9E3939), Hex(0xF2D9D9)};

inline constexpr int kButtonRadius = 5;
inline constexpr int kCheckBoxSize = 16;

}  // namespace skinart::theme
