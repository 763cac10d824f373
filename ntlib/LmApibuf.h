#pragma once
// The network-management buffer functions, bound from "netapi32.dll" on
// every platform.

#include "FunctionBinding.h"

void LoadNetApiBufferFunctions();
void UnloadNetApiBufferFunctions();
bool NetApiBufferFunctionsLoaded();
BindingGroup& NetApiBufferFunctions();

DWORD NetApiBufferFree(LPVOID buffer);
