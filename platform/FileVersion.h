#pragma once
// The version functions of the platform: the version resource of a file
// (VS_VERSIONINFO) and its fixed file information.  Here only the running
// program has a version resource: the version it declares at start with
// SetProgramVersion (the build gives it its project version); any other
// file has none.

#include "Win32Types.h"

struct VS_FIXEDFILEINFO {
    DWORD dwSignature; // 0xFEEF04BD
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;

// The size of a file's version resource, or 0 with the last error set
// (ERROR_RESOURCE_TYPE_NOT_FOUND: the file has none; ERROR_FILE_NOT_FOUND).
// `handle` receives 0.
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
// Copies the version resource into `data` (at most `size` bytes).
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data);
// A value of a version resource: "\" gives the VS_FIXEDFILEINFO inside the
// block.  FALSE for any other value and for a damaged block.
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length);

namespace platform {

// The file version of the running program (four 16-bit parts), as its
// version resource gives it.
void SetProgramVersion(WORD major, WORD minor, WORD release, WORD build);
// The running program has no version resource any more.
void ClearProgramVersion();

} // namespace platform
