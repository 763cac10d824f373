#pragma once
// The kernel functions of the platform that the program imports directly:
// last error, system version, modules, events and waits, handles and
// system message texts.

#include "ErrorCodes.h"
#include "Win32Types.h"

// --- last error (kept per thread) ---
DWORD GetLastError();
void SetLastError(DWORD code);

// --- system version ---
inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize; // must be sizeof(OSVERSIONINFOA), 148
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

BOOL GetVersionExA(OSVERSIONINFOA* info);

// --- modules ---
HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);

// --- events, waits and handles ---
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_ABANDONED_0 = 0x80;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

struct SECURITY_ATTRIBUTES;

HANDLE CreateEventA(SECURITY_ATTRIBUTES* attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

// --- message texts ---
inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x0100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x0400;
inline constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x0800;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
inline constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x2000;
inline constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x00FF;

// Formats a message into the caller's buffer and returns the number of
// characters stored without the terminating NUL, or 0 with the last error set.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, void* arguments);

// --- local memory ---
inline constexpr UINT LMEM_FIXED = 0x0000;
inline constexpr UINT LMEM_ZEROINIT = 0x0040;

// A block of fixed memory; the platform's functions that hand out buffers
// (ConvertSidToStringSidW) allocate them this way and the caller releases
// them with LocalFree.  Only LMEM_FIXED and LMEM_ZEROINIT are known flags.
HLOCAL LocalAlloc(UINT flags, std::size_t bytes);
// Null on success (and for a null block); the block itself, with
// ERROR_INVALID_HANDLE, when it is not a live block of LocalAlloc.
HLOCAL LocalFree(HLOCAL memory);

// --- computer name ---
inline constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;
// The local computer's name; `size` holds the buffer size in characters and
// receives the length stored (without the NUL), or the size needed with
// ERROR_BUFFER_OVERFLOW.
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);

// --- time conversions ---
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
// Shifts a UTC file time by the local time zone's offset in force now,
// daylight saving included, as the platform does.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
