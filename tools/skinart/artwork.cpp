#include "artwork.h"

#include <cstring>
#include <functional>

#include "canvas.h"
#include "theme.h"

namespace skinart {
namespace {

#include "glyph_tables.inc"

using skin::ItemKind;
using skinpack::Layout;
using skinpack::LayoutItem;
using theme::Face;

enum class Icon { kNone, kCross, kMinus, kQuestion };

// What a window's background shows besides its controls.
struct WindowArt {
  const char* window;
  const char* title;  // nullptr: a bar without a title
  int title_height;
  int corner_radius;
};
constexpr WindowArt kWindows[] = {
    {"voRizivoMain.skn", "Halyard", 40, 10},
    {"Login.skn", "Login", 36, 10},
    {"FileWindow.skn", "Cameras and Files", 36, 10},
    {"SeekSlider.skn", nullptr, 0, 8},
};

struct ItemArt {
  const char* window;
  const char* item;
  const char* label;
  Icon icon;
  bool primary;  // the window's main action, in the accent colour
  bool closes;   // red under the pointer
};
constexpr ItemArt kItems[] = {
    {"voRizivoMain.skn", "BUTTON_CONNECT", "Login", Icon::kNone, true, false},
    {"voRizivoMain.skn", "BUTTON_CLOSE", "Logout", Icon::kNone, false, false},
    {"voRizivoMain.skn", "BUTTON_SORT", "Sort Window", Icon::kNone, false, false},
    {"voRizivoMain.skn", "BUTTON_MINIMIZE", nullptr, Icon::kMinus, false, false},
    {"voRizivoMain.skn", "BUTTON_EXIT", nullptr, Icon::kCross, false, true},
    {"voRizivoMain.skn", "CHECK_SHOW_LIST", "Show/Hide Camera & File List", Icon::kNone, false, false},
    {"voRizivoMain.skn", "BUTTON_HELP", nullptr, Icon::kQuestion, false, false},
    {"voRizivoMain.skn", "BUTTON_OPTION", "Option", Icon::kNone, false, false},
    {"Login.skn", "IDOK", "OK", Icon::kNone, true, false},
    {"Login.skn", "IDCANCEL", "Cancel", Icon::kNone, false, false},
    {"Login.skn", "CHECK_SAVEIDPW", "Save ID & Passwd", Icon::kNone, false, false},
    {"Login.skn", "BUTTON_X", nullptr, Icon::kCross, false, true},
    {"FileWindow.skn", "BUTTON_VIEW", "View", Icon::kNone, true, false},
    {"FileWindow.skn", "BUTTON_REFRESH", "Refresh", Icon::kNone, false, false},
    {"SeekSlider.skn", "BUTTON_CLOSE", nullptr, Icon::kCross, false, true},
};

// Texts on the background beside a standard control: left of it, or above it.
struct Label {
  const char* window;
  const char* item;
  const char* text;
  bool above;
};
constexpr Label kLabels[] = {
    {"voRizivoMain.skn", "TREE_SERVER", "Servers", true},
    {"Login.skn", "EDIT_ID", "Login ID", false},
    {"Login.skn", "EDIT_PASSWD", "Password", false},
    {"FileWindow.skn", "TREE_FILE", "Folders", true},
    {"FileWindow.skn", "LIST_FILELIST", "Files", true},
};

const WindowArt* FindWindowArt(const std::string& window) {
  for (const WindowArt& w : kWindows)
    if (window == w.window) return &w;
  return nullptr;
}

ItemArt FindItemArt(const std::string& window, const std::string& item) {
  for (const ItemArt& a : kItems)
    if (window == a.window && item == a.item) return a;
  return {nullptr, nullptr, nullptr, Icon::kNone, false, false};
}

// A border of `width` pixels along the inside of a shape's edge.
Shape Ring(const Shape& outer, const Shape& inner) {
  return [=](double x, double y) { return outer(x, y) && !inner(x, y); };
}

// The small lens mark in front of a title.
void DrawMark(Canvas& c, int cx, int cy) {
  c.Fill(Ring(Circle(cx, cy, 6.5), Circle(cx, cy, 4.5)), theme::kAccent, 1.0, {cx - 8, cy - 8, 17, 17});
  c.Fill(Circle(cx, cy, 2), theme::kAccent, 1.0, {cx - 3, cy - 3, 7, 7});
}

void DrawWell(Canvas& c, const LayoutItem& item) {
  int x = item.x - 1, y = item.y - 1, w = item.width + 2, h = item.height + 2;
  c.FillRect(x, y, w, h, theme::kWellFrame);
  c.FillRect(x + 1, y + 1, w - 2, h - 2, theme::kWell);
}

void DrawLabel(Canvas& c, const Label& label, const LayoutItem& item) {
  if (label.above) {
    c.Text(item.x + 1, item.y - 7, label.text, kLabelFont, theme::kTextDim);
  } else {
    int width = Canvas::TextWidth(label.text, kLabelFont);
    c.TextCentred(item.x - 10 - width, item.y, width, item.height, label.text, kLabelFont, theme::kTextDim);
  }
}

Canvas DrawForm(const Layout& layout, const WindowArt& art) {
  const LayoutItem& form = layout.items[0];
  const int w = form.width, h = form.height, r = art.corner_radius;
  Canvas c(w, h, theme::kBody);
  if (art.title_height > 0) {
    c.FillRect(0, 0, w, art.title_height, theme::kTitleBar);
    c.FillRect(0, art.title_height, w, 1, theme::kTitleRule);
  }
  if (art.title) {
    DrawMark(c, 18, art.title_height / 2);
    int baseline = (art.title_height + kTitleFont.ascent * 73 / 100) / 2;
    c.Text(32, baseline, art.title, kTitleFont, theme::kText);
  }
  for (const LayoutItem& item : layout.items)
    if (item.kind == ItemKind::kPlain) DrawWell(c, item);
  for (const Label& label : kLabels) {
    if (layout.window != label.window) continue;
    for (const LayoutItem& item : layout.items)
      if (item.name == label.item) DrawLabel(c, label, item);
  }
  Shape outer = RoundRect(0, 0, w, h, r);
  c.Fill(Ring(outer, RoundRect(1, 1, w - 1, h - 1, r - 1)), theme::kOutline);
  c.CutOutside(outer, theme::kTransparent);
  return c;
}

void DrawIcon(Canvas& c, Icon icon, Colour colour) {
  double cx = c.width() / 2.0, cy = c.height() / 2.0;
  switch (icon) {
    case Icon::kCross:
      c.Fill(Union(Stroke(cx - 4, cy - 4, cx + 4, cy + 4, 1.7), Stroke(cx - 4, cy + 4, cx + 4, cy - 4, 1.7)), colour);
      break;
    case Icon::kMinus:
      c.Fill(Stroke(cx - 5, cy + 3, cx + 5, cy + 3, 1.8), colour);
      break;
    case Icon::kQuestion:
      c.TextCentred(0, 0, c.width(), c.height(), "?", kTitleFont, colour);
      break;
    case Icon::kNone:
      break;
  }
}

// Push button faces by slot: normal, over, pressed, disabled.
Face ButtonFace(const ItemArt& art, bool round, int slot) {
  using namespace theme;
  if (round) {
    const Face faces[] = {kRoundNormal, art.closes ? kCloseOver : kRoundOver,
                          art.closes ? kClosePressed : kRoundPressed, kRoundDisabled};
    return faces[slot];
  }
  if (art.primary) {
    const Face faces[] = {kPrimaryNormal, kPrimaryOver, kPrimaryPressed, kButtonDisabled};
    return faces[slot];
  }
  const Face faces[] = {kButtonNormal, kButtonOver, kButtonPressed, kButtonDisabled};
  return faces[slot];
}

// A button is drawn over the part of the background it covers, so its
// anti-aliased corners blend into whatever lies behind it.
Canvas DrawButton(const Canvas& form, const LayoutItem& item, const ItemArt& art, int slot) {
  Canvas c = form.Crop(item.x, item.y, item.width, item.height);
  bool round = art.icon != Icon::kNone;
  Face face = ButtonFace(art, round, slot);
  const double w = item.width, h = item.height;
  if (round) {
    // At rest and disabled only the glyph shows, on whatever lies behind.
    if (slot == skin::kSlotOver || slot == skin::kSlotPressed) c.Fill(Circle(w / 2, h / 2, w / 2 - 1), face.fill);
    DrawIcon(c, art.icon, face.text);
  } else {
    c.Fill(RoundRect(0, 0, w, h, theme::kButtonRadius), face.border);
    c.Fill(RoundRect(1, 1, w - 1, h - 1, theme::kButtonRadius - 1), face.fill);
    // A pressed label sinks by a pixel, as if pushed in.
    int sink = slot == skin::kSlotPressed ? 1 : 0;
    if (art.label) c.TextCentred(0, sink, item.width, item.height, art.label, kLabelFont, face.text);
  }
  return c;
}

// Check box faces: slot 0 unchecked, 2 checked, 3 disabled; 1 (never shown
// for a check box) looks unchecked.
Canvas DrawCheckBox(const Canvas& form, const LayoutItem& item, const ItemArt& art, int slot) {
  Canvas c = form.Crop(item.x, item.y, item.width, item.height);
  const int s = theme::kCheckBoxSize;
  const double x = 1, y = (item.height - s) / 2;
  bool checked = slot == skin::kSlotChecked;
  bool disabled = slot == skin::kSlotDisabled;
  Colour border = disabled ? theme::kWellFrame : (checked ? theme::kAccent : Hex(0x5A6470));
  Colour fill = checked ? theme::kAccent : theme::kWell;
  c.Fill(RoundRect(x, y, x + s, y + s, 3.5), border);
  c.Fill(RoundRect(x + 1, y + 1, x + s - 1, y + s - 1, 2.5), fill);
  if (checked) {
    Shape tick = Union(Stroke(x + 4, y + 8.5, x + 7, y + 11.5, 1.9), Stroke(x + 7, y + 11.5, x + 12.5, y + 5, 1.9));
    c.Fill(tick, Hex(0xFFFFFF));
  }
  if (art.label)
    c.TextCentred(s + 8, 0, Canvas::TextWidth(art.label, kLabelFont), item.height, art.label, kLabelFont,
                  disabled ? theme::kTextOff : Hex(0xD5DAE0));
  return c;
}

// The channel: the background under the slider with a groove along it.
Canvas DrawChannel(const Canvas& form, const LayoutItem& item) {
  Canvas c = form.Crop(item.x, item.y, item.width, item.height);
  double cy = item.height / 2.0;
  c.Fill(RoundRect(4, cy - 3, item.width - 4, cy + 3, 3), Hex(0x15181C));
  c.Fill(Ring(RoundRect(4, cy - 3, item.width - 4, cy + 3, 3), RoundRect(4, cy - 3, item.width - 4, cy + 2, 3)),
         Hex(0x3A414B));
  return c;
}

// Thumb faces by slot: normal, with focus, dragged. Outside the thumb's
// shape lies the transparent colour, so the channel shows around it.
Canvas DrawThumb(int slot) {
  const int w = 12, h = 20;
  Canvas c(w, h, theme::kBody);
  Shape outer = RoundRect(0, 0, w, h, 4);
  Shape inner = RoundRect(1, 1, w - 1, h - 1, 3);
  Shape core = RoundRect(2, 2, w - 2, h - 2, 2);
  if (slot == skin::kSlotThumbDrag) {
    c.Fill(outer, Hex(0x7CC0EC));
    c.Fill(inner, theme::kAccent);
  } else if (slot == skin::kSlotThumbFocus) {
    c.Fill(outer, theme::kAccent);
    c.Fill(inner, theme::kAccent);
    c.Fill(core, Hex(0xE6E9ED));
  } else {
    c.Fill(outer, Hex(0x9AA3AE));
    c.Fill(inner, Hex(0xD5DAE0));
  }
  c.CutOutside(outer, theme::kTransparent);
  return c;
}

// The region mask of a round button: its disc.
Canvas DrawRoundMask(const LayoutItem& item) {
  Canvas c(item.width, item.height, Hex(0x000000));
  c.CutOutside(Circle(item.width / 2.0, item.height / 2.0, item.width / 2.0), theme::kTransparent);
  return c;
}

}  // namespace

bool DrawSkinArt(const Layout& layout, Bitmaps* out, std::string* error) {
  const WindowArt* art = FindWindowArt(layout.window);
  if (!art || layout.items.empty() || layout.items[0].kind != ItemKind::kForm) {
    *error = "no artwork for " + layout.window;
    return false;
  }
  Canvas form = DrawForm(layout, *art);
  for (const LayoutItem& item : layout.items) {
    ItemArt item_art = FindItemArt(layout.window, item.name);
    for (int slot = 0; slot < skin::kBitmapSlots; ++slot) {
      const std::string& file = item.files[slot];
      if (file.empty()) continue;
      switch (item.kind) {
        case ItemKind::kForm:
          (*out)[file] = form.ToBmp();
          break;
        case ItemKind::kButton:
          (*out)[file] = slot == skin::kSlotMask ? DrawRoundMask(item).ToBmp()
                                                 : DrawButton(form, item, item_art, slot).ToBmp();
          break;
        case ItemKind::kCheckBox:
          if (slot == skin::kSlotMask) {
            *error = item.name + ": a check box mask is not drawn";
            return false;
          }
          (*out)[file] = DrawCheckBox(form, item, item_art, slot).ToBmp();
          break;
        case ItemKind::kSlider:
          (*out)[file] = slot == skin::kSlotChannel ? DrawChannel(form, item).ToBmp() : DrawThumb(slot).ToBmp();
          break;
        case ItemKind::kPlain:
          break;
      }
    }
  }
  return true;
}

}  // namespace skinart
