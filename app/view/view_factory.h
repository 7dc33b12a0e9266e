#pragma once
// How the main window opens camera views: CViewWindow behind ViewFactory.
#include <windows.h>

#include <memory>

#include "app/view/file_chooser.h"
#include "app/view_host.h"

namespace app::view {

// `chooser` answers the views' save dialogs (null: the common dialogs); it
// must outlive the factory and every view it opened.
std::unique_ptr<ViewFactory> MakeViewFactory(HINSTANCE instance, FileChooser* chooser = nullptr);

}  // namespace app::view
