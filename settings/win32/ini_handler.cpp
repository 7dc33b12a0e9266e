#include "settings/win32/ini_handler.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "os/file.h"
#include "os/win32/message_box.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/ini_text.h"
#include "settings/message_format.h"
#include "settings/win32/profile_section.h"

namespace settings {
namespace {

using win32::Narrow;
using win32::Widen;

constexpr char kNotInitialised[] = "Please Initialize INI Handler";
constexpr char kMessageCaption[] = "Halyard";
constexpr size_t kStringChars = 511;  // as the private-profile functions return them
constexpr uint64_t kLargestFile = 4u << 20;

// Font parameters in the order of the create-font call, with the defaults
// that apply when [FONT] or one of its keys is absent.
struct FontKey {
  const char* key;
  int default_value;
};
constexpr FontKey kFontKeys[] = {
    {"HEIGHT", 12},      {"WIDTH", 0},         {"ESCAPEMENT", 0},    {"ORIENTATION", 0},
    {"WEIGHT", 400},     {"ITALIC", 0},        {"UNDERLINE", 0},     {"STRIKEOUT", 0},
    {"CHARSET", 1},      {"OUTPRECISION", 0},  {"CLIPPRECISION", 0}, {"QUALITY", 0},
    {"PITCH&FAMILY", 32},
};

// The file as its editor saved it: UTF-16 or UTF-8 (a translation saved
// either way reads right), else the ANSI code page as Windows reads a file
// without a byte-order mark. A missing file is an empty one.
IniDocument ReadDocument(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  if (!os::ReadWholeFile(Narrow(path), &bytes, kLargestFile)) return IniDocument("");
  const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::string text;
  if (!DecodeSettingsText(raw, &text) && !raw.empty()) {
    const int n = MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), wide.data(), n);
    text = Narrow(wide);
  }
  return IniDocument(text);
}
constexpr char kFontSection[] = "FONT";
constexpr char kFaceNameKey[] = "FACENAME";
constexpr char kDefaultFaceName[] = "MS Sans Serif";

class BoxPresenter : public MessagePresenter {
 public:
  void Present(const std::string& text) override {
    win32::ShowMessageBox(GetActiveWindow(), text, kMessageCaption, MB_OK);
  }
};

BOOL CALLBACK SetFontOf(HWND window, LPARAM font) {
  SendMessageW(window, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

IniHandler& IniHandler::Instance() {
  static IniHandler instance;
  return instance;
}

void IniHandler::Initialise(const std::string& path, bool in_windows_dir) {
  std::wstring full = Widen(path);
  if (in_windows_dir) {
    DWORD n = GetEnvironmentVariableW(L"windir", nullptr, 0);
    std::wstring windir(n, L'\0');
    if (n > 0) windir.resize(GetEnvironmentVariableW(L"windir", windir.data(), n));
    full = windir + L"\\" + full;
  }
  {
    std::lock_guard lock(mutex_);
    path_ = full;
  }
  BuildFont(full);
}

void IniHandler::Shutdown() {
  std::lock_guard lock(mutex_);
  path_.clear();
  font_.Reset();
}

bool IniHandler::IsInitialised() const {
  std::lock_guard lock(mutex_);
  return !path_.empty();
}

std::string IniHandler::Path() const {
  std::lock_guard lock(mutex_);
  return Narrow(path_);
}

HFONT IniHandler::Font() const {
  std::lock_guard lock(mutex_);
  return font_.get();
}

void IniHandler::ApplyFont(HWND window) const {
  HFONT font = Font();
  if (!font || !window) return;
  SetFontOf(window, reinterpret_cast<LPARAM>(font));
  EnumChildWindows(window, SetFontOf, reinterpret_cast<LPARAM>(font));
}

MessagePresenter* IniHandler::SetPresenter(MessagePresenter* presenter) {
  std::lock_guard lock(mutex_);
  return std::exchange(presenter_, presenter);
}

bool IniHandler::CheckInitialised(std::wstring& path) {
  {
    std::lock_guard lock(mutex_);
    path = path_;
  }
  if (!path.empty()) return true;
  Present(kNotInitialised);
  return false;
}

void IniHandler::Present(const std::string& text) {
  MessagePresenter* presenter;
  {
    std::lock_guard lock(mutex_);
    presenter = presenter_;
  }
  if (presenter) {
    presenter->Present(text);
  } else {
    BoxPresenter box;
    box.Present(text);
  }
}

std::string IniHandler::GetString(const std::string& section, const std::string& key,
                                  const std::string& default_text) {
  std::wstring path;
  if (!CheckInitialised(path)) return {};
  return CutToUtf16Units(ReadDocument(path).Value(section, key).value_or(default_text), kStringChars);
}

std::string IniHandler::GetText(const std::string& section, const std::string& key,
                                const std::string& default_text) {
  std::wstring path;
  if (!CheckInitialised(path)) return {};
  return ExpandLineBreaks(GetString(section, key, default_text));
}

int IniHandler::GetInt(const std::string& section, const std::string& key, int default_value) {
  std::wstring path;
  if (!CheckInitialised(path)) return default_value;
  const std::optional<std::string> value = ReadDocument(path).Value(section, key);
  return value ? ProfileNumber(*value) : default_value;
}

bool IniHandler::GetBool(const std::string& section, const std::string& key, bool default_value) {
  std::wstring path;
  if (!CheckInitialised(path)) return default_value;
  return IsTrueText(GetString(section, key, default_value ? "TRUE" : "FALSE"));
}

std::vector<std::string> IniHandler::GetSectionKeys(const std::string& section) {
  std::wstring path;
  if (!CheckInitialised(path)) return {};
  std::vector<std::string> names;
  for (SectionEntry& entry : ReadDocument(path).Entries(section)) names.push_back(std::move(entry.name));
  return names;
}

void IniHandler::ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                             const std::vector<os::MessageArg>& args) {
  std::wstring path;
  if (!CheckInitialised(path)) return;
  Present(FormatUserMessage(GetText(section, key, default_text), args));
}

bool IniHandler::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  std::wstring path;
  if (!CheckInitialised(path)) return false;
  CreateUnicodeProfile(path);
  return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                    path.c_str()) != 0;
}

bool IniHandler::WriteInt(const std::string& section, const std::string& key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return WriteString(section, key, text);
}

bool IniHandler::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "TRUE" : "FALSE");
}

void IniHandler::BuildFont(const std::wstring& path) {
  const IniDocument file = ReadDocument(path);
  int v[std::size(kFontKeys)];
  for (size_t i = 0; i < std::size(kFontKeys); ++i) {
    const std::optional<std::string> value = file.Value(kFontSection, kFontKeys[i].key);
    v[i] = value ? ProfileNumber(*value) : kFontKeys[i].default_value;
  }
  // A font's face name holds at most LF_FACESIZE - 1 characters; cut it here
  // rather than trust the create call with a longer one.
  std::wstring face = Widen(file.Value(kFontSection, kFaceNameKey).value_or(kDefaultFaceName));
  if (face.size() > LF_FACESIZE - 1) face.resize(LF_FACESIZE - 1);
  // The file gives the font's size in pixels at 96 DPI; above that it grows
  // with the display, as the skins do.
  v[0] = win32::ScaledPixels(v[0]);
  v[1] = win32::ScaledPixels(v[1]);
  auto byte = [](int x) { return static_cast<DWORD>(x & 0xFF); };
  HFONT font = CreateFontW(v[0], v[1], v[2], v[3], v[4], byte(v[5]), byte(v[6]), byte(v[7]), byte(v[8]),
                           byte(v[9]), byte(v[10]), byte(v[11]), byte(v[12]), face.c_str());
  std::lock_guard lock(mutex_);
  font_.Reset(font);
}

}  // namespace settings
