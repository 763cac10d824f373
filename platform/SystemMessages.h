#pragma once
// The platform's own message texts for its error codes, as
// FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM) gives them.

#include "Win32Types.h"

namespace platform {

// The text for a code, ending in CR LF as the platform's texts do, or
// nullptr when the platform has no text for it.
const char* SystemMessageText(DWORD code);

} // namespace platform
