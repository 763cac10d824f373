#pragma once
// The one exception type of the library, and the routines that turn the
// platform's error codes into its messages.

#include "platform/Win32Types.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class ENTException : public std::runtime_error {
public:
    ENTException(const std::string& message, std::int32_t errorCode);

    // The platform's error code; 0 or -1 for the library's own refusals.
    std::int32_t ErrorCode() const { return errorCode_; }

private:
    std::int32_t errorCode_;
};

[[noreturn]] void RaiseNTError(const std::string& message, std::int32_t code);

// "<code>: <system text>", the system text keeping its line break; a code
// without a system text gives "<code>: ".
std::string FormatSystemError(DWORD code);

// Raises ENTException for the last platform error; returns normally when
// the last error is 0.
void RaiseLastNTError();

// Checks a network function's result: 0 returns, 1208 raises the
// provider's extended error, anything else raises the code.
void CheckWNetError(DWORD code);

// Shows an error that the library reports on its own (not by raising): a
// message box with the error icon, no owner window, the text and a caption.
// The application sets one; without it the error goes to standard error.
using TErrorReporter = std::function<void(const std::string& text, const std::string& caption)>;
void SetErrorReporter(TErrorReporter reporter);
void ReportError(const std::string& text, const std::string& caption);
