#pragma once
// The platform's account lookup: the name and domain of a security
// identifier, as the computer named by the caller knows it.  That computer
// answers from the platform's well-known identifiers (Everyone, NT
// AUTHORITY\SYSTEM, the BUILTIN groups, ...), from its own accounts file
// (AccountTable.h), which may also rename a well-known identifier, and,
// for the rest, from the accounts of its domain controller when it has one
// (AccountSource.h).  Exported by "advapi32.dll" and "varovu32.dll"; the
// library binds it and never calls it by name.

#include "SecurityTypes.h"
#include "Win32Types.h"

namespace platform {

// `systemName` null or empty for the local computer, else a computer's name
// with or without leading backslashes.  `nameSize` and `domainSize` hold
// the buffers' sizes in characters; on success they receive the lengths
// stored without the NUL, and when a buffer is too small (a null buffer
// has size 0) both receive the sizes needed with the NUL, with
// ERROR_INSUFFICIENT_BUFFER.  Other failures: ERROR_INVALID_PARAMETER,
// ERROR_INVALID_SID, ERROR_NONE_MAPPED (no account has the SID, or the
// domain controller does not answer), ERROR_BADDB (an accounts file is
// malformed; the reason goes to the standard error stream) and the
// connection codes of AccountSource::AccountsFileOf.
BOOL LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domainName,
                       LPDWORD domainSize, SID_NAME_USE* use);

} // namespace platform
