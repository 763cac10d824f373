#pragma once
// The platform's network functions (mpr): connections and the extended
// error of the last network call.

#include "Win32Types.h"

// The extended error of the last failed network call on this thread, as a
// provider reports it with ERROR_EXTENDED_ERROR (1208).
DWORD WNetGetLastErrorA(LPDWORD error, LPSTR errorBuf, DWORD errorBufSize, LPSTR nameBuf, DWORD nameBufSize);

namespace platform {
// Records the extended error that WNetGetLastErrorA reports on this thread.
void SetWNetExtendedError(DWORD error, const char* description, const char* provider);
} // namespace platform
