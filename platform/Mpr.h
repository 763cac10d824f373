#pragma once
// The platform's network functions (mpr): connections and the extended
// error of the last network call.

#include "Win32Types.h"

// --- network resources ---
inline constexpr DWORD RESOURCE_CONNECTED = 0x00000001;
inline constexpr DWORD RESOURCE_GLOBALNET = 0x00000002;
inline constexpr DWORD RESOURCE_REMEMBERED = 0x00000003;

inline constexpr DWORD RESOURCETYPE_ANY = 0x00000000;
inline constexpr DWORD RESOURCETYPE_DISK = 0x00000001;
inline constexpr DWORD RESOURCETYPE_PRINT = 0x00000002;

inline constexpr DWORD RESOURCEDISPLAYTYPE_GENERIC = 0x00000000;
inline constexpr DWORD RESOURCEDISPLAYTYPE_DOMAIN = 0x00000001;
inline constexpr DWORD RESOURCEDISPLAYTYPE_SERVER = 0x00000002;
inline constexpr DWORD RESOURCEDISPLAYTYPE_SHARE = 0x00000003;
inline constexpr DWORD RESOURCEDISPLAYTYPE_NETWORK = 0x00000006;

inline constexpr DWORD RESOURCEUSAGE_CONNECTABLE = 0x00000001;
inline constexpr DWORD RESOURCEUSAGE_CONTAINER = 0x00000002;
inline constexpr DWORD RESOURCEUSAGE_ATTACHED = 0x00000010;

inline constexpr DWORD CONNECT_UPDATE_PROFILE = 0x00000001;

struct NETRESOURCEA {
    DWORD dwScope;
    DWORD dwType;
    DWORD dwDisplayType;
    DWORD dwUsage;
    LPSTR lpLocalName;
    LPSTR lpRemoteName;
    LPSTR lpComment;
    LPSTR lpProvider;
};
using LPNETRESOURCEA = NETRESOURCEA*;

// Connects to a share of a computer of the site without a local device:
// "\\NAME\IPC$", "\\NAME\ADMIN$" or "\\NAME\C$".  A null user name and
// password stand for the current user.  Results (also set as the last
// error): ERROR_SUCCESS; ERROR_INVALID_PARAMETER (no resource, no remote
// name, a printer); ERROR_BAD_DEVICE (a local device name: this platform
// maps no devices); ERROR_BAD_PROVIDER; ERROR_BAD_NETPATH (an unknown or
// unreachable computer); ERROR_BAD_NET_NAME (another share);
// ERROR_SESSION_CREDENTIAL_CONFLICT (a connection to the computer under
// another user name is open); ERROR_LOGON_FAILURE (a wrong user name or
// password).  A failure also sets the last error.  Flags have no effect.
DWORD WNetAddConnection2A(const NETRESOURCEA* netResource, LPCSTR password, LPCSTR userName, DWORD flags);

// Removes one use of a connection made by WNetAddConnection2A;
// ERROR_NOT_CONNECTED when there is none with that remote name.
DWORD WNetCancelConnection2A(LPCSTR name, DWORD flags, BOOL force);

// The extended error of the last failed network call on this thread, as a
// provider reports it with ERROR_EXTENDED_ERROR (1208).
DWORD WNetGetLastErrorA(LPDWORD error, LPSTR errorBuf, DWORD errorBufSize, LPSTR nameBuf, DWORD nameBufSize);

namespace platform {
// Records the extended error that WNetGetLastErrorA reports on this thread.
void SetWNetExtendedError(DWORD error, const char* description, const char* provider);
} // namespace platform
