#pragma once
// The network-management functions of "netapi32.dll": the servers the
// browse service knows, and the buffers it hands out.  The program reaches
// them through the module tables (GetProcAddress); the remote-administration
// library "varovu32.dll" of Windows 9x offers them too, NetServerEnum under
// the name "NetServerEnumA".

#include "RegistryTypes.h"
#include "Win32Types.h"

using NET_API_STATUS = DWORD;

inline constexpr NET_API_STATUS NERR_Success = 0;
inline constexpr DWORD MAX_PREFERRED_LENGTH = 0xFFFFFFFF;
inline constexpr DWORD PLATFORM_ID_NT = 500;

inline constexpr DWORD SV_TYPE_WORKSTATION = 0x00000001;
inline constexpr DWORD SV_TYPE_SERVER = 0x00000002;
inline constexpr DWORD SV_TYPE_DOMAIN_CTRL = 0x00000008;
inline constexpr DWORD SV_TYPE_NT = 0x00001000;
inline constexpr DWORD SV_TYPE_DOMAIN_ENUM = 0x80000000;
inline constexpr DWORD SV_TYPE_ALL = 0xFFFFFFFF;

struct SERVER_INFO_100 {
    DWORD sv100_platform_id;
    LPWSTR sv100_name;
};

namespace platform {

// The computers of a domain of "Microsoft Windows Network", as the browse
// service of `serverName` (null or empty: the local computer; UTF-16, with
// or without leading backslashes) lists them, in the order of their
// sections in site.ini.  Every computer of the site plays an NT system: its
// types are SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT, with
// SV_TYPE_DOMAIN_CTRL for its domain's controller; a computer is listed
// when its types share a bit with `serverType`.  With SV_TYPE_DOMAIN_ENUM
// set (but not SV_TYPE_ALL, which lists every computer), the domains of
// that provider are listed instead.  `domain` null or
// empty means the local computer's domain.  Only level 100 is known
// (SERVER_INFO_100, platform id 500).
//
// The entries come in one buffer that NetApiBufferFree releases (null when
// there are none): the records first, the UTF-16 names after them.
// `preferredMaximumLength` (MAX_PREFERRED_LENGTH: everything) limits the
// bytes of one answer, which always holds at least one entry; when entries
// remain the result is ERROR_MORE_DATA, and a resume handle (when given)
// receives where the next call goes on (0 when nothing remains).
// *totalEntries counts the entries from the resume point on.
//
// Results: NERR_Success; ERROR_MORE_DATA; ERROR_INVALID_PARAMETER (no
// buffer, entry or total pointer); ERROR_INVALID_LEVEL; ERROR_BAD_NETPATH
// and ERROR_ACCESS_DENIED (a server that cannot be reached);
// ERROR_NO_BROWSER_SERVERS_FOUND (no such domain, or the local computer is
// in none).
NET_API_STATUS NetServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                             LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                             LPDWORD resumeHandle);

// Releases a buffer that a network-management function handed out; a null
// buffer is accepted, another one is ERROR_INVALID_PARAMETER.
NET_API_STATUS NetApiBufferFree(LPVOID buffer);

} // namespace platform
