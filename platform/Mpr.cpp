#include "Mpr.h"

#include "ErrorCodes.h"
#include "Kernel32.h"

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
