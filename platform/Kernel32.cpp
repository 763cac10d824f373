#include "Kernel32.h"

#include "HandleTable.h"
#include "PlatformProfile.h"
#include "SystemMessages.h"
#include "SyncObjects.h"

#include <cstring>
#include <string>

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD code)
{
    t_lastError = code;
}

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const platform::PlatformProfile& p = platform::CurrentProfile();
    info->dwMajorVersion = p.majorVersion;
    info->dwMinorVersion = p.minorVersion;
    info->dwBuildNumber = p.platformId == VER_PLATFORM_WIN32_NT ? p.buildNumber : (p.buildNumber & 0xFFFF);
    info->dwPlatformId = p.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, p.csdVersion.c_str(), sizeof info->szCSDVersion - 1);
    return TRUE;
}

HANDLE CreateEventA(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name && *name) {
        // Named events are not part of this platform.
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return platform::InsertHandle(std::make_shared<platform::SyncEvent>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event)
{
    auto e = platform::LookupHandleAs<platform::SyncEvent>(event);
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    e->set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    auto e = platform::LookupHandleAs<platform::SyncEvent>(event);
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    e->reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<platform::Waitable>> objects;
    objects.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        auto w = platform::LookupHandleAs<platform::Waitable>(handles[i]);
        if (!w) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(w));
    }
    return platform::WaitForObjects(objects, waitAll != FALSE, milliseconds);
}

BOOL CloseHandle(HANDLE handle)
{
    if (!platform::RemoveHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
