#pragma once
// The enumeration of network resources (WNetOpenEnumA, WNetEnumResourceA
// and WNetCloseEnum, declared in Mpr.h): a limit on the entries one call
// hands out, so that tests reach the path of many calls with small sites.

#include "Win32Types.h"

namespace platform {

// The most entries one WNetEnumResourceA call hands out; 0: no limit other
// than the caller's count and buffer.
DWORD NetEnumCallLimit();
void SetNetEnumCallLimit(DWORD entries);

// Sets the limit for the life of a scope and restores the one before.
class ScopedNetEnumCallLimit {
public:
    explicit ScopedNetEnumCallLimit(DWORD entries);
    ~ScopedNetEnumCallLimit();
    ScopedNetEnumCallLimit(const ScopedNetEnumCallLimit&) = delete;
    ScopedNetEnumCallLimit& operator=(const ScopedNetEnumCallLimit&) = delete;

private:
    DWORD previous_;
};

} // namespace platform
