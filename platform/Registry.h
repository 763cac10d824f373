#pragma once
// The platform's registry functions (advapi32 and, under the same names,
// varovu32).  The library binds them through GetProcAddress and never calls
// them by name.
//
// HKEY_LOCAL_MACHINE is the registry of the site's local computer and
// RegConnectRegistryA reaches that of any computer of the site (Site.h);
// HKEY_CURRENT_USER is the current user's registry file.  Each is a
// RegistryStore: changes are written to its file at once, and what another
// running copy of the program wrote there is seen at the next use.
//
// The functions follow the platform's conventions: they return the error
// code (and leave the last error alone); sizes of names are in characters
// (bytes of UTF-8) with the terminating NUL counted on the way in and not
// on the way out; data sizes are in bytes.  Key and value names are matched
// without regard to case; subkeys enumerate in the order of their
// upper-cased names, values in the order they were first set.  Access
// rights asked for when a key was opened are checked: KEY_QUERY_VALUE to
// read values and key information, KEY_ENUMERATE_SUB_KEYS to enumerate
// subkeys, KEY_SET_VALUE to change values, KEY_CREATE_SUB_KEY to create
// subkeys.  A key deleted from under an open handle gives ERROR_KEY_DELETED.

#include "RegistryStore.h"
#include "RegistryTypes.h"

#include <memory>
#include <string>

struct SECURITY_ATTRIBUTES;

namespace platform {

// Opens the registry of a computer of the site: HKEY_LOCAL_MACHINE of any
// computer, HKEY_CURRENT_USER of the local one.  A null or empty name, or
// the local computer's name, with or without leading backslashes, is the
// local computer; it never falls back to the local registry for another
// name.  ERROR_BAD_NETPATH for an unknown or unreachable computer,
// ERROR_ACCESS_DENIED for one that requires a connection not yet made,
// ERROR_INVALID_HANDLE for another root key.
LONG RegConnectRegistryA(LPCSTR machineName, HKEY key, PHKEY result);

// ERROR_FILE_NOT_FOUND for a missing key; ERROR_BAD_PATHNAME for a path
// that starts with a backslash.  A null or empty path opens the key itself.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);

// Opens or creates a key and the keys on its path.  Class, options and
// security attributes are accepted and not kept.  ERROR_INVALID_PARAMETER
// for a name longer than 255 characters, with a line break, or a key more
// than 512 levels deep.
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options, REGSAM desired,
                     const SECURITY_ATTRIBUTES* securityAttributes, PHKEY result, LPDWORD disposition);

// Closing a predefined key succeeds and does nothing.
LONG RegCloseKey(HKEY key);

// ERROR_NO_MORE_ITEMS past the last subkey; ERROR_MORE_DATA when the name
// does not fit.  Keys have no class: an empty one is given.
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR className,
                   LPDWORD classSize, FILETIME* lastWriteTime);

// ERROR_NO_MORE_ITEMS past the last value; ERROR_MORE_DATA when the name or
// the data do not fit (the data size needed is then set).
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize);

LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                      LPDWORD maxValueLen, LPDWORD securityDescriptor, FILETIME* lastWriteTime);

// A null or empty name is the key's default value.  Without a data buffer
// the size is given; a buffer too small gives ERROR_MORE_DATA with the size
// needed set and the buffer untouched.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

// Text values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are kept as UTF-8; an
// ill-formed byte sequence becomes U+FFFD.  ERROR_REGISTRY_IO_FAILED when
// the registry file cannot be written (the value is then not set).
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);

LONG RegDeleteValueA(HKEY key, LPCSTR valueName);

// --- the current user's registry ---

// Keeps HKEY_CURRENT_USER in `path` from now on (empty: in memory only).
void SetCurrentUserRegistryFile(const std::string& path);
// Goes back to the file in the user's configuration directory
// (UserDirectories.h), looked up on next use.
void ResetCurrentUserRegistry();
std::shared_ptr<RegistryStore> CurrentUserRegistry();

} // namespace platform
