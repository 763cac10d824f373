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

// Network-management functions (netapi32).
std::vector<ModuleExport> NetApiExports();

// The same under the names of the remote-administration library
// (varovu32): "NetServerEnumA"; "NetApiBufferFree" keeps its name.
std::vector<ModuleExport> RemoteAdminNetApiExports();

} // namespace platform
