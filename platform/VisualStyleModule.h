#pragma once
// Internal: the export tables of the windowing modules, added by the
// platform as the application object is made (VisualStyles.cpp).

#include "Modules.h"

namespace platform {

// "uxtheme.dll": its 47 entry points (VisualStyleApi.h).
std::vector<ModuleExport> UxThemeExports();

// "comctl32.dll": DllGetVersion.
std::vector<ModuleExport> CommonControlsExports();

} // namespace platform
