#pragma once
// Internal: the export tables of the built-in modules, one function per
// group of platform functions.  Modules.cpp calls them once, on the first
// LoadLibraryA.

#include "Modules.h"

namespace platform {

// Event-log service functions (advapi32 and, under the same names, varovu32).
std::vector<ModuleExport> EventLogExports();

// SID functions and the account lookup (advapi32 and varovu32).
std::vector<ModuleExport> SecurityExports();

// The text form of SIDs (advapi32 only: the remote-administration library
// has no such function).
std::vector<ModuleExport> SidStringExports();

// Registry functions (advapi32 and, under the same names, varovu32).
std::vector<ModuleExport> RegistryExports();

} // namespace platform
