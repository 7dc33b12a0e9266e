#pragma once
// Where layouts live between runs: one value per layout under the viewer's
// "Layouts" key, named by the layout and holding its text, and the layout
// in use ("Last"), which comes back at the next start.
#include <string>
#include <vector>

#include "app/layouts/layout.h"

namespace app::layouts {

// The stored layouts' names in the order Ctrl+1 to Ctrl+9 take them (by
// name, case aside); values that are no layout are left out.
std::vector<std::string> LayoutNames();
bool LoadLayout(const std::string& name, Layout* layout);
bool SaveLayout(const std::string& name, const Layout& layout);
void DeleteLayout(const std::string& name);
std::string LastLayout();
void SaveLastLayout(const std::string& name);

}  // namespace app::layouts
