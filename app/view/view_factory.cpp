#include "app/view/view_factory.h"

#include "app/view/camera_view_window.h"
#include "app/view_list.h"

namespace app::view {
namespace {

class CViewFactory : public ViewFactory {
 public:
  CViewFactory(HINSTANCE instance, FileChooser* chooser)
      : instance_(instance), chooser_(chooser ? chooser : &dialogs_) {}

  CameraView* Open(ViewHost& host, const ViewRequest& request) override {
    auto owned = std::make_unique<CViewWindow>(instance_, host, request, *chooser_);
    CViewWindow* view = owned.get();
    host.OpenViews().Add(std::move(owned), request);
    if (view->Open()) return view;
    host.OpenViews().Remove(view);
    return nullptr;
  }

 private:
  HINSTANCE instance_;
  SaveDialogs dialogs_;
  FileChooser* chooser_;
};

}  // namespace

std::unique_ptr<ViewFactory> MakeViewFactory(HINSTANCE instance, FileChooser* chooser) {
  return std::make_unique<CViewFactory>(instance, chooser);
}

}  // namespace app::view
