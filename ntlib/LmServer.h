#pragma once
// The server enumeration of the browse service, bound from "netapi32.dll"
// on every platform; the browse-network dialog lists the NT computers of
// the domain with it and frees the answer with NetApiBufferFree
// (LmApibuf.h).

#include "FunctionBinding.h"

#include "platform/NetServer.h"

void LoadNetServerFunctions();
void UnloadNetServerFunctions();
bool NetServerFunctionsLoaded();
BindingGroup& NetServerFunctions();

NET_API_STATUS NetServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                             LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                             LPDWORD resumeHandle);
