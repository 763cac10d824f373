#pragma once
// Where the platform's account lookups find the computers of the network:
// which accounts file each computer keeps, and which computer answers for
// its domain.  The default source is the current site: a computer keeps its
// accounts in hosts/<NAME>/registry/accounts.txt, and a domain's
// "Controller" answers for the domain's accounts.  Tests may set their own.

#include "Win32Types.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class AccountSource {
public:
    virtual ~AccountSource() = default;

    // `computer` is a computer's name without leading backslashes, never
    // empty: the local computer is asked for by its own name.  Gives
    // ERROR_SUCCESS with the host path of the computer's accounts file
    // (empty, or a file that does not exist, when the computer keeps no
    // accounts of its own), or the platform's code of a failed connection:
    // ERROR_BAD_NETPATH (53) for an unknown computer, RPC_S_SERVER_UNAVAILABLE
    // (1722) for one that does not answer, ERROR_ACCESS_DENIED (5) for one
    // that refuses a caller without a connection.
    virtual DWORD AccountsFileOf(std::string_view computer, std::string& hostPath) = 0;

    // The name of the domain controller that answers for the domain of the
    // computer, or empty when the computer is in a workgroup.
    virtual std::string DomainControllerOf(std::string_view computer) = 0;
};

// The local computer's name as GetComputerNameA gives it.
std::string LocalComputerName();

// The source in use; never null.
std::shared_ptr<AccountSource> CurrentAccountSource();
// Sets the source in use; null sets the default source back.
void SetAccountSource(std::shared_ptr<AccountSource> source);

// Sets a source for the life of a scope and restores the one before.
class ScopedAccountSource {
public:
    explicit ScopedAccountSource(std::shared_ptr<AccountSource> source);
    ~ScopedAccountSource();
    ScopedAccountSource(const ScopedAccountSource&) = delete;
    ScopedAccountSource& operator=(const ScopedAccountSource&) = delete;

private:
    std::shared_ptr<AccountSource> previous_;
};

} // namespace platform
