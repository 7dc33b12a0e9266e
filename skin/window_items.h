#pragma once
// The skinned windows of the viewer: each window's skin file and the items it
// registers, in order. A skin file for a window holds exactly these items at
// these positions; the skin packer checks layouts against the same tables.
#include <span>

#include "skin/skin_format.h"

namespace skin {

struct WindowItem {
  const char* name;
  int control_id;
  ItemKind kind;
};

struct SkinnedWindow {
  const char* skin_file;  // appended to the program directory
  std::span<const WindowItem> items;
};

inline constexpr WindowItem kMainWindowItems[] = {
    {"[Form]", 0, ItemKind::kForm},
    {"BUTTON_CONNECT", 1002, ItemKind::kButton},
    {"BUTTON_CLOSE", 1003, ItemKind::kButton},
    {"BUTTON_SORT", 1024, ItemKind::kButton},
    {"BUTTON_MINIMIZE", 1022, ItemKind::kButton},
    {"BUTTON_EXIT", 1004, ItemKind::kButton},
    {"CHECK_SHOW_LIST", 1009, ItemKind::kCheckBox},
    {"TREE_SERVER", 1031, ItemKind::kPlain},
    {"BUTTON_HELP", 1038, ItemKind::kButton},
    {"BUTTON_OPTION", 1084, ItemKind::kButton},
};

inline constexpr WindowItem kLoginItems[] = {
    {"[Form]", 0, ItemKind::kForm},
    {"IDOK", 1, ItemKind::kButton},
    {"IDCANCEL", 2, ItemKind::kButton},
    {"CHECK_SAVEIDPW", 1095, ItemKind::kCheckBox},
    {"EDIT_ID", 1027, ItemKind::kPlain},
    {"EDIT_PASSWD", 1028, ItemKind::kPlain},
    {"BUTTON_X", 1039, ItemKind::kButton},
};

inline constexpr WindowItem kFileWindowItems[] = {
    {"[Form]", 0, ItemKind::kForm},
    {"BUTTON_VIEW", 1019, ItemKind::kButton},
    {"BUTTON_REFRESH", 1018, ItemKind::kButton},
    {"TREE_FILE", 1031, ItemKind::kPlain},
    {"LIST_FILELIST", 1017, ItemKind::kPlain},
};

inline constexpr WindowItem kSeekSliderItems[] = {
    {"[Form]", 0, ItemKind::kForm},
    {"BUTTON_CLOSE", 32778, ItemKind::kButton},
    {"SLIDER_SEEK", 1041, ItemKind::kSlider},
};

inline constexpr SkinnedWindow kMainWindowSkin{"\\voRizivoMain.skn", kMainWindowItems};
inline constexpr SkinnedWindow kLoginSkin{"\\Login.skn", kLoginItems};
inline constexpr SkinnedWindow kFileWindowSkin{"\\FileWindow.skn", kFileWindowItems};
inline constexpr SkinnedWindow kSeekSliderSkin{"\\SeekSlider.skn", kSeekSliderItems};

inline constexpr SkinnedWindow kSkinnedWindows[] = {kMainWindowSkin, kLoginSkin, kFileWindowSkin, kSeekSliderSkin};

}  // namespace skin
