#include "skin/tests/win32_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "os/win32/handles.h"
#include "os/win32/text.h"
#include "settings/message_format.h"

namespace skin::testing {

void RecordingMessages::ShowMessage(const std::string&, const std::string&, const std::string& default_text,
                                    const std::vector<os::MessageArg>& args) {
  shown.push_back(settings::FormatUserMessage(default_text, args));
}

SkinnedDialog::SkinnedDialog(int template_id, std::span<const WindowItem> items, std::string skin_path,
                             os::UserMessages& messages, Setup setup)
    : CDialogBase(GetModuleHandleW(nullptr), template_id),
      items_(items),
      skin_path_(std::move(skin_path)),
      skin_(messages),
      setup_(std::move(setup)) {}

BOOL SkinnedDialog::OnInitDialog() {
  if (setup_)
    setup_(*this);
  else
    ApplySkin();
  // No focus for a control: that would activate the window, and Wine hands
  // active windows to the window manager, whose absence then costs two
  // seconds whenever the window is hidden.
  return FALSE;
}

void SkinnedDialog::ApplySkin() {
  skin_.Register(items_);
  skin_.LoadSkinFile(skin_path_);
  skin_.DoSkins(hwnd());
}

INT_PTR SkinnedDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      if (!skin_.applied()) break;
      return TRUE;
    case WM_PAINT: {
      if (!skin_.applied()) break;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      skin_.PaintBackground(dc);
      EndPaint(hwnd(), &ps);
      return TRUE;
    }
    case WM_HSCROLL:
      notices.push_back({message, LOWORD(wparam), static_cast<short>(HIWORD(wparam))});
      return TRUE;
    case WM_COMMAND:
      notices.push_back({message, HIWORD(wparam), LOWORD(wparam)});
      return TRUE;  // no OK/Cancel ending in the tests
    default:
      break;
  }
  return CDialogBase::HandleMessage(message, wparam, lparam);
}

TempFile::TempFile(const std::vector<uint8_t>& bytes) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  wchar_t name[MAX_PATH];
  GetTempFileNameW(dir, L"skn", 0, name);
  path_ = win32::Narrow(name);
  win32::UniqueHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

TempFile::~TempFile() { DeleteFileW(win32::Widen(path_).c_str()); }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

COLORREF ScreenPixel(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  win32::WindowDc dc(window);
  return GetPixel(dc.get(), x, y);
}

RECT PlaceInParent(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool InWindowRegion(HWND window, int x, int y) {
  win32::GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(window, region.get()) == ERROR) return true;
  return PtInRegion(region.get(), x, y) != 0;
}

bool HasWindowRegion(HWND window) {
  win32::GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
  return GetWindowRgn(window, region.get()) != ERROR;
}

bool OwnerDrawn(HWND button) { return (GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW; }

std::string DistFolder() {
  const char* dir = std::getenv("HALYARD_BINARY_DIR");
  return std::string(dir ? dir : HALYARD_BINARY_DIR_FALLBACK) + "/dist/Halyard";
}

BuiltSkin ReadBuiltSkin(const SkinnedWindow& window) {
  BuiltSkin skin;
  std::string path = DistFolder() + "/" + (window.skin_file + 1);
  std::ifstream in(path, std::ios::binary);
  skin.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  MemorySource source(skin.bytes);
  EXPECT_EQ(ReadSkinFile(source, static_cast<uint32_t>(window.items.size()), &skin.contents), SkinReadStatus::kOk)
      << path;
  return skin;
}

DibImage BuiltSkin::Bitmap(int index) const {
  DibImage image;
  const BitmapExtent& extent = contents.bitmaps.at(static_cast<size_t>(index));
  MemorySource whole(bytes);
  SubSource source(whole, extent.offset, extent.size);
  EXPECT_EQ(ReadBmp(source, &image), BmpStatus::kOk);
  EXPECT_EQ(image.info.bit_count, 24);
  return image;
}

COLORREF PixelOf(const DibImage& image, int x, int y) {
  const size_t stride = static_cast<size_t>(RowStride(image.info));
  const int row = image.info.height > 0 ? image.info.height - 1 - y : y;
  const uint8_t* p = image.bits.data() + stride * static_cast<size_t>(row) + 3 * static_cast<size_t>(x);
  return RGB(p[2], p[1], p[0]);
}

}  // namespace skin::testing
