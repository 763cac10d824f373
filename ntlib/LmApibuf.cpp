#include "LmApibuf.h"

namespace {
enum LmApibufSlot { kNetApiBufferFree };
}

BindingGroup& NetApiBufferFunctions()
{
    static BindingGroup group("netapi32.dll", BindingGroup::Choice::Always, {"NetApiBufferFree"});
    return group;
}

void LoadNetApiBufferFunctions() { NetApiBufferFunctions().Initialise(); }
void UnloadNetApiBufferFunctions() { NetApiBufferFunctions().Finalise(); }

bool NetApiBufferFunctionsLoaded()
{
    return NetApiBufferFunctions().Entry(kNetApiBufferFree) != nullptr;
}

DWORD NetApiBufferFree(LPVOID buffer)
{
    return CallBound<decltype(NetApiBufferFree)>(NetApiBufferFunctions(), kNetApiBufferFree, buffer);
}
