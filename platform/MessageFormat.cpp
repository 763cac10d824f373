#include "Kernel32.h"

#include "SystemMessages.h"

#include <cstring>
#include <string>

namespace {

DWORD storeResult(const std::string& text, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0 || text.size() + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

} // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD /*languageId*/,
                     LPSTR buffer, DWORD size, void* /*arguments*/)
{
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    std::string text;
    if (flags & FORMAT_MESSAGE_FROM_STRING) {
        if (!source) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        text = static_cast<const char*>(source);
    } else if (flags & FORMAT_MESSAGE_FROM_SYSTEM) {
        const char* t = platform::SystemMessageText(messageId);
        if (!t) {
            SetLastError(ERROR_MR_MID_NOT_FOUND);
            return 0;
        }
        text = t;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!(flags & FORMAT_MESSAGE_IGNORE_INSERTS)) {
        // Insert processing belongs to the message-file support; until it is
        // there, only texts without inserts can be formatted.
        if (text.find('%') != std::string::npos) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return 0;
        }
    }
    return storeResult(text, buffer, size);
}
