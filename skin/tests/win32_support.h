#pragma once
// Support of the Win32 skin tests: a recorder of messages, a skinned dialog
// that records what its controls tell it, temporary files, the message
// pump, and pixels read back from the screen and from skin bitmaps.
#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "os/win32/dialog.h"
#include "os/window_seam.h"
#include "skin/bmp_reader.h"
#include "skin/skin_file_reader.h"
#include "skin/win32/skin_set.h"

namespace skin::testing {

// Keeps each message as the user would read it.
class RecordingMessages : public os::UserMessages {
 public:
  void ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                   const std::vector<os::MessageArg>& args) override;
  std::vector<std::string> shown;
};

// What a skinned dialog's controls reported: WM_HSCROLL (code, position) and
// WM_COMMAND (notification code, control ID).
struct Notice {
  UINT message;
  int code;
  int value;
  bool operator==(const Notice&) const = default;
};

class SkinnedDialog : public win32::CDialogBase {
 public:
  using Setup = std::function<void(SkinnedDialog&)>;
  // The default setup registers `items`, loads `skin_path` and applies it.
  SkinnedDialog(int template_id, std::span<const WindowItem> items, std::string skin_path, os::UserMessages& messages,
                Setup setup = {});
  SkinSet& skin() { return skin_; }
  const std::string& skin_path() const { return skin_path_; }
  // The default setup: register, load, apply.
  void ApplySkin();
  std::vector<Notice> notices;

 protected:
  BOOL OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  std::span<const WindowItem> items_;
  std::string skin_path_;
  SkinSet skin_;
  Setup setup_;
};

// A file in a fresh temporary folder, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::vector<uint8_t>& bytes);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Handles every queued message of this thread.
void Pump();
// Repaints the window and its children now and reads pixel (x, y) of its
// client area from the screen, as 0x00BBGGRR.
COLORREF ScreenPixel(HWND window, int x, int y);
// The window's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND window);
// Whether (x, y) lies in the window's region; a window without one is whole.
bool InWindowRegion(HWND window, int x, int y);
bool HasWindowRegion(HWND window);
bool OwnerDrawn(HWND button);

// A skin file the build made, read with the viewer's reader.
struct BuiltSkin {
  std::vector<uint8_t> bytes;
  SkinFileContents contents;
  // Bitmap `index` (24 bits per pixel, as the artwork is drawn).
  DibImage Bitmap(int index) const;
};
// The folder the build puts the skin files in (beside Halyard.exe).
std::string DistFolder();
BuiltSkin ReadBuiltSkin(const SkinnedWindow& window);
// Pixel (x, y), counted from the top, of a 24-bit bitmap, as 0x00BBGGRR.
COLORREF PixelOf(const DibImage& image, int x, int y);

}  // namespace skin::testing
