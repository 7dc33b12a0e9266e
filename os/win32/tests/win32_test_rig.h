#pragma once
// What every in-process window test under Wine needs: delivering the
// thread's messages, reading and driving controls as a user does, acting on
// modal windows from inside their own loops, and reading back what the
// screen shows (for checks, and as BMP files for a look by eye).
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace win32::testing {

// Delivers the thread's messages for `ms` milliseconds.
void PumpFor(int ms);
// Delivers messages until `done` holds (asked after each batch) or `ms`
// milliseconds have passed; true when it held.
bool PumpUntil(const std::function<bool()>& done, int ms = 5000);

std::string WindowText(HWND hwnd);
void SetText(HWND hwnd, const std::string& text);
// A button press as the dialog hears it.
void Click(HWND dialog, int id);
// A check box clicked by the user: its state flips, then the dialog hears of it.
void Toggle(HWND dialog, int id);
// A combo box entry chosen by the user.
void Choose(HWND dialog, int id, int index);
RECT WindowRect(HWND hwnd);

// Acts on the modal windows this thread opens, from a thread timer, so
// that each action runs inside the modal loop on the window's own thread.
// Two ways:
// - Then(action): each action gets the next dialog-class window (dialog,
//   property sheet, message box) that appears after the previous one was
//   handled;
// - a step: runs every tick until it returns true (it finds its window
//   itself, and may handle several in turn).
class ModalDriver {
 public:
  using Action = std::function<void(HWND)>;

  // `owned_only`: only windows that disable their owner (modal ones); a
  // main window opening under the driver, or a modeless window, is not
  // what it waits for.
  explicit ModalDriver(bool owned_only = false);
  explicit ModalDriver(std::function<bool()> step);
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  void Then(Action action) { actions_.push_back(std::move(action)); }
  int handled() const { return handled_; }
  bool done() const { return actions_.empty() && !step_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void NextDialog();
  static std::vector<HWND> Dialogs();

  static ModalDriver* instance_;
  UINT_PTR timer_ = 0;
  std::function<bool()> step_;
  std::deque<Action> actions_;
  std::set<HWND> known_;
  int handled_ = 0;
  bool busy_ = false;  // an action or step may pump messages itself
  bool owned_only_ = false;
};

// The screen's pixels inside `r` (screen coordinates), top-down, 0x00RRGGBB.
struct ScreenPicture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
ScreenPicture CaptureScreen(const RECT& r);
// A 24-bit BMP of the picture; false when the file cannot be written.
bool SaveBmp(const ScreenPicture& picture, const std::string& path);
// Shows and redraws `hwnd`, lets it paint, and saves what the screen shows
// of its window rectangle (grown by `margin`, within the screen) as
// DIR/NAME.bmp.
bool SaveWindowShot(HWND hwnd, const std::string& dir, const std::string& name, int margin = 0);

}  // namespace win32::testing
