#pragma once
// The open camera views of the program, on the window's thread only: for
// docking (which view follows which), full screen (one view at a time),
// "Sort Window" and the keyboard. While a view is open a message hook on
// the window's thread sees every key press first, whichever window of a
// view has the focus and whichever message loop runs (the main window's
// modal loop, a menu), and hands it to the view it belongs to.
#include <windows.h>

#include <vector>

namespace app::view {

class CViewWindow;

namespace registry {

void Add(CViewWindow* view);
void Remove(CViewWindow* view);
// Open views, oldest first.
const std::vector<CViewWindow*>& Views();
// The view whose window is `hwnd` or holds it (its full-screen window too).
CViewWindow* ViewOf(HWND hwnd);

}  // namespace registry
}  // namespace app::view
