#pragma once
// The platform's network functions (mpr): connections, the browsing of the
// network (providers, their domains, the domains' computers and the
// computers' shares, as the site describes them: Site.h), provider and
// connection information, and the extended error of the last network call.

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
inline constexpr DWORD RESOURCEUSAGE_ALL = 0x00000013;

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
// "\\NAME\IPC$", "\\NAME\ADMIN$", "\\NAME\C$" or one of the shares that
// site.ini gives the computer (Site.h).  A null user name and
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

// --- browsing the network ---
//
// The network's top holds the providers (display type NETWORK); a provider
// holds its domains (DOMAIN, remote name "CORP"); a domain holds its
// computers (SERVER, "\\NAME", in the order of their sections); a computer
// holds its shares (SHARE, "\\NAME\Share", type DISK, usage CONNECTABLE).
// Providers, domains and computers are containers (usage CONTAINER, type
// ANY).  Every entry has scope RESOURCE_GLOBALNET, its provider's name and
// its comment; texts that are empty (the local name always) are null.
// Shares whose names end in "$" are not listed.  A computer outside every
// domain belongs to "Microsoft Windows Network" (or, without it, to the
// first provider) and is not listed, but can be browsed by name.
//
// A resource handed in is found by its remote name: "\\NAME" and
// "\\NAME\Share" name a computer and a share, other names a provider or a
// domain (display type NETWORK or DOMAIN decides when given; else providers
// come first); an empty remote name with a provider names that provider.
// A provider name that is given must be known (ERROR_BAD_PROVIDER) and must
// be the resource's provider (else ERROR_BAD_NETPATH).
//
// "Microsoft Windows Network" reports failures with the platform's codes.
// Every other provider reports a failure that concerns one of its
// resources as ERROR_EXTENDED_ERROR, with the code, its text and the
// provider's name for WNetGetLastErrorA.
//
// Every function also sets the last error to a result other than
// ERROR_SUCCESS.

inline constexpr DWORD WNNC_NET_LANMAN = 0x00020000;

struct NETINFOSTRUCT {
    DWORD cbStructure; // sizeof(NETINFOSTRUCT), 32
    DWORD dwProviderVersion;
    DWORD dwStatus;
    DWORD dwCharacteristics;
    DWORD dwHandle; // the provider's handle, a 32-bit value on this platform
    WORD wNetType;  // the high word of the network type (WNNC_NET_LANMAN >> 16)
    DWORD dwPrinters;
    DWORD dwDrives;
};
static_assert(sizeof(NETINFOSTRUCT) == 32);

inline constexpr DWORD WNCON_FORNETCARD = 0x00000001;
inline constexpr DWORD WNCON_NOTROUTED = 0x00000002;
inline constexpr DWORD WNCON_SLOWLINK = 0x00000004;
inline constexpr DWORD WNCON_DYNAMIC = 0x00000008;

struct NETCONNECTINFOSTRUCT {
    DWORD cbStructure; // sizeof(NETCONNECTINFOSTRUCT), 20
    DWORD dwFlags;
    DWORD dwSpeed; // in units of 100 bits per second
    DWORD dwDelay; // one way, in milliseconds
    DWORD dwOptDataSize;
};
static_assert(sizeof(NETCONNECTINFOSTRUCT) == 20);

// Starts an enumeration of one level.  Scopes: RESOURCE_GLOBALNET (the
// children of `netResource`, null for the top; the resource's usage must
// have RESOURCEUSAGE_CONTAINER), RESOURCE_CONNECTED (the connections of
// the process: scope CONNECTED, display type SHARE, usage CONNECTABLE,
// type DISK, IPC$ type ANY) and RESOURCE_REMEMBERED (none: connections
// are never remembered); the last two ignore `netResource` and `usage`.
// `type` (RESOURCETYPE_ANY, _DISK or _PRINT) selects the shares listed;
// containers are listed whatever the type.  `usage` with CONNECTABLE or
// CONTAINER set lists only the entries with one of the bits set; without
// either bit, all.  The entries are taken when the enumeration starts.
// Results: ERROR_SUCCESS with the handle in *enumHandle;
// ERROR_INVALID_PARAMETER (no handle pointer, another scope or type);
// ERROR_NOT_CONTAINER (a share, or a resource without the container
// usage); ERROR_BAD_PROVIDER; ERROR_BAD_NETPATH (an unknown resource, an
// unknown or unreachable computer); ERROR_BAD_NET_NAME (a path below a
// share); ERROR_ACCESS_DENIED (the shares of a computer that requires a
// connection not yet made).
DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, const NETRESOURCEA* netResource, HANDLE* enumHandle);

// Hands out the next entries: NETRESOURCEA records at the start of
// `buffer`, the texts they point to packed after the records.  *count asks
// for a number of entries (0xFFFFFFFF: as many as fit) and receives the
// number handed out.  ERROR_SUCCESS with at least one entry;
// ERROR_NO_MORE_ITEMS (259) with none at the end; ERROR_MORE_DATA (234)
// with none when not even the next entry fits, its size then in
// *bufferSize.  ERROR_INVALID_HANDLE; ERROR_INVALID_PARAMETER (no count or
// size, a count of 0, no buffer with a size).  A limit per call can be set
// for tests (NetworkEnum.h).
DWORD WNetEnumResourceA(HANDLE enumHandle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize);

// Ends an enumeration; ERROR_INVALID_HANDLE for a handle that is not one.
DWORD WNetCloseEnum(HANDLE enumHandle);

// The resource above one, as enumeration hands it out (so it compares
// equal to the entry of its parent's level): a share's computer, a
// computer's domain (a computer outside every domain: its provider), a
// domain's provider; above a provider, the top: a record of zeros and null
// texts.  The record and its texts are packed into `buffer` as by
// WNetEnumResourceA; ERROR_MORE_DATA with the size needed in *bufferSize
// when they do not fit.  Reachability is not checked.  Also
// ERROR_INVALID_PARAMETER (no resource or size, no remote name and no
// provider, no buffer with a size), ERROR_BAD_PROVIDER, ERROR_BAD_NETPATH,
// ERROR_BAD_NET_NAME.
DWORD WNetGetResourceParentA(const NETRESOURCEA* netResource, LPVOID buffer, LPDWORD bufferSize);

// Information about a provider: version 0x400, status 0 (running), the
// network type WNNC_NET_LANMAN for "Microsoft Windows Network" and 0 for
// other providers; the other members 0.  ERROR_BAD_PROVIDER for an unknown
// name; ERROR_INVALID_PARAMETER without a structure or with cbStructure
// below 32.
DWORD WNetGetNetworkInformationA(LPCSTR provider, NETINFOSTRUCT* netInfo);

// The expected performance of a connection to a computer ("\\NAME") or to
// one of its shares, connected or not: WNCON_FORNETCARD, 1000000 (100
// Mbit/s), a delay of 1 ms and an optimal data size of 65536 bytes.
// ERROR_INVALID_PARAMETER (no resource or structure, cbStructure below 20,
// no remote name); ERROR_NOT_CONNECTED (a local name: this platform maps
// no devices); ERROR_NOT_SUPPORTED (a provider or a domain); the codes of
// reaching the computer (ERROR_BAD_NETPATH, ERROR_ACCESS_DENIED);
// ERROR_BAD_NET_NAME (a share it does not have).
DWORD MultinetGetConnectionPerformanceA(const NETRESOURCEA* netResource, NETCONNECTINFOSTRUCT* connectInfo);

// The extended error of the last failed network call on this thread, as a
// provider reports it with ERROR_EXTENDED_ERROR (1208).
DWORD WNetGetLastErrorA(LPDWORD error, LPSTR errorBuf, DWORD errorBufSize, LPSTR nameBuf, DWORD nameBufSize);

namespace platform {
// Records the extended error that WNetGetLastErrorA reports on this thread.
void SetWNetExtendedError(DWORD error, const char* description, const char* provider);
} // namespace platform
