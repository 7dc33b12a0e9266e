#pragma once
// The program-wide reader of the settings file "Halyard.ini": every
// user-visible text is looked up by section and key with a built-in default,
// and the file's [FONT] section gives the one font of all skinned windows.
// The program reads the file only; it never creates or changes it. It reads
// it as its editor saved it: UTF-16 with a byte-order mark, UTF-8 with or
// without one, else the ANSI code page, with the private-profile functions'
// rules for sections, names and values.
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "os/win32/handles.h"
#include "os/window_seam.h"
#include "settings/text_table.h"

namespace settings {

// Where ShowMessage's boxes go. The default shows a Win32 message box with
// an OK button; tests install one that records the text instead.
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual void Present(const std::string& text) = 0;
};

class IniHandler : public os::UserMessages {
 public:
  // The one instance; every window reaches the settings through it.
  static IniHandler& Instance();

  IniHandler(const IniHandler&) = delete;
  IniHandler& operator=(const IniHandler&) = delete;

  // Takes the settings file's path (or, with in_windows_dir, the name of a
  // file in the directory of the "windir" environment variable) and builds
  // the font from [FONT]. Called once at start-up, before any window.
  void Initialise(const std::string& path, bool in_windows_dir = false);
  // Releases the font and forgets the path (program exit); later calls are
  // refused as before Initialise.
  void Shutdown();
  bool IsInitialised() const;
  std::string Path() const;

  // Every lookup below first checks that Initialise ran; if not it shows
  // "Please Initialize INI Handler" and does nothing else: a text result is
  // then empty, an integer or boolean result is its default.

  // At most 511 characters; the default when the key is absent.
  std::string GetString(const std::string& section, const std::string& key, const std::string& default_text);
  // GetString with each backslash-r-backslash-n made a real line break.
  std::string GetText(const std::string& section, const std::string& key, const std::string& default_text);
  // Leading decimal digits of the value; the default when absent.
  int GetInt(const std::string& section, const std::string& key, int default_value);
  // True exactly when the value is "TRUE" in any mixture of case.
  bool GetBool(const std::string& section, const std::string& key, bool default_value);
  // Names of the section's entries in file order (the part before the first
  // '='), read whole however long the section is.
  std::vector<std::string> GetSectionKeys(const std::string& section);

  std::string GetString(const TextId& id) { return GetString(id.section, id.key, id.default_text); }
  std::string GetText(const TextId& id) { return GetText(id.section, id.key, id.default_text); }

  // Reads the text as GetText does, formats it safely with args (the text is
  // the format; see FormatUserMessage) and shows it with an OK button.
  void ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                   const std::vector<os::MessageArg>& args = {}) override;
  void ShowMessage(const TextId& id, const std::vector<os::MessageArg>& args = {}) {
    ShowMessage(id.section, id.key, id.default_text, args);
  }

  // The viewer never writes its settings file; these serve tools and tests.
  // A file they create is Unicode (UTF-16LE with BOM) so that any text
  // written to it reads back unchanged.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInt(const std::string& section, const std::string& key, int value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);

  // The shared user-interface font, owned here; null before Initialise.
  HFONT Font() const;
  // Gives `window` and every window inside it the shared font (the standard
  // set-font message, with a redraw).
  void ApplyFont(HWND window) const;

  // Installs where message boxes go (nullptr: real message boxes) and
  // returns the previous presenter.
  MessagePresenter* SetPresenter(MessagePresenter* presenter);

 private:
  IniHandler() = default;
  ~IniHandler() override = default;

  // The path when initialised; otherwise shows the refusal and returns false.
  bool CheckInitialised(std::wstring& path);
  void Present(const std::string& text);
  void BuildFont(const std::wstring& path);

  mutable std::mutex mutex_;
  std::wstring path_;
  win32::GdiObject<HFONT> font_;
  MessagePresenter* presenter_ = nullptr;
};

}  // namespace settings
