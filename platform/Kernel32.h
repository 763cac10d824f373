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

inline constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x0001;
inline constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x0002;
inline constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x0020;
inline constexpr DWORD LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE = 0x0040;

// With LOAD_LIBRARY_AS_DATAFILE (or one of the two other data-file flags)
// maps a PE file (DLL or EXE, PE32 or PE32+) for its resources only; the
// module is released with FreeLibrary and read by FormatMessageA.  The
// name is a path of the local computer or of a computer of the network
// ("C:\...", "\\SRV1\C$\...", "\\SRV1\ADMIN$\..."), matched without
// regard to case, in which "%SystemRoot%" stands for the local system root;
// a bare file name is looked for in the system directory, then in the
// system root.  Errors: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_MOD_NOT_FOUND (a bare name found nowhere), the network errors of
// the path, ERROR_ACCESS_DENIED (not a file), ERROR_BAD_EXE_FORMAT (not a
// PE image).  `file` is reserved and must be null.  Without a data-file
// flag this is LoadLibraryA.
HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags);

// The local computer's system root ("C:\WINDOWS").  Returns its length when
// it fits `size` characters with its NUL, else the size needed (NUL
// included); 0 with the last error set on failure.
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);

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
// This platform's own flag, with FORMAT_MESSAGE_ARGUMENT_ARRAY: every entry
// points to a text, as an event's insertion strings do; a numeric or
// character format then prints the text in the format's width instead of
// reading the pointer as a number.
inline constexpr DWORD FORMAT_MESSAGE_STRING_ARGUMENTS = 0x00010000;

// Formats a message into the caller's buffer and returns the number of
// characters stored without the terminating NUL, or 0 with the last error set.
//
// The message comes from `source` as text (FROM_STRING), from the message
// table of a module loaded with LoadLibraryExA (FROM_HMODULE), or from the
// system's own texts (FROM_SYSTEM; with FROM_HMODULE too, when the module
// does not have it).  Language 0 finds the language as the platform does;
// another language must be there itself (ERROR_RESOURCE_LANG_NOT_FOUND).
// A missing message id gives ERROR_MR_MID_NOT_FOUND (317), a result that
// does not fit `size` with its NUL ERROR_INSUFFICIENT_BUFFER (122).
// Inserts, escapes and line breaks are processed as MessageExpansion.h
// describes.  With FORMAT_MESSAGE_ARGUMENT_ARRAY, `arguments` is an array of
// pointer-sized entries, one for each insert number the message uses (at
// most 99); null arguments leave every insert as written.  Variable
// argument lists and FORMAT_MESSAGE_ALLOCATE_BUFFER are not supported
// (ERROR_NOT_SUPPORTED).
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

// --- virtual memory ---
inline constexpr DWORD MEM_COMMIT = 0x1000;
inline constexpr DWORD MEM_RESERVE = 0x2000;
inline constexpr DWORD MEM_RELEASE = 0x8000;
inline constexpr DWORD PAGE_READWRITE = 0x04;

// Zeroed pages of memory straight from the system, committed and
// read-write (MEM_COMMIT | MEM_RESERVE and PAGE_READWRITE are the only
// forms known; `address` must be null).  A region of 2 MiB or more lies on
// 2 MiB boundaries and asks for large pages, which the system gives where
// it can: touching such memory then costs one page fault per 2 MiB.
// ERROR_INVALID_PARAMETER or ERROR_NOT_ENOUGH_MEMORY on failure.
LPVOID VirtualAlloc(LPVOID address, std::size_t size, DWORD allocationType, DWORD protect);
// Releases a whole region of VirtualAlloc (size 0, MEM_RELEASE);
// ERROR_INVALID_PARAMETER for anything else.
BOOL VirtualFree(LPVOID address, std::size_t size, DWORD freeType);

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

// --- finding files ---
inline constexpr DWORD MAX_PATH = 260;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};

// Finds the files that a path names: an exact name, or a pattern with "*"
// and "?" in its last component, matched without regard to case.  Paths
// are those of LoadLibraryExA: drive C: of the local computer or a share of
// a computer of the network (C$ and ADMIN$); a path that begins with "/" is
// one of this machine, as the backup files chosen in file dialogs are.  The first match fills `data`
// (times in UTC; the creation time is the host's birth time of the file
// when it keeps one, else its last write); the handle gives the others to
// FindNextFileA and is closed with FindClose.  INVALID_HANDLE_VALUE with
// the last error set: ERROR_FILE_NOT_FOUND (nothing matches), the path
// and network errors of the path, ERROR_INVALID_PARAMETER (no name).
HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* data);
// The next match; FALSE with ERROR_NO_MORE_FILES after the last one.
BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE findFile);
