#include "Accounts.h"

#include "AsciiText.h"
#include "AccountSource.h"
#include "AccountTable.h"
#include "ErrorCodes.h"
#include "FileIo.h"
#include "Kernel32.h"
#include "ModuleTables.h"
#include "Sids.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// The identifiers that every computer of the platform knows by name.
constexpr const char* kWellKnownAccounts = R"(
S-1-0-0       WellKnownGroup  \NULL SID
S-1-1-0       WellKnownGroup  \Everyone
S-1-2-0       WellKnownGroup  \LOCAL
S-1-3-0       WellKnownGroup  \CREATOR OWNER
S-1-3-1       WellKnownGroup  \CREATOR GROUP
S-1-3-2       WellKnownGroup  \CREATOR OWNER SERVER
S-1-3-3       WellKnownGroup  \CREATOR GROUP SERVER
S-1-5-1       WellKnownGroup  NT AUTHORITY\DIALUP
S-1-5-2       WellKnownGroup  NT AUTHORITY\NETWORK
S-1-5-3       WellKnownGroup  NT AUTHORITY\BATCH
S-1-5-4       WellKnownGroup  NT AUTHORITY\INTERACTIVE
S-1-5-6       WellKnownGroup  NT AUTHORITY\SERVICE
S-1-5-7       WellKnownGroup  NT AUTHORITY\ANONYMOUS LOGON
S-1-5-8       WellKnownGroup  NT AUTHORITY\PROXY
S-1-5-9       WellKnownGroup  NT AUTHORITY\ENTERPRISE DOMAIN CONTROLLERS
S-1-5-10      WellKnownGroup  NT AUTHORITY\SELF
S-1-5-11      WellKnownGroup  NT AUTHORITY\Authenticated Users
S-1-5-12      WellKnownGroup  NT AUTHORITY\RESTRICTED
S-1-5-13      WellKnownGroup  NT AUTHORITY\TERMINAL SERVER USER
S-1-5-18      WellKnownGroup  NT AUTHORITY\SYSTEM
S-1-5-19      WellKnownGroup  NT AUTHORITY\LOCAL SERVICE
S-1-5-20      WellKnownGroup  NT AUTHORITY\NETWORK SERVICE
S-1-5-32      Domain          BUILTIN\BUILTIN
S-1-5-32-544  Alias           BUILTIN\Administrators
S-1-5-32-545  Alias           BUILTIN\Users
S-1-5-32-546  Alias           BUILTIN\Guests
S-1-5-32-547  Alias           BUILTIN\Power Users
S-1-5-32-548  Alias           BUILTIN\Account Operators
S-1-5-32-549  Alias           BUILTIN\Server Operators
S-1-5-32-550  Alias           BUILTIN\Print Operators
S-1-5-32-551  Alias           BUILTIN\Backup Operators
S-1-5-32-552  Alias           BUILTIN\Replicator
)";

const AccountTable& wellKnownAccounts()
{
    static const AccountTable table = [] {
        AccountTable t;
        std::string error;
        if (!t.Parse(kWellKnownAccounts, error))
            std::fprintf(stderr, "well-known accounts: %s\n", error.c_str());
        return t;
    }();
    return table;
}

// Accounts files, read once and read again when they change on disk.
class AccountsFileCache {
public:
    // The table of a file, or null with `error` when it cannot be read.
    std::shared_ptr<const AccountTable> Get(const std::string& hostPath, std::string& error)
    {
        // One look at the disk per lookup: a file changed, replaced or
        // made since the last lookup is read again.
        Stamp stamp;
        stamp.exists = StampOfFile(hostPath, stamp.file) == 0;

        std::lock_guard lock(mutex_);
        Entry& entry = entries_[hostPath];
        if (!entry.loaded || !(entry.stamp == stamp)) {
            auto table = std::make_shared<AccountTable>();
            entry.error.clear();
            entry.table = table->Load(hostPath, entry.error) ? table : nullptr;
            entry.stamp = stamp;
            entry.loaded = true;
            if (!entry.table)
                std::fprintf(stderr, "accounts: %s\n", entry.error.c_str());
        }
        error = entry.error;
        return entry.table;
    }

private:
    struct Stamp {
        bool exists = false;
        FileStamp file;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        bool loaded = false;
        Stamp stamp;
        std::shared_ptr<const AccountTable> table;
        std::string error;
    };

    std::mutex mutex_;
    std::map<std::string, Entry> entries_;
};

AccountsFileCache& accountsFiles()
{
    static AccountsFileCache cache;
    return cache;
}

std::string_view withoutBackslashes(std::string_view computer)
{
    while (!computer.empty() && computer.front() == '\\')
        computer.remove_prefix(1);
    return computer;
}

// The accounts table of a computer: ERROR_SUCCESS with the table (null when
// the computer keeps no accounts file), or the code of the failure.
DWORD accountsOf(AccountSource& source, std::string_view computer, std::shared_ptr<const AccountTable>& table)
{
    table.reset();
    std::string hostPath;
    if (const DWORD code = source.AccountsFileOf(computer, hostPath); code != ERROR_SUCCESS)
        return code;
    if (hostPath.empty())
        return ERROR_SUCCESS;
    std::string error;
    table = accountsFiles().Get(hostPath, error);
    return table ? ERROR_SUCCESS : ERROR_BADDB;
}

// Finds the account of a valid SID as the computer knows it.
DWORD findAccount(std::string_view computer, PSID sid, AccountEntry& found)
{
    const std::shared_ptr<AccountSource> source = CurrentAccountSource();
    std::shared_ptr<const AccountTable> own;
    if (const DWORD code = accountsOf(*source, computer, own); code != ERROR_SUCCESS)
        return code;
    const AccountEntry* entry = own ? own->Find(sid) : nullptr;
    if (!entry)
        entry = wellKnownAccounts().Find(sid);
    std::shared_ptr<const AccountTable> domain;
    if (!entry) {
        const std::string controller(withoutBackslashes(source->DomainControllerOf(computer)));
        if (!controller.empty() && !EqualsNoCase(controller, computer)) {
            const DWORD code = accountsOf(*source, controller, domain);
            // A controller that cannot be reached maps nothing.
            if (code == ERROR_BADDB)
                return code;
            if (domain)
                entry = domain->Find(sid);
        }
    }
    if (!entry)
        return ERROR_NONE_MAPPED;
    found = *entry;
    return ERROR_SUCCESS;
}

BOOL fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

} // namespace

BOOL LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domainName,
                       LPDWORD domainSize, SID_NAME_USE* use)
{
    if (!sid || !nameSize || !domainSize)
        return fail(ERROR_INVALID_PARAMETER);
    if (!IsValidSid(sid))
        return fail(ERROR_INVALID_SID);
    std::string computer(withoutBackslashes(systemName ? systemName : ""));
    if (computer.empty())
        computer = LocalComputerName();

    AccountEntry account;
    if (const DWORD code = findAccount(computer, sid, account); code != ERROR_SUCCESS)
        return fail(code);

    const auto nameNeeded = static_cast<DWORD>(account.name.size() + 1);
    const auto domainNeeded = static_cast<DWORD>(account.domain.size() + 1);
    const DWORD nameRoom = name ? *nameSize : 0;
    const DWORD domainRoom = domainName ? *domainSize : 0;
    if (nameRoom < nameNeeded || domainRoom < domainNeeded) {
        *nameSize = nameNeeded;
        *domainSize = domainNeeded;
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(name, account.name.c_str(), nameNeeded);
    std::memcpy(domainName, account.domain.c_str(), domainNeeded);
    *nameSize = nameNeeded - 1;
    *domainSize = domainNeeded - 1;
    if (use)
        *use = account.use;
    return TRUE;
}

std::vector<ModuleExport> SecurityExports()
{
    return {
        {"GetLengthSid", ExportOf(&GetLengthSid)},
        {"IsValidSid", ExportOf(&IsValidSid)},
        {"EqualSid", ExportOf(&EqualSid)},
        {"GetSidIdentifierAuthority", ExportOf(&GetSidIdentifierAuthority)},
        {"GetSidSubAuthorityCount", ExportOf(&GetSidSubAuthorityCount)},
        {"GetSidSubAuthority", ExportOf(&GetSidSubAuthority)},
        {"LookupAccountSidA", ExportOf(&LookupAccountSidA)},
    };
}

std::vector<ModuleExport> SidStringExports()
{
    return {
        {"ConvertSidToStringSidW", ExportOf(&ConvertSidToStringSidW)},
    };
}

} // namespace platform
