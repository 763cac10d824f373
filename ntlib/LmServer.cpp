#include "LmServer.h"

namespace {
enum LmServerSlot { kNetServerEnum };
}

BindingGroup& NetServerFunctions()
{
    static BindingGroup group("netapi32.dll", BindingGroup::Choice::Always, {"NetServerEnum"});
    return group;
}

void LoadNetServerFunctions() { NetServerFunctions().Initialise(); }
void UnloadNetServerFunctions() { NetServerFunctions().Finalise(); }

bool NetServerFunctionsLoaded()
{
    return NetServerFunctions().Entry(kNetServerEnum) != nullptr;
}

NET_API_STATUS NetServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                             LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                             LPDWORD resumeHandle)
{
    return CallBound<decltype(NetServerEnum)>(NetServerFunctions(), kNetServerEnum, serverName, level, buffer,
                                              preferredMaximumLength, entriesRead, totalEntries, serverType, domain,
                                              resumeHandle);
}
