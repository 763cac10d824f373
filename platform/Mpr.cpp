#include "Mpr.h"

#include "ErrorCodes.h"
#include "Kernel32.h"
#include "NetConnections.h"
#include "RegistryKey.h"
#include "Site.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct ExtendedError {
    DWORD code = 0;
    std::string description;
    std::string provider;
};

thread_local ExtendedError t_extended;

void copyTruncated(const std::string& text, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return;
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace

namespace platform {
void SetWNetExtendedError(DWORD error, const char* description, const char* provider)
{
    t_extended = {error, description ? description : "", provider ? provider : ""};
}
} // namespace platform

DWORD WNetGetLastErrorA(LPDWORD error, LPSTR errorBuf, DWORD errorBufSize, LPSTR nameBuf, DWORD nameBufSize)
{
    if (!error)
        return ERROR_INVALID_PARAMETER;
    *error = t_extended.code;
    copyTruncated(t_extended.description, errorBuf, errorBufSize);
    copyTruncated(t_extended.provider, nameBuf, nameBufSize);
    return ERROR_SUCCESS;
}

namespace {

DWORD finish(DWORD result, const std::string& call, LPCSTR name)
{
    platform::TraceWNetCall(call + " " + (name ? name : "(null)") + " = " + std::to_string(result));
    if (result != ERROR_SUCCESS)
        SetLastError(result);
    return result;
}

} // namespace

DWORD WNetAddConnection2A(const NETRESOURCEA* netResource, LPCSTR password, LPCSTR userName, DWORD /*flags*/)
{
    if (!netResource || !netResource->lpRemoteName || !*netResource->lpRemoteName)
        return finish(ERROR_INVALID_PARAMETER, "add", nullptr);
    const LPCSTR remoteName = netResource->lpRemoteName;
    if (netResource->dwType != RESOURCETYPE_ANY && netResource->dwType != RESOURCETYPE_DISK)
        return finish(ERROR_INVALID_PARAMETER, "add", remoteName);
    if (netResource->lpLocalName && *netResource->lpLocalName)
        return finish(ERROR_BAD_DEVICE, "add", remoteName);
    const auto site = platform::CurrentSite();
    if (netResource->lpProvider && *netResource->lpProvider) {
        bool known = false;
        for (const platform::SiteProvider& p : site->Providers())
            known = known || platform::RegistryNameKey(p.name) == platform::RegistryNameKey(netResource->lpProvider);
        if (!known)
            return finish(ERROR_BAD_PROVIDER, "add", remoteName);
    }
    return finish(platform::NetConnections::Instance().Add(*site, remoteName, password, userName), "add", remoteName);
}

DWORD WNetCancelConnection2A(LPCSTR name, DWORD /*flags*/, BOOL /*force*/)
{
    if (!name || !*name)
        return finish(ERROR_INVALID_PARAMETER, "cancel", name);
    return finish(platform::NetConnections::Instance().Cancel(name), "cancel", name);
}
