#pragma once
// Counts the calls of the platform's account lookup and SID text
// conversion: replaces their exports by counting ones for the life of a
// test.  Make it before ScopedSystemFunctions, so that the counting entry
// points get bound.

#include "platform/Accounts.h"
#include "platform/ModuleTables.h"
#include "platform/Modules.h"
#include "platform/Sids.h"

class CountingSecurityFunctions {
public:
    int lookups = 0;
    int conversions = 0;

    CountingSecurityFunctions()
    {
        current() = this;
        for (const char* module : {"advapi32.dll", "varovu32.dll"})
            platform::RegisterModuleExports(module, {{"LookupAccountSidA", platform::ExportOf(&lookup)}});
        platform::RegisterModuleExports("advapi32.dll", {{"ConvertSidToStringSidW", platform::ExportOf(&convert)}});
    }
    ~CountingSecurityFunctions()
    {
        for (const char* module : {"advapi32.dll", "varovu32.dll"})
            platform::RegisterModuleExports(module, platform::SecurityExports());
        platform::RegisterModuleExports("advapi32.dll", platform::SidStringExports());
        current() = nullptr;
    }
    CountingSecurityFunctions(const CountingSecurityFunctions&) = delete;
    CountingSecurityFunctions& operator=(const CountingSecurityFunctions&) = delete;

private:
    static CountingSecurityFunctions*& current()
    {
        static CountingSecurityFunctions* c = nullptr;
        return c;
    }

    static BOOL lookup(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domainName,
                       LPDWORD domainSize, SID_NAME_USE* use)
    {
        ++current()->lookups;
        return platform::LookupAccountSidA(systemName, sid, name, nameSize, domainName, domainSize, use);
    }

    static BOOL convert(PSID sid, LPWSTR* text)
    {
        ++current()->conversions;
        return platform::ConvertSidToStringSidW(sid, text);
    }
};
