#pragma once
// The accounts of one computer, read from the text file that an
// administrator keeps beside the computer's registry (on a site:
// hosts/<NAME>/registry/accounts.txt).
//
// The file is UTF-8 text with one account per line:
//
//     <SID>  <kind>  <domain>\<name>
//
//   SID     the account's security identifier in text form,
//           S-1-<authority>-<sub-authority>... with at most 15
//           sub-authorities; an authority may also be written as "0x" and
//           up to twelve hexadecimal digits.
//   kind    User, Group, Domain, Alias, WellKnownGroup, DeletedAccount or
//           Computer, in any letter case.
//   domain  the domain (or computer) that holds the account, and the
//   name    account's name: the rest of the line, split at its one
//           backslash.  The domain may be empty ("\Everyone"), the name may
//           not.  Both may hold blanks; blanks around them are dropped.
//           Neither may hold a further backslash or a control character,
//           and each is at most 256 characters long.
//
// The SID and the kind are followed by blanks or tabs.  Empty lines and
// lines whose first non-blank character is "#" are comments.  A SID may be
// listed once.  Lines may end in LF or CR LF, and a UTF-8 byte-order mark
// at the start is skipped.  A file is at most 16 MiB, a line at most 4096
// bytes.
//
// Example:
//
//     # Local accounts of WS1
//     S-1-5-21-1004336348-1177238915-682003330-500   User   WS1\Administrator
//     S-1-5-21-1004336348-1177238915-682003330-1003  User   WS1\Jane Doe
//     S-1-5-21-1004336348-1177238915-682003330-513   Group  WS1\None
//
// A line that breaks these rules makes the whole file unreadable, with an
// error that names the line and what is wrong with it.

#include "SecurityTypes.h"
#include "Win32Types.h"

#include <algorithm>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct AccountEntry {
    std::vector<BYTE> sid;
    SID_NAME_USE use = SidTypeUser;
    std::string domain;
    std::string name;
};

class AccountTable {
public:
    static constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;
    static constexpr std::size_t kMaxLineLength = 4096;
    static constexpr std::size_t kMaxNameLength = 256; // characters

    // Reads the text of an accounts file.  On a malformed line the table is
    // left as it was and `error` tells "line <n>: <what is wrong>".
    bool Parse(std::string_view text, std::string& error);

    // Reads an accounts file of the host.  A file that does not exist is an
    // empty table; one that cannot be read or is malformed gives false and an
    // error that begins with the path.
    bool Load(const std::string& hostPath, std::string& error);

    // The account of a valid SID whose bytes are given, or null.
    const AccountEntry* Find(PSID sid) const;
    std::size_t Count() const { return accounts_.size(); }

private:
    // SIDs by their bytes; a SID is found without a copy of its bytes.
    struct SidBytesLess {
        using is_transparent = void;
        bool operator()(std::span<const BYTE> a, std::span<const BYTE> b) const
        {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
        }
    };
    using Accounts = std::map<std::vector<BYTE>, AccountEntry, SidBytesLess>;

    Accounts accounts_;
};

// "User", "Group", ... for the kinds a file may name; empty for others.
std::string_view AccountKindName(SID_NAME_USE use);

} // namespace platform
