#pragma once
// The platform's own dynamic modules ("advapi32.dll", "netapi32.dll",
// "varovu32.dll"): each is a table of exported entry points that
// LoadLibraryA finds by file name and GetProcAddress by function name.
// A module's source file registers its table with PLATFORM_MODULE_EXPORTS.

#include "Win32Types.h"

#include <string>
#include <vector>

namespace platform {

struct ModuleExport {
    const char* name;
    FARPROC proc;
};

template <class F>
FARPROC ExportOf(F* function)
{
    return reinterpret_cast<FARPROC>(function);
}

// Adds exports to the module with the given lower-case file name.  Several
// sources may add to one module.
void RegisterModuleExports(const std::string& moduleName, std::vector<ModuleExport> exports);

// The lower-case file name of a loaded module, or empty.
std::string ModuleFileName(HMODULE module);

} // namespace platform
