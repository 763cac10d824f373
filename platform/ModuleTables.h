#pragma once
// Internal: the export tables of the built-in modules, one function per
// group of platform functions.  Modules.cpp calls them once, on the first
// LoadLibraryA.

#include "Modules.h"

namespace platform {

// Event-log service functions (advapi32 and, under the same names, varovu32).
std::vector<ModuleExport> EventLogExports();

// Registry functions (advapi32 and, under the same names, varovu32).
std::vector<ModuleExport> RegistryExports();

} // namespace platform
