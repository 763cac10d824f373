#include "Kernel32.h"

#include <cstring>
#include <string>

// Until computers come with a site of their own, the local computer has a
// fixed name.
static std::string localComputerName()
{
    return "QUELLVANE";
}

BOOL GetComputerNameA(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string name = localComputerName();
    if (!buffer || *size < name.size() + 1) {
        *size = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return TRUE;
}
