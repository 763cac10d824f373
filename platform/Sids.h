#pragma once
// Security identifiers (SIDs) in the platform's binary layout:
//
//   byte 0      revision (always 1)
//   byte 1      number of sub-authorities, 0 to 15
//   bytes 2-7   identifier authority, a 48-bit number, most significant
//               byte first
//   bytes 8-    the sub-authorities, 32 bits each, least significant byte
//               first
//
// The functions take a SID without its size, as the platform's do: the
// caller makes sure the block it passes holds the whole SID.  They are
// exported by "advapi32.dll" and "varovu32.dll" (the text conversion by
// "advapi32.dll" only); the library binds them and never calls them by name.

#include "SecurityTypes.h"
#include "Win32Types.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// 8 plus 4 bytes per sub-authority, from the SID's own count; 0 for null.
DWORD GetLengthSid(PSID sid);
// Revision 1 and at most 15 sub-authorities.
BOOL IsValidSid(PSID sid);
// TRUE when both are valid and their bytes agree.  Otherwise FALSE, with
// ERROR_INVALID_SID when one is not valid and ERROR_SUCCESS when they
// merely differ.
BOOL EqualSid(PSID sid1, PSID sid2);
// Pointers into the SID; null (ERROR_INVALID_SID) for a SID that is not
// valid, and for a sub-authority beyond the count (ERROR_INVALID_PARAMETER).
SID_IDENTIFIER_AUTHORITY* GetSidIdentifierAuthority(PSID sid);
BYTE* GetSidSubAuthorityCount(PSID sid);
DWORD* GetSidSubAuthority(PSID sid, DWORD subAuthority);
// The text form of the SID in a buffer of LocalAlloc that the caller
// releases with LocalFree.
BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* stringSid);

// The platform's text form of a valid SID: "S-1-", the identifier
// authority, then "-" and each sub-authority in decimal.  The authority is
// written in decimal when it is below 2^32 and otherwise as "0x" and twelve
// upper-case hexadecimal digits.  Example: S-1-5-21-7-8-9-500.
std::string SidText(PSID sid);

// Reads a SID in text form ("S-1-5-18"; the authority in decimal, or as
// "0x" and one to twelve hexadecimal digits).  On failure returns false
// and tells why in `reason`.
bool ParseSidText(std::string_view text, std::vector<BYTE>& sid, std::string& reason);

} // namespace platform
