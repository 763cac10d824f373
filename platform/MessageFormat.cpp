#include "Kernel32.h"

#include "DataFileModules.h"
#include "MessageExpansion.h"
#include "Modules.h"
#include "SystemMessages.h"
#include "Utf8Text.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kLangEnglish = 0x09;

// The system's texts are English: language 0, the neutral defaults and
// every English language find them.
bool systemHasLanguage(DWORD languageId)
{
    return languageId == 0 || languageId == 0x0400 || languageId == 0x0800 || (languageId & 0x3FF) == kLangEnglish;
}

DWORD systemMessage(DWORD messageId, DWORD languageId, std::string& text)
{
    if (!systemHasLanguage(languageId))
        return ERROR_RESOURCE_LANG_NOT_FOUND;
    const char* t = platform::SystemMessageText(messageId);
    if (!t)
        return ERROR_MR_MID_NOT_FOUND;
    text = t;
    return ERROR_SUCCESS;
}

DWORD moduleMessage(HMODULE module, DWORD messageId, DWORD languageId, std::string& text)
{
    if (!module || !platform::ModuleFileName(module).empty())
        return ERROR_RESOURCE_DATA_NOT_FOUND; // no message table in it
    return platform::FindModuleMessage(module, messageId, languageId, text);
}

// The message definition that the flags name.
DWORD messageText(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, std::string& text)
{
    if (flags & FORMAT_MESSAGE_FROM_STRING) {
        if (!source)
            return ERROR_INVALID_PARAMETER;
        platform::utf8::AppendValid(text, static_cast<const char*>(source));
        return ERROR_SUCCESS;
    }
    const bool fromModule = flags & FORMAT_MESSAGE_FROM_HMODULE;
    const bool fromSystem = flags & FORMAT_MESSAGE_FROM_SYSTEM;
    if (!fromModule && !fromSystem)
        return ERROR_INVALID_PARAMETER;
    if (fromModule) {
        const HMODULE module = static_cast<HMODULE>(const_cast<void*>(source));
        const DWORD e = moduleMessage(module, messageId, languageId, text);
        if (e == ERROR_SUCCESS || !fromSystem)
            return e;
    }
    return systemMessage(messageId, languageId, text);
}

} // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     void* arguments)
{
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        SetLastError(ERROR_NOT_SUPPORTED); // callers hand in their own buffer
        return 0;
    }
    if (!buffer && size != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    if (DWORD e = messageText(flags, source, messageId, languageId, text)) {
        SetLastError(e);
        return 0;
    }

    platform::MessageExpansion how;
    how.ignoreInserts = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
    how.maxWidth = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if (!how.ignoreInserts && arguments) {
        if (!(flags & FORMAT_MESSAGE_ARGUMENT_ARRAY)) {
            SetLastError(ERROR_NOT_SUPPORTED); // only argument arrays, no variable argument lists
            return 0;
        }
        how.arguments = static_cast<const std::uintptr_t*>(arguments);
        how.argumentCount = platform::kMaxInsertNumber;
        how.stringArguments = (flags & FORMAT_MESSAGE_STRING_ARGUMENTS) != 0;
    }
    how.limit = size == 0 ? 0 : size - 1; // room for the NUL
    std::string result;
    if (size == 0 || platform::ExpandMessage(text, how, result) != ERROR_SUCCESS) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, result.data(), result.size());
    buffer[result.size()] = '\0';
    return static_cast<DWORD>(result.size());
}
