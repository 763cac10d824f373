#pragma once
// The enumeration of network resources (WNetOpenEnumA, WNetEnumResourceA
// and WNetCloseEnum, declared in Mpr.h): for tests, a limit on the entries
// one call hands out, so that they reach the path of many calls with small
// sites, and answers that a faulty provider might give.

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

// An answer of a faulty provider: after `afterCalls` calls answered as
// usual, every WNetEnumResourceA call returns `result` with *count set to
// `count` (no records are written) and, when `bufferSize` is not 0,
// *bufferSize set to it.
struct NetEnumFault {
    DWORD afterCalls = 0;
    DWORD result = 0;
    DWORD count = 0;
    DWORD bufferSize = 0;
};

// Plays a fault for the life of a scope.
class ScopedNetEnumFault {
public:
    explicit ScopedNetEnumFault(const NetEnumFault& fault);
    ~ScopedNetEnumFault();
    ScopedNetEnumFault(const ScopedNetEnumFault&) = delete;
    ScopedNetEnumFault& operator=(const ScopedNetEnumFault&) = delete;
};

} // namespace platform
