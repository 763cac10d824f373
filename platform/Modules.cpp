#include "Modules.h"

#include "AsciiText.h"
#include "DataFileModules.h"
#include "HandleTable.h"
#include "Kernel32.h"
#include "ModuleTables.h"
#include "PlatformProfile.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace platform {
namespace {

struct Module {
    std::string name;
    std::map<std::string, FARPROC> exports;
    int loadCount = 0;
};

struct ModuleRegistry {
    std::mutex mutex;
    std::map<std::string, Module> modules; // by lower-case file name
    bool builtInsAdded = false;
};

ModuleRegistry& registry()
{
    static ModuleRegistry r;
    return r;
}

// "C:\\WINDOWS\\system32\\ADVAPI32" -> "advapi32.dll"
std::string normalisedModuleName(const std::string& fileName)
{
    std::string name = fileName;
    const auto slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    name = AsciiLower(name);
    if (name.find('.') == std::string::npos)
        name += ".dll";
    return name;
}

void addExports(ModuleRegistry& r, const std::string& moduleName, const std::vector<ModuleExport>& exports)
{
    Module& m = r.modules[moduleName];
    m.name = moduleName;
    for (const ModuleExport& e : exports)
        m.exports[e.name] = e.proc;
}

void addBuiltIns(ModuleRegistry& r)
{
    if (r.builtInsAdded)
        return;
    r.builtInsAdded = true;
    // The remote-administration library of Windows 9x offers the same
    // event-log, account and registry functions under the same names.
    for (const char* module : {"advapi32.dll", "varovu32.dll"}) {
        addExports(r, module, EventLogExports());
        addExports(r, module, SecurityExports());
        addExports(r, module, RegistryExports());
    }
    addExports(r, "advapi32.dll", SidStringExports());
    addExports(r, "netapi32.dll", NetApiExports());
    addExports(r, "varovu32.dll", RemoteAdminNetApiExports());
}

// Module handles are the address of the registry entry's slot number,
// far above 32 so that callers' "handle <= 32 means failure" test holds.
constexpr std::uintptr_t kModuleHandleBase = 0x10000000;

std::map<std::uintptr_t, std::string>& handleNames()
{
    static std::map<std::uintptr_t, std::string> names;
    return names;
}

} // namespace

void RegisterModuleExports(const std::string& moduleName, std::vector<ModuleExport> exports)
{
    ModuleRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    addBuiltIns(r);
    addExports(r, AsciiLower(moduleName), exports);
}

std::string ModuleFileName(HMODULE module)
{
    ModuleRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = handleNames().find(reinterpret_cast<std::uintptr_t>(module));
    return it == handleNames().end() ? std::string() : it->second;
}

} // namespace platform

using namespace platform;

HMODULE LoadLibraryA(LPCSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string name = normalisedModuleName(fileName);
    const PlatformProfile profile = CurrentProfile();
    ModuleRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    addBuiltIns(r);
    auto it = r.modules.find(name);
    if (it == r.modules.end() || profile.missingModules.count(name)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++it->second.loadCount;
    const auto index = static_cast<std::uintptr_t>(std::distance(r.modules.begin(), it));
    const std::uintptr_t value = kModuleHandleBase + index * 0x10000;
    handleNames()[value] = name;
    return reinterpret_cast<HMODULE>(value);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    const PlatformProfile profile = CurrentProfile();
    ModuleRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    auto h = handleNames().find(reinterpret_cast<std::uintptr_t>(module));
    if (h == handleNames().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!procName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const Module& m = r.modules[h->second];
    auto e = m.exports.find(procName);
    if (e == m.exports.end() || profile.missingProcs.count(m.name + "!" + procName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return e->second;
}

BOOL FreeLibrary(HMODULE module)
{
    if (platform::IsDataFileModule(module))
        return platform::FreeDataFileModule(module) ? TRUE : FALSE;
    ModuleRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    auto h = handleNames().find(reinterpret_cast<std::uintptr_t>(module));
    if (h == handleNames().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Module& m = r.modules[h->second];
    if (m.loadCount > 0)
        --m.loadCount;
    return TRUE;
}
