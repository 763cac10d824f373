#include "NTException.h"

#include "platform/Kernel32.h"
#include "platform/Mpr.h"

#include <array>
#include <cstdio>

ENTException::ENTException(const std::string& message, std::int32_t errorCode)
    : std::runtime_error(message)
    , errorCode_(errorCode)
{
}

void RaiseNTError(const std::string& message, std::int32_t code)
{
    throw ENTException(message, code);
}

std::string FormatSystemError(DWORD code)
{
    std::array<char, 1024> buffer{};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer.data(),
                   static_cast<DWORD>(buffer.size()), nullptr);
    buffer.back() = '\0';
    // The code is shown as the signed number the exception carries.
    return std::to_string(static_cast<std::int32_t>(code)) + ": " + buffer.data();
}

void RaiseLastNTError()
{
    const DWORD code = GetLastError();
    if (code == 0)
        return;
    throw ENTException(FormatSystemError(code), static_cast<std::int32_t>(code));
}

void CheckWNetError(DWORD code)
{
    if (code == ERROR_SUCCESS)
        return;
    if (code == ERROR_EXTENDED_ERROR) {
        DWORD providerCode = 0;
        std::array<char, 1024> description{};
        std::array<char, 1024> provider{};
        WNetGetLastErrorA(&providerCode, description.data(), static_cast<DWORD>(description.size()),
                          provider.data(), static_cast<DWORD>(provider.size()));
        description.back() = '\0';
        throw ENTException(std::to_string(providerCode) + ": " + description.data(),
                           static_cast<std::int32_t>(providerCode));
    }
    throw ENTException(FormatSystemError(code), static_cast<std::int32_t>(code));
}

namespace {
TErrorReporter& errorReporter()
{
    static TErrorReporter reporter;
    return reporter;
}
} // namespace

void SetErrorReporter(TErrorReporter reporter)
{
    errorReporter() = std::move(reporter);
}

void ReportError(const std::string& text, const std::string& caption)
{
    if (errorReporter())
        errorReporter()(text, caption);
    else
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
